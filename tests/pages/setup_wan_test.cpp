// The connection-type page and the cable-modem, fixed-IP and PPPoE pages.
#include <functional>

#include "pages/ZavroCableModem.h"
#include "setup_fixture.h"
#include "ui/ButtonST.h"

namespace zavro {
namespace {

class WanPages : public test::SetupPages {
protected:
    void SetUp() override {
        SetupPages::SetUp();
        theApp.SetModel(8);
        theApp.m_nModelVariant = 2;
    }
    test::FakeWindow& Reopen(unsigned message) {
        // The last case's result page may still be talking to the router.
        StopAllWorkers();
        env.ui.RunPending();
        router.requests.clear();
        return Open(message);
    }
    // Body of the one WAN request, or "" with a failure when there was not exactly one.
    std::string OnlyBody(const std::string& path) {
        const auto sent = router.To(path);
        EXPECT_EQ(sent.size(), 1u) << path;
        return sent.size() == 1 ? sent[0].body : "";
    }
};

// Icon drawn on a check hotspot's face: 166 checked, 165 unchecked, 0 none.
int ShownIcon(const test::FakeControl& c) {
    for (int icon : {166, 165}) {
        const Image& i = LoadIconResource(icon);
        const int ox = (c.rect.w - i.width) / 2, oy = (c.rect.h - i.height) / 2;
        bool same = true;
        for (int y = 0; y < i.height && same; ++y)
            for (int x = 0; x < i.width && same; ++x)
                same = (i.At(x, y) >> 24) != 0xFF || c.face.At(ox + x, oy + y) == i.At(x, y);
        if (same) return icon;
    }
    return 0;
}

// ---- connection type ----

TEST_F(WanPages, ConnectModeOpeningResetsTheTunnelStateAndTheChoice) {
    theApp.SetTunnelAddrMode(1);
    theApp.m_strTunnelInfo1 = "a";
    theApp.m_strTunnelInfo6 = "f";
    theApp.SetConnectionType(3, TRUE);
    test::FakeWindow& w = Open(WM_PAGE_CONNECTMODE);
    EXPECT_EQ(theApp.GetTunnelAddrMode(), 3);
    for (const std::string* s :
         {&theApp.m_strTunnelInfo1, &theApp.m_strTunnelInfo2, &theApp.m_strTunnelInfo3,
          &theApp.m_strTunnelInfo4, &theApp.m_strTunnelInfo5, &theApp.m_strTunnelInfo6})
        EXPECT_EQ(*s, "");
    EXPECT_EQ(theApp.GetConnectionTypeChosen(), 0);
    EXPECT_EQ(theApp.GetConnectionType(), 3);  // kept, but not chosen
    for (int id : {1016, 1017, 1019, 1020, 1021}) EXPECT_EQ(ShownIcon(*w.Control(id)), 165) << id;
    EXPECT_EQ(w.GetText(1018), "QX-3150NS");
    // Next without a new choice.
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Select_ConnectMode"});
    EXPECT_TRUE(Sent().empty());
}

TEST_F(WanPages, ConnectModeBoxesAreExclusive) {
    test::FakeWindow& w = Open(WM_PAGE_CONNECTMODE);
    ASSERT_TRUE(w.Click(1016));
    EXPECT_EQ(ShownIcon(*w.Control(1016)), 166);
    ASSERT_TRUE(w.Click(1019));
    EXPECT_EQ(ShownIcon(*w.Control(1019)), 166);
    EXPECT_EQ(ShownIcon(*w.Control(1016)), 165);
    // A screen reader hears the same as the picture shows.
    EXPECT_EQ(w.Control(1019)->accessCheck, 1);
    EXPECT_EQ(w.Control(1016)->accessCheck, 0);
    EXPECT_EQ(w.Control(1013)->accessCheck, -1);  // Next is no check
    EXPECT_EQ(theApp.GetConnectionType(), 3);
    EXPECT_EQ(theApp.GetConnectionTypeChosen(), 1);
    // Clicking the checked box leaves no type chosen, the number stays.
    ASSERT_TRUE(w.Click(1019));
    EXPECT_EQ(ShownIcon(*w.Control(1019)), 165);
    EXPECT_EQ(theApp.GetConnectionType(), 3);
    EXPECT_EQ(theApp.GetConnectionTypeChosen(), 0);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Select_ConnectMode"});
    // 1016 was unchecked by the choice of 1019, so one click checks it again.
    ASSERT_TRUE(w.Click(1016));
    EXPECT_EQ(theApp.GetConnectionTypeChosen(), 1);
    EXPECT_EQ(theApp.GetConnectionType(), 1);
}

TEST_F(WanPages, ConnectModeNextOpensThePageOfTheType) {
    struct Case {
        int box, type;
        const char* title;  // the tunnel pages are not among these pages
    } cases[] = {{1016, 1, "CZavroCableModem"},
                 {1017, 2, "CZavroFixIP"},
                 {1019, 3, "CZavroPPPoE"},
                 {1020, 4, nullptr},
                 {1021, 5, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        test::FakeWindow& w = Open(WM_PAGE_CONNECTMODE);
        ASSERT_TRUE(w.Click(c.box));
        EXPECT_EQ(theApp.GetConnectionType(), c.type);
        ASSERT_TRUE(Top().Click(1013));
        EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_WANTYPE});
        if (c.title) {
            EXPECT_EQ(TopTitle(), c.title);
        }
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(WanPages, ConnectModeTelstraBoxIsNeverOffered) {
    test::FakeWindow& w = Open(WM_PAGE_CONNECTMODE);
    EXPECT_FALSE(w.IsControlVisible(1022));
    EXPECT_FALSE(w.IsControlEnabled(1022));
    EXPECT_FALSE(w.Click(1022));
    EXPECT_EQ(w.ControlRect(1022), DialogUnitsToPixels({68, 65, 9, 9}));
    EXPECT_EQ(w.ControlRect(1021), (Rect{482, 369, 19, 19}));
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    for (int id : {1016, 1017, 1019, 1020, 1021})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Arrow) << id;
}

TEST_F(WanPages, ReturningFromAWanPageShowsNoChoice) {
    test::FakeWindow& w = Open(WM_PAGE_CONNECTMODE);
    ASSERT_TRUE(w.Click(1019));
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(TopTitle(), "CZavroPPPoE");
    ASSERT_TRUE(Top().Click(1016));
    ASSERT_EQ(TopTitle(), "CZavroConnectMode");
    EXPECT_EQ(ShownIcon(*Top().Control(1019)), 165);
    ASSERT_TRUE(Top().Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Select_ConnectMode"});
    EXPECT_EQ(theApp.GetConnectionType(), 3);
}

// ---- what the connection-type and WAN pages share ----

struct PageCase {
    unsigned message;
    const char* title;
    Rect keyTab;
};
constexpr PageCase kFamily[] = {
    {WM_PAGE_CONNECTMODE, "CZavroConnectMode", {290, 22, 90, 75}},
    {WM_PAGE_CABLEMODEM, "CZavroCableModem", {290, 22, 90, 75}},
    {WM_PAGE_FIXIP, "CZavroFixIP", {290, 22, 95, 75}},
    {WM_PAGE_PPPOE, "CZavroPPPoE", {290, 22, 90, 75}},
};

TEST_F(WanPages, FamilyTabsAndBack) {
    for (const PageCase& p : kFamily) {
        SCOPED_TRACE(p.title);
        test::FakeWindow& w = Open(p.message);
        ASSERT_EQ(w.Title(), p.title);
        EXPECT_EQ(w.ControlRect(1015), (Rect{199, 22, 85, 75}));
        EXPECT_EQ(w.ControlRect(1014), p.keyTab);
        EXPECT_EQ(w.ControlRect(1010), (Rect{386, 22, 95, 80}));
        EXPECT_EQ(w.ControlRect(1013), (Rect{618, 492, 53, 26}));
        EXPECT_EQ(w.ControlRect(1018), (Rect{107, 155, 94, 21}));
        EXPECT_EQ(w.GetText(1018), "QX-3150NS");
        const std::pair<int, unsigned> tabs[] = {
            {1015, WM_PAGE_ESSID}, {1014, WM_PAGE_SETWPA}, {1010, WM_PAGE_UPDATEFIRM}};
        for (const auto& [id, message] : tabs) {
            ASSERT_TRUE(Open(p.message).Click(id));
            EXPECT_EQ(Sent(), std::vector<unsigned>{message}) << id;
        }
        if (p.message != WM_PAGE_CONNECTMODE) {
            test::FakeWindow& page = Open(p.message);
            EXPECT_EQ(page.ControlRect(1016), (Rect{543, 492, 53, 26}));
            for (int id : {1003, 1004, 1008, 1009, 1010, 1013, 1014, 1015, 1016})
                EXPECT_EQ(page.CursorOver(id), CursorShape::Hand) << id;
            ASSERT_TRUE(page.Click(1016));
            EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_CONNECTMODE});
            EXPECT_EQ(TopTitle(), "CZavroConnectMode");
        }
        EXPECT_TRUE(router.requests.empty());
    }
}

TEST_F(WanPages, ModelTwoPagesHaveNoWirelessTabs) {
    theApp.SetModel(2);
    for (const PageCase& p : kFamily) {
        test::FakeWindow& w = Open(p.message);
        EXPECT_FALSE(w.IsControlVisible(1015)) << p.title;
        EXPECT_FALSE(w.IsControlVisible(1014)) << p.title;
        EXPECT_TRUE(w.IsControlVisible(1010)) << p.title;
    }
}

// A page with fields: the header before the fields, the fields in their own order, then
// Back, Next and the footer; the focus starts in the first field; every control is named
// by the medium's key for this picture; Enter in a field still does nothing.
TEST_F(WanPages, PppoeKeyboardOrderAndNames) {
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    EXPECT_EQ(w.TabOrder(), (std::vector<int>{1009, 1015, 1014, 1010, 1012, 1011, 1008, 1036, 1037,
                                              1038, 1039, 1040, 1041, 1016, 1013, 1003, 1004}));
    EXPECT_EQ(w.Focus(), 1036);
    EXPECT_EQ(w.AccessName(), "12.title");  // the profile answers with the key it was asked
    EXPECT_EQ(w.AccessDescription(), "12.text");
    for (int id : w.TabOrder()) EXPECT_EQ(w.Control(id)->accessName, "12." + std::to_string(id));
    EXPECT_EQ(w.Control(1018)->accessName, "");  // the model name reads as its text

    EXPECT_TRUE(w.PressKey(Key::Enter));  // in a field: nothing, as before
    EXPECT_EQ(env.ui.Top(), &w);
    EXPECT_TRUE(w.Type(1036, "user"));
    EXPECT_TRUE(w.Type(1037, "pass"));
    w.SetFocus(1013);
    EXPECT_TRUE(w.PressKey(Key::Space));  // Next, by its key
    EXPECT_EQ(router.To("/goform/formWanTcpipSetup").size(), 1u);
}

// Valid input for each WAN page and the request it makes.
struct WanCase {
    unsigned message;
    const char* title;
    std::function<void(test::FakeWindow&)> fill;
    const char* path;
    const char* failKey;
};

const WanCase kWan[] = {
    {WM_PAGE_CABLEMODEM, "CZavroCableModem", [](test::FakeWindow& w) { w.Type(1030, "home"); },
     "/goform/formWanTcpipSetup", "CableModem_set_failed"},
    {WM_PAGE_FIXIP, "CZavroFixIP", [](test::FakeWindow& w) { w.Type(1032, "10.0.0.2"); },
     "/goform/formWanTcpipSetup", "FixedIP_set_failed"},
    {WM_PAGE_PPPOE, "CZavroPPPoE",
     [](test::FakeWindow& w) {
         w.Type(1036, "user");
         w.Type(1037, "pass");
     },
     "/goform/formWanTcpipSetup", "PPPoE_Set_Failed"},
};

TEST_F(WanPages, EachResultCodeShowsItsKey) {
    struct Outcome {
        const char* name;
        int indexStatus;  // answer to the connection's GET index.asp
        int requestStatus;
        bool reachable;
        const char* key;  // nullptr: the failure key of the page; "" success
    } outcomes[] = {
        {"accepted", 200, 200, true, ""},
        {"redirect accepted", 200, 302, true, ""},
        {"request failed", 200, 500, true, "failed_setting"},
        {"request refused", 200, 401, true, nullptr},
        {"no router", 200, 200, false, "failed_setting"},
        {"login refused", 401, 200, true, "failed_setting"},
        {"login not found", 404, 200, true, "failed_setting"},
        {"login answer 500 still counts", 500, 200, true, ""},
    };
    for (const WanCase& c : kWan) {
        for (const Outcome& o : outcomes) {
            SCOPED_TRACE(std::string(c.title) + ": " + o.name);
            router.reachable = true;
            router.status = {{"index.asp", o.indexStatus}, {c.path, o.requestStatus}};
            test::FakeWindow& w = Reopen(c.message);
            c.fill(w);
            router.reachable = o.reachable;
            router.requests.clear();
            ASSERT_TRUE(w.Click(1013));
            const std::string key = o.key ? o.key : c.failKey;
            if (key.empty()) {
                EXPECT_TRUE(Messages().empty());
                EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SUCCESS});
            } else {
                EXPECT_EQ(Messages(), std::vector<std::string>{key});
                EXPECT_TRUE(Sent().empty());
                EXPECT_EQ(TopTitle(), c.title);
            }
            // No WAN request without an accepted connection.
            const bool connected = o.reachable && o.indexStatus != 401 && o.indexStatus != 404;
            EXPECT_EQ(router.To(c.path).size(), connected ? 1u : 0u);
            EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
        }
    }
}

TEST_F(WanPages, FailedRequestKeepsTheInput) {
    router.status = {{"/goform/formWanTcpipSetup", 500}};
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    w.Type(1036, "user");
    w.Type(1037, "pass");
    w.Type(1038, "svc");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(w.GetText(1036), "user");
    EXPECT_EQ(w.GetText(1038), "svc");
    EXPECT_EQ(w.GetText(1039), "1392");
}

// ---- cable modem ----

TEST_F(WanPages, CableModemInputRules) {
    struct Case {
        std::string host, mac;
        const char* shown;  // "" sent; "Error" the host-name box; else a key
    } cases[] = {
        {"", "", ""},
        {"home", "001122AABBCC", ""},
        {"home", "001122aabbcc", ""},
        {"", "00112233445", "Input_The_Info"},
        {"", "0", "Input_The_Info"},
        {"", "00:11:22:33:", "Input_The_Info"},
        {"", "00112233445G", "Input_The_Info"},
        {"o'brien", "001122AABBCC", "Error"},
        {"say \"hi\"", "", "Error"},
        {"o'brien", "0011", "Input_The_Info"},  // the length comes first
        {"o'brien", "00112233445G", "Error"},   // the quote before the digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host + " / " + c.mac);
        test::FakeWindow& w = Reopen(WM_PAGE_CABLEMODEM);
        w.Type(1030, c.host);
        w.Type(1031, c.mac);
        ASSERT_TRUE(w.Click(1013));
        const auto boxes = env.ui.Messages();
        const std::string shown = c.shown;
        if (shown.empty()) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(OnlyBody("/goform/formWanTcpipSetup"),
                      "dynIPHostName=" + c.host + "&macAddr=" + c.mac +
                          "&submit-url=%2Fwandip.asp&wanMode=0");
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            if (shown == "Error") {
                EXPECT_EQ(boxes[0].caption, "Error");
                EXPECT_EQ(boxes[0].text,
                          "Host Name can not contain the follow characters \n ' and \" ");
            } else {
                EXPECT_EQ(boxes[0].text, shown);
                EXPECT_EQ(boxes[0].caption, "Zavro");
            }
            EXPECT_TRUE(router.requests.empty());
            EXPECT_EQ(TopTitle(), "CZavroCableModem");
        }
    }
}

TEST_F(WanPages, CableModemLimitsAndPlaces) {
    test::FakeWindow& w = Open(WM_PAGE_CABLEMODEM);
    // Limits count characters: 30 two-byte letters fit, the 31st does not.
    std::string host;
    for (int i = 0; i < 31; ++i) host += "\u00E9";
    w.Type(1030, host);
    w.Type(1031, "001122AABBCCDD");
    EXPECT_EQ(w.GetText(1030), host.substr(0, 60));
    EXPECT_EQ(w.GetText(1031), "001122AABBCC");
    EXPECT_EQ(w.ControlRect(1030), (Rect{415, 302, 133, 21}));
    EXPECT_EQ(w.ControlRect(1031), (Rect{415, 333, 133, 21}));
    EXPECT_EQ(w.ControlRect(1017), (Rect{562, 331, 59, 23}));
    EXPECT_EQ(w.CursorOver(1017), CursorShape::Hand);
    EXPECT_EQ(w.CursorOver(1030), CursorShape::Arrow);
}

TEST_F(WanPages, CableModemSendsThePcAddressAsTheMacValue) {
    // The form-post and query dialects carry the PC's adapter address beside the typed MAC.
    theApp.SetModel(1);
    test::FakeWindow& w = Open(WM_PAGE_CABLEMODEM);
    w.Type(1031, "00AA00BB00CC");
    ASSERT_TRUE(w.Click(1013));
    const std::string body = OnlyBody("/goform/formWanTcpipSetup");
    EXPECT_NE(body.find("name=\"macAddrValue\"\r\n\r\n001A2BC3D4E5\r\n"), std::string::npos);
    EXPECT_NE(body.find("name=\"macAddr\"\r\n\r\n00AA00BB00CC\r\n"), std::string::npos);

    theApp.SetModel(2);
    test::FakeWindow& q = Reopen(WM_PAGE_CABLEMODEM);
    q.Type(1031, "00AA00BB00CC");
    ASSERT_TRUE(q.Click(1013));
    const std::string query = OnlyBody("/goform/asp_setDhcpClient");
    EXPECT_EQ(query.substr(0, query.find('\0')),
              "dynIPHostName=&macAddrValue=001A2BC3D4E5&cmacToggle=on&cmac1=00&cmac2=AA&cmac3=00"
              "&cmac4=BB&cmac5=00&cmac6=CC");
}

TEST_F(WanPages, CableModemClone) {
    struct Case {
        const char* name;
        bool reachable;
        int indexStatus;
        bool adapter;
        std::vector<std::string> messages;
        const char* mac;
    } cases[] = {
        {"adapter read", true, 200, true, {}, "001A2BC3D4E5"},
        {"no router", false, 200, true, {"failed_setting"}, ""},
        {"password refused", true, 401, true, {"failed_setting"}, ""},
        {"no adapter list", true, 200, false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        router.reachable = c.reachable;
        router.status = {{"index.asp", c.indexStatus}};
        if (c.adapter)
            adapters.address = std::vector<std::uint8_t>{0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xe5};
        else
            adapters.address.reset();
        test::FakeWindow& w = Reopen(WM_PAGE_CABLEMODEM);
        w.Type(1031, "FFFFFFFFFFFF");
        ASSERT_TRUE(w.Click(1017));
        EXPECT_EQ(w.GetText(1031), c.mac);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(TopTitle(), "CZavroCableModem");
        EXPECT_TRUE(router.To("/goform/").empty());
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    }
}

// ---- fixed IP ----

TEST_F(WanPages, FixIpStartsWithTheDnsFixedAndPlacesOnPaint) {
    test::FakeWindow& w = Open(WM_PAGE_FIXIP);
    EXPECT_EQ(w.GetText(1033), "0.0.0.0");
    EXPECT_FALSE(w.IsControlEnabled(1033));
    EXPECT_FALSE(w.Type(1033, "8.8.8.8"));
    EXPECT_EQ(w.GetText(1032), "0.0.0.0");  // blank
    const std::pair<int, Rect> rects[] = {{1032, {406, 297, 133, 21}},
                                          {1034, {406, 327, 133, 21}},
                                          {1033, {406, 357, 133, 21}},
                                          {1035, {406, 387, 133, 21}},
                                          {1016, {543, 492, 53, 26}}};
    for (const auto& [id, r] : rects) EXPECT_EQ(w.ControlRect(id), r) << id;
    // Moved away by other means, they come back at the next paint.
    w.MoveControl(1032, {0, 0, 10, 10});
    w.Paint();
    EXPECT_EQ(w.ControlRect(1032), (Rect{406, 297, 133, 21}));
}

TEST_F(WanPages, FixIpAddressChangeProposesTheMask) {
    test::FakeWindow& w = Open(WM_PAGE_FIXIP);
    w.Type(1032, "192");
    EXPECT_EQ(w.GetText(1034), "255.255.255.0");
    w.Type(1034, "255.255.0.0");
    w.Type(1032, "192.168.1.7");
    EXPECT_EQ(w.GetText(1034), "255.255.255.0");  // the typed mask is replaced
    w.Type(1034, "255.0.0.0");
    w.Type(1032, "");
    EXPECT_EQ(w.GetText(1034), "255.0.0.0");  // an all-zero address leaves it
}

TEST_F(WanPages, FixIpInputRules) {
    struct Case {
        const char* ip;
        const char* mask;
        const char* gateway;
        bool ok;
    } cases[] = {
        {"10.0.0.2", "255.255.255.0", "", true},
        {"1.0.0.1", "255.255.255.0", "10.0.0.1", true},
        {"223.255.255.254", "255.255.255.252", "223.0.0.1", true},
        {"10.0.0.254", "128.0.0.0", "", true},
        {"10.0.0.2", "255.255.255.254", "", true},  // 31 bits
        {"192.168.1.0", "255.255.255.0", "", false},
        {"10.0.0.255", "255.255.255.0", "", false},
        {"224.0.0.1", "255.255.255.0", "", false},
        {"0.1.2.3", "255.255.255.0", "", false},
        {"10.0.0.2", "255.0.255.0", "", false},
        {"10.0.0.2", "255.255.255.255", "", false},
        {"10.0.0.2", "0.0.0.0", "", false},
        {"10.0.0.2", "255.255.253.0", "", false},
        {"10.0.0.2", "255.255.255.0", "10.0.0.0", false},
        {"10.0.0.2", "255.255.255.0", "224.0.0.1", false},
        {"10.0.0.2", "255.255.255.0", "10.0.0.255", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ip) + " " + c.mask + " " + c.gateway);
        test::FakeWindow& w = Reopen(WM_PAGE_FIXIP);
        w.Type(1032, c.ip);
        w.Type(1034, c.mask);
        w.Type(1035, c.gateway);
        ASSERT_TRUE(w.Click(1013));
        if (c.ok) {
            EXPECT_TRUE(Messages().empty());
            const std::string gateway = *c.gateway ? c.gateway : "0.0.0.0";
            // The form-encoded dialect sends dns1 empty.
            EXPECT_EQ(OnlyBody("/goform/formWanTcpipSetup"),
                      std::string("ip=") + c.ip + "&mask=" + c.mask + "&dns1=&gateway=" + gateway +
                          "&submit-url=%2Fwansip.asp&wanMode=1&ipMode=fixedIp&dnsMode=dnsManual");
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{"Input_The_Info"});
            EXPECT_TRUE(router.requests.empty());
        }
    }
}

TEST_F(WanPages, FixIpSendsTheFixedDnsWhereTheDialectHasIt) {
    theApp.SetModel(1);
    test::FakeWindow& w = Open(WM_PAGE_FIXIP);
    w.Type(1032, "10.0.0.2");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_NE(OnlyBody("/goform/formWanTcpipSetup").find("name=\"dns1\"\r\n\r\n0.0.0.0\r\n"),
              std::string::npos);
}

// ---- PPPoE ----

TEST_F(WanPages, PppoeStartsContinuousWithTheDefaultMtu) {
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    EXPECT_EQ(w.GetText(1039), "1392");
    ASSERT_TRUE(w.HasControl(1040));
    EXPECT_EQ(w.Control(1040)->items,
              (std::vector<std::string>{"Continuous", "Connect On Demand"}));
    EXPECT_EQ(w.GetSelection(1040), 0);
    EXPECT_FALSE(w.IsControlEnabled(1041));
    EXPECT_EQ(w.Control(1037)->kind, ControlKind::PasswordEdit);
    w.Type(1036, std::string(65, 'u'));
    w.Type(1038, std::string(31, 's'));
    EXPECT_EQ(w.GetText(1036).size(), 64u);
    EXPECT_EQ(w.GetText(1038).size(), 30u);
    EXPECT_EQ(w.ControlRect(1041), (Rect{481, 418, 133, 21}));
}

TEST_F(WanPages, PppoeModeSwitchesTheIdleField) {
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    ASSERT_TRUE(w.Select(1040, 1));
    EXPECT_TRUE(w.IsControlEnabled(1041));
    w.Type(1041, "123456");
    EXPECT_EQ(w.GetText(1041), "1234");
    ASSERT_TRUE(w.Select(1040, 0));
    EXPECT_FALSE(w.IsControlEnabled(1041));
    EXPECT_EQ(w.GetText(1041), "1234");  // kept
}

TEST_F(WanPages, PppoeInputRules) {
    struct Case {
        const char* mtu;
        int mode;
        const char* idle;
        const char* user;
        const char* password;
        bool ok;
    } cases[] = {
        {"511", 0, "", "u", "p", false},
        {"512", 0, "", "u", "p", true},
        {"1392", 0, "", "u", "p", true},
        {"1492", 0, "", "u", "p", true},
        {"1493", 0, "", "u", "p", false},
        {"mtu", 0, "", "u", "p", false},
        {"", 0, "", "u", "p", false},
        {"600x", 0, "", "u", "p", true},
        {"99999999999", 0, "", "u", "p", false},
        {"-1000", 0, "", "u", "p", false},
        {"1392", 0, "5000", "u", "p", true},  // idle not looked at while continuous
        {"1392", 1, "0", "u", "p", false},
        {"1392", 1, "1", "u", "p", true},
        {"1392", 1, "1000", "u", "p", true},
        {"1392", 1, "1001", "u", "p", false},
        {"1392", 1, "", "u", "p", false},
        {"1392", 0, "", "", "p", false},
        {"1392", 0, "", "u", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mtu) + " mode " + std::to_string(c.mode) + " idle " + c.idle +
                     " user " + c.user + " pass " + c.password);
        test::FakeWindow& w = Reopen(WM_PAGE_PPPOE);
        w.Type(1036, c.user);
        w.Type(1037, c.password);
        w.Type(1039, c.mtu);
        // The idle field can be typed into only while on demand.
        w.Select(1040, 1);
        w.Type(1041, c.idle);
        w.Select(1040, c.mode);
        ASSERT_TRUE(w.Click(1013));
        if (c.ok) {
            EXPECT_TRUE(Messages().empty());
            const std::string head =
                std::string("pppUserName=") + c.user + "&pppPassword=" + c.password +
                "&pppServName=&pppMTU=" + c.mtu + "&pppConnectType=" + std::to_string(c.mode);
            const std::string idle = c.mode == 1 ? std::string("&pppIdleTime=") + c.idle : "";
            EXPECT_EQ(OnlyBody("/goform/formWanTcpipSetup"),
                      head + idle + "&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp");
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{"Input_The_Info"});
            EXPECT_TRUE(router.requests.empty());
        }
    }
}

TEST_F(WanPages, PppoeQueryDialectFlagsFollowTheMode) {
    theApp.SetModel(2);
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    w.Type(1036, "u");
    w.Type(1037, "p");
    w.Type(1038, "isp");
    w.Select(1040, 1);
    w.Type(1041, "30");
    ASSERT_TRUE(w.Click(1013));
    const std::string body = OnlyBody("/goform/asp_setPppoeWizard");
    EXPECT_EQ(body.substr(0, body.find('\0')),
              "username0=u&password0=p&serviceName0=isp&mtu0=1392&pppoeConnectType=1&"
              "demand0=1&autoReconnect0=1&silentTimeout0=30");
}

}  // namespace
}  // namespace zavro
