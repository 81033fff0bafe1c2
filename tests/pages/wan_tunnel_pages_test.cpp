// The PPTP and L2TP page pairs: layout, address-mode boxes, input rules, the values carried
// from the first page to the second, the request in each dialect and each result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/TunnelPages.h"
#include "wan_test_support.h"

namespace zavro {
namespace {

using test::FakeWindow;

struct Tunnel {
    const char* name;
    unsigned firstMessage, secondMessage;
    const char* firstTitle;
    const char* secondTitle;
    // First-page pixels of 1042, 1030, 1031, 1017, 1043, 1032, 1033, 1034, 1035.
    std::vector<std::pair<int, Rect>> firstRects;
    const char* formPath;   // models 1..5 and 8
    const char* queryPath;  // models 2, 6, 7
    const char* failureKey;
    bool handOverSecondBack;
    bool firstPlacedOnPaint;
    // Model 8 bodies of the two sample inputs below (dynamic on demand, fixed continuous).
    std::string dynamicBody, fixedBody;
    std::string queryDynamicBody;
};

const Tunnel kPptp{
    "Pptp",
    WM_PAGE_PPTP,
    WM_PAGE_PPTP2,
    "CZavroPPTPxDSL",
    "CZavroPPTPxDSL2",
    {{1042, {103, 225, 23, 22}},
     {1030, {483, 227, 133, 21}},
     {1031, {483, 257, 133, 21}},
     {1017, {628, 255, 59, 23}},
     {1043, {103, 345, 23, 22}},
     {1032, {483, 347, 133, 21}},
     {1033, {483, 377, 133, 21}},
     {1034, {483, 407, 133, 21}},
     {1035, {483, 437, 133, 21}}},
    "/goform/formPPTPSetup",
    "/goform/asp_setPptpWizard",
    "PPTPxDSL_Set_Failed",
    false,
    true,
    "pptpIpMode=0&HostName=home&Mac=00AABBCCDDEE&pptpUserName=alice&pptpPassword=s3cret&"
    "pptpGateway=0.0.0.0&pptpConntID=c1&pptpMTU=1400&pptpConnectType=1&pptpIdleTime=30&"
    "submit-url=%2Fwanpptp.asp&wanMode=3",
    "pptpIpMode=1&pptpIPAddr=10.1.2.3&pptpIPMaskAddr=255.255.255.0&pptpDfGateway=10.1.2.254&"
    "pptpUserName=alice&pptpPassword=s3cret&pptpGateway=10.9.9.9&pptpConntID=&pptpMTU=1392&"
    "pptpConnectType=0&submit-url=%2Fwanpptp.asp&wanMode=3",
    std::string("pptpIpMode=0&username=alice&password=s3cret&wanmtu=1400&"
                "wansv_1=0&wansv_2=0&wansv_3=0&wansv_4=0&pptpConnectType=1&"
                "dialOnDemand=1&autoReconnect=1&silentTimeout=30") +
        '\0',
};

const Tunnel kL2tp{
    "L2tp",
    WM_PAGE_L2TP,
    WM_PAGE_L2TP2,
    "CZavroL2TPxDSL",
    "CZavroL2TPxDSL2",
    {{1042, {103, 239, 23, 22}},
     {1030, {483, 239, 133, 21}},
     {1031, {483, 269, 133, 21}},
     {1017, {628, 269, 59, 23}},
     {1043, {103, 359, 23, 22}},
     {1032, {483, 359, 133, 21}},
     {1033, {483, 389, 133, 21}},
     {1034, {483, 419, 133, 21}},
     {1035, {483, 449, 133, 21}}},
    "/goform/formL2TPSetup",
    "/goform/asp_setL2tpWizard",
    "L2TPxDSL_Set_Failed",
    true,
    false,
    "L2TPIpMode=0&HostName=home&Mac=00AABBCCDDEE&L2TPUserName=alice&L2TPPassword=s3cret&"
    "L2TPGateway=0.0.0.0&L2TPMTU=1400&L2TPConnectType=1&L2TPIdleTime=30&"
    "submit-url=%2Fwanl2tp.asp&wanMode=6",
    "L2TPIpMode=1&L2TPIPAddr=10.1.2.3&L2TPMaskAddr=255.255.255.0&L2TPDefGateway=10.1.2.254&"
    "L2TPUserName=alice&L2TPPassword=s3cret&L2TPGateway=10.9.9.9&L2TPMTU=1392&"
    "L2TPConnectType=0&submit-url=%2Fwanl2tp.asp&wanMode=6",
    std::string("l2tpIpMode=0&username=alice&password=s3cret&wanmtu=1400&l2tpsrv=0.0.0.0&"
                "l2tpConnectType=1&dialOnDemand=1&autoReconnect=1&silentTimeout=30") +
        '\0',
};

// What the first page gets typed.
struct AddressInput {
    int box;  // 1042 dynamic, 1043 fixed, 0 none
    std::string host, mac, ip, mask, gateway;
};

const AddressInput kDynamic{1042, "home", "00AABBCCDDEE", "", "", ""};
const AddressInput kFixed{1043, "", "", "10.1.2.3", "255.255.255.0", "10.1.2.254"};

class TunnelPages : public test::WanPageTest, public ::testing::WithParamInterface<Tunnel> {
protected:
    const Tunnel& T() const { return GetParam(); }

    FakeWindow& OpenFirst() { return Open(T().firstMessage); }

    void Fill(FakeWindow& w, const AddressInput& in) {
        if (in.box) {
            ASSERT_TRUE(w.Click(in.box));
        }
        ASSERT_TRUE(w.Type(1030, in.host));
        ASSERT_TRUE(w.Type(1031, in.mac));
        if (!in.ip.empty()) {
            ASSERT_TRUE(w.Type(1032, in.ip));
        }
        if (!in.mask.empty()) {
            ASSERT_TRUE(w.Type(1033, in.mask));
        }
        if (!in.gateway.empty()) {
            ASSERT_TRUE(w.Type(1035, in.gateway));
        }
    }

    // First page filled and passed; the second page is on top.
    FakeWindow& OpenSecond(const AddressInput& in) {
        ResetTunnelState();
        FakeWindow& first = OpenFirst();
        Fill(first, in);
        first.Click(1013);
        FakeWindow& second = Top();
        EXPECT_EQ(second.Title(), T().secondTitle);
        return second;
    }

    // Account of the sample inputs: on demand with idle 30, or continuous.
    void FillAccount(FakeWindow& w, bool onDemand) {
        ASSERT_TRUE(w.Type(1036, "alice"));
        ASSERT_TRUE(w.Type(1037, "s3cret"));
        if (onDemand) {
            ASSERT_TRUE(w.Type(1045, "c1"));
            ASSERT_TRUE(w.Type(1039, "1400"));
            ASSERT_TRUE(w.Select(1040, 1));
            ASSERT_TRUE(w.Type(1041, "30"));
        } else {
            ASSERT_TRUE(w.Type(1035, "10.9.9.9"));
        }
    }
};

TEST_P(TunnelPages, FirstPageLayout) {
    FakeWindow& w = OpenFirst();
    EXPECT_EQ(w.Title(), T().firstTitle);
    for (const auto& [id, r] : T().firstRects) EXPECT_EQ(w.ControlRect(id), r) << id;
    EXPECT_EQ(w.ControlRect(1016), (Rect{543, 492, 53, 26}));
    EXPECT_EQ(w.ControlRect(1013), (Rect{618, 492, 53, 26}));
    EXPECT_EQ(w.ControlRect(1015), (Rect{199, 22, 85, 75}));
    EXPECT_EQ(w.ControlRect(1014), (Rect{290, 22, 90, 75}));
    EXPECT_EQ(w.ControlRect(1010), (Rect{386, 22, 95, 80}));
    EXPECT_EQ(w.Control(1018)->text, "QX-3150NS");
    EXPECT_EQ(w.Control(1030)->limit, 30);
    EXPECT_EQ(w.Control(1031)->limit, 12);
    EXPECT_FALSE(w.IsControlEnabled(1034));
    EXPECT_EQ(w.Control(1032)->kind, ControlKind::IpAddress);
    EXPECT_EQ(w.GetText(1032), "0.0.0.0");
    for (int id = 1008; id <= 1017; ++id) EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    for (int id : {1003, 1004}) EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    for (int id : {1042, 1043, 1030, 1032}) EXPECT_EQ(w.CursorOver(id), CursorShape::Arrow) << id;

    // The PPTP page puts its controls back at every paint; the L2TP page only once.
    w.MoveControl(1031, {1, 2, 3, 4});
    w.Paint();
    EXPECT_EQ(w.ControlRect(1031) == T().firstRects[2].second, T().firstPlacedOnPaint);
}

TEST_P(TunnelPages, ModelTwoHasNoWirelessHotspots) {
    theApp.SetModel(2);
    FakeWindow& w = OpenFirst();
    EXPECT_FALSE(w.IsControlVisible(1015));
    EXPECT_FALSE(w.IsControlVisible(1014));
    EXPECT_TRUE(w.IsControlVisible(1010));
}

TEST_P(TunnelPages, AddressModeBoxesExcludeEachOther) {
    FakeWindow& w = OpenFirst();
    auto* page = static_cast<CPage*>(w.Events());
    EXPECT_EQ(page->Button(1042)->CurrentIcon(), 165);
    ASSERT_TRUE(w.Click(1042));
    EXPECT_EQ(theApp.GetTunnelAddrMode(), 0);
    EXPECT_EQ(page->Button(1042)->CurrentIcon(), 166);
    ASSERT_TRUE(w.Click(1043));
    EXPECT_EQ(theApp.GetTunnelAddrMode(), 1);
    EXPECT_EQ(page->Button(1042)->GetCheck(), 0);
    EXPECT_EQ(page->Button(1042)->CurrentIcon(), 165);
    // Unchecking the checked box leaves no mode; Next then fails.
    ASSERT_TRUE(w.Click(1043));
    EXPECT_EQ(theApp.GetTunnelAddrMode(), 3);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Input_The_Info"});
    EXPECT_EQ(Top().Title(), T().firstTitle);
}

TEST_P(TunnelPages, AddressFieldSuggestsTheMask) {
    FakeWindow& w = OpenFirst();
    ASSERT_TRUE(w.Type(1033, "255.255.0.0"));
    ASSERT_TRUE(w.Type(1032, "0.0.0.0"));
    EXPECT_EQ(w.GetText(1033), "255.255.0.0");
    ASSERT_TRUE(w.Type(1032, "10"));
    EXPECT_EQ(w.GetText(1033), "255.255.255.0");
}

struct NextCase {
    const char* what;
    AddressInput in;
    const char* shown;  // nullptr: the second page opens
    const char* caption = "Zavro";
};

TEST_P(TunnelPages, FirstPageNextRules) {
    const std::string mac11 = "00AABBCCDDE", mac10 = "00AABBCCDD";
    const NextCase cases[] = {
        {"no mode", {0, "", "", "", "", ""}, "Input_The_Info"},
        {"dynamic, no MAC", {1042, "", "", "", "", ""}, nullptr},
        {"dynamic, 12 digits", {1042, "h", "00aabbCCDDEE", "", "", ""}, nullptr},
        {"dynamic, 11 digits", {1042, "h", mac11, "", "", ""}, "Input_The_Info"},
        {"dynamic, colon", {1042, "h", "00:AABBCCDDE", "", "", ""}, "Input_The_Info"},
        {"dynamic, addresses unchecked",
         {1042, "h", "", "224.0.0.0", "1.2.3.4", "9.9.9.9"},
         nullptr},
        {"apostrophe",
         {1042, "o'neil", "00AABBCCDDEE", "", "", ""},
         "Host Name can not contain the follow characters \n ' and \" ",
         "Error"},
        {"length before quotes", {1042, "\"x\"", mac11, "", "", ""}, "Input_The_Info"},
        {"fixed, no MAC", {1043, "", "", "10.0.0.1", "255.255.255.252", "0.0.0.0"}, nullptr},
        {"fixed, 10 digits",
         {1043, "", mac10, "10.0.0.1", "255.255.255.0", "0.0.0.0"},
         "Input_The_Info"},
        {"fixed, bad hex",
         {1043, "", "00AABBCCDDEG", "10.0.0.1", "255.255.255.0", ""},
         "Input_The_Info"},
        {"fixed, last octet 0",
         {1043, "", "", "192.168.1.0", "255.255.255.0", ""},
         "Input_The_Info"},
        {"fixed, last octet 255",
         {1043, "", "", "10.0.0.255", "255.255.255.0", ""},
         "Input_The_Info"},
        {"fixed, first octet 224", {1043, "", "", "224.0.0.1", "255.0.0.0", ""}, "Input_The_Info"},
        {"fixed, first octet 223", {1043, "", "", "223.0.0.1", "255.0.0.0", ""}, nullptr},
        {"fixed, mask gaps", {1043, "", "", "10.0.0.1", "255.0.255.0", ""}, "Input_The_Info"},
        {"fixed, mask all ones",
         {1043, "", "", "10.0.0.1", "255.255.255.255", ""},
         "Input_The_Info"},
        {"fixed, gateway 10.0.0.0",
         {1043, "", "", "10.0.0.1", "255.0.0.0", "10.0.0.0"},
         "Input_The_Info"},
        {"quote before addresses",
         {1043, "a\"b", "", "10.0.0.0", "255.0.0.0", ""},
         "Host Name can not contain the follow characters \n ' and \" ",
         "Error"},
    };
    for (const NextCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetTunnelState();
        env.ui.ClearMessages();
        FakeWindow& w = OpenFirst();
        Fill(w, c.in);
        // The IP field suggests its mask: type the wanted mask after it.
        if (!c.in.mask.empty()) w.Type(1033, c.in.mask);
        ASSERT_TRUE(w.Click(1013));
        if (c.shown) {
            ASSERT_EQ(env.ui.Messages().size(), 1u);
            EXPECT_EQ(env.ui.Messages()[0].text, c.shown);
            EXPECT_EQ(env.ui.Messages()[0].caption, c.caption);
            EXPECT_EQ(Top().Title(), T().firstTitle);
            EXPECT_EQ(theApp.m_strTunnelInfo1, "");  // nothing stored
        } else {
            EXPECT_TRUE(Shown().empty());
            EXPECT_EQ(Top().Title(), T().secondTitle);
            EXPECT_EQ(recorder->sent.back(), T().secondMessage);
            Top().Click(1016);  // back to a fresh first page for the next case
        }
    }
    EXPECT_TRUE(router.requests.empty());
}

TEST_P(TunnelPages, CarriedValuesComeBackOnTheFirstPage) {
    FakeWindow& second =
        OpenSecond({1043, "box", "00aabbccddee", "10.1.2.3", "255.255.0.0", "10.1.2.254"});
    EXPECT_EQ(theApp.GetTunnelAddrMode(), 1);
    EXPECT_EQ(theApp.m_strTunnelInfo1, "box");
    EXPECT_EQ(theApp.m_strTunnelInfo2, "00aabbccddee");
    EXPECT_EQ(theApp.m_strTunnelInfo3, "10.1.2.3");
    EXPECT_EQ(theApp.m_strTunnelInfo4, "255.255.0.0");
    EXPECT_EQ(theApp.m_strTunnelInfo5, "");
    EXPECT_EQ(theApp.m_strTunnelInfo6, "10.1.2.254");

    ASSERT_TRUE(second.Type(1036, "typed"));
    ASSERT_TRUE(second.Click(1016));
    EXPECT_EQ(recorder->sent.back(), T().firstMessage);
    FakeWindow& first = Top();
    ASSERT_EQ(first.Title(), T().firstTitle);
    auto* page = static_cast<CPage*>(first.Events());
    EXPECT_EQ(page->Button(1043)->GetCheck(), 1);
    EXPECT_EQ(page->Button(1042)->GetCheck(), 0);
    EXPECT_EQ(first.GetText(1030), "box");
    EXPECT_EQ(first.GetText(1031), "00aabbccddee");
    EXPECT_EQ(first.GetText(1032), "10.1.2.3");
    EXPECT_EQ(first.GetText(1033), "255.255.0.0");  // restoring does not suggest a mask
    EXPECT_EQ(first.GetText(1035), "10.1.2.254");
    EXPECT_EQ(first.GetText(1034), "0.0.0.0");

    // The second page keeps nothing of its own.
    ASSERT_TRUE(first.Click(1013));
    EXPECT_EQ(Top().GetText(1036), "");
    EXPECT_EQ(Top().GetText(1039), "1392");
}

TEST_P(TunnelPages, FirstPageBackAndCommonHotspots) {
    const std::pair<int, unsigned> cases[] = {{1016, WM_PAGE_CONNECTMODE},
                                              {1015, WM_PAGE_ESSID},
                                              {1014, WM_PAGE_SETWPA},
                                              {1010, WM_PAGE_UPDATEFIRM},
                                              {1004, WM_PAGE_CONTACT}};
    for (const auto& [id, message] : cases) {
        FakeWindow& w = OpenFirst();
        ASSERT_TRUE(w.Click(id));
        EXPECT_NE(env.ui.Top(), &w) << id;  // closed; w may be freed
        EXPECT_EQ(recorder->sent.back(), message) << id;
    }
    ASSERT_TRUE(OpenFirst().Click(1008));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

TEST_P(TunnelPages, CloneFillsThePcAddress) {
    FakeWindow& w = OpenFirst();
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(w.GetText(1031), "001A2B3C4D5E");
    ASSERT_EQ(router.requests.size(), 1u);
    EXPECT_EQ(router.requests[0].object, "index.asp");
    EXPECT_EQ(router.requests[0].user, "admin");
    EXPECT_EQ(router.requests[0].password, "5820");
    EXPECT_EQ(router.requests[0].waitDepth, 1);
    EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    EXPECT_TRUE(Shown().empty());

    // A router that refuses the password, or does not answer, empties the field.
    router.status["index.asp"] = 401;
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(w.GetText(1031), "");
    router.status.clear();
    ASSERT_TRUE(w.Type(1031, "00AABBCCDDEE"));
    router.unreachable = true;
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(w.GetText(1031), "");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"failed_setting", "failed_setting"}));
    EXPECT_EQ(Top().Title(), T().firstTitle);
}

TEST_P(TunnelPages, SecondPageLayout) {
    FakeWindow& w = OpenSecond(kDynamic);
    const std::pair<int, Rect> rects[] = {
        {1036, {405, 226, 133, 21}}, {1037, {405, 256, 133, 21}}, {1035, {405, 286, 133, 21}},
        {1045, {405, 316, 133, 21}}, {1039, {405, 346, 133, 21}}, {1040, {405, 376, 133, 21}},
        {1041, {405, 406, 133, 21}}, {1016, {543, 492, 53, 26}},  {1013, {618, 492, 53, 26}},
        {1018, {107, 155, 94, 21}},  {1015, {199, 22, 85, 75}},   {1010, {386, 22, 95, 80}}};
    for (const auto& [id, r] : rects) EXPECT_EQ(w.ControlRect(id), r) << id;
    EXPECT_EQ(w.Control(1037)->kind, ControlKind::PasswordEdit);
    EXPECT_EQ(w.Control(1040)->items,
              (std::vector<std::string>{"Continuous", "Connect On Demand"}));
    EXPECT_EQ(w.GetSelection(1040), 0);
    EXPECT_FALSE(w.IsControlEnabled(1041));
    EXPECT_TRUE(w.IsControlEnabled(1045));
    EXPECT_EQ(w.GetText(1039), "1392");
    const std::pair<int, int> limits[] = {{1036, 64}, {1037, 64}, {1045, 30}, {1039, 4}, {1041, 4}};
    for (const auto& [id, limit] : limits) EXPECT_EQ(w.Control(id)->limit, limit) << id;
    for (int id = 1008; id <= 1015; ++id) EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    EXPECT_EQ(w.CursorOver(1016) == CursorShape::Hand, T().handOverSecondBack);
    EXPECT_EQ(w.CursorOver(1040), CursorShape::Arrow);
}

TEST_P(TunnelPages, ConnectionModeSwitchesTheIdleTime) {
    FakeWindow& w = OpenSecond(kDynamic);
    auto* page = static_cast<CTunnelAccountPage*>(w.Events());
    ASSERT_TRUE(w.Select(1040, 1));
    EXPECT_EQ(page->ConnectMode(), 1);
    EXPECT_TRUE(w.IsControlEnabled(1041));
    ASSERT_TRUE(w.Type(1041, "12345"));
    EXPECT_EQ(w.GetText(1041), "1234");
    ASSERT_TRUE(w.Select(1040, 0));
    EXPECT_EQ(page->ConnectMode(), 0);
    EXPECT_FALSE(w.IsControlEnabled(1041));
    EXPECT_EQ(w.GetText(1041), "1234");  // the text stays
}

struct AccountCase {
    const char* mtu;
    int mode;
    const char* idle;
    const char* user;
    const char* password;
    bool passes;
};

TEST_P(TunnelPages, SecondPageNextRules) {
    const AccountCase cases[] = {
        {"511", 0, "", "u", "p", false},
        {"512", 0, "", "u", "p", true},
        {"1492", 0, "", "u", "p", true},
        {"1493", 0, "", "u", "p", false},
        {"", 0, "", "u", "p", false},
        {"600x", 0, "", "u", "p", true},
        {"1392", 1, "0", "u", "p", false},
        {"1392", 1, "1", "u", "p", true},
        {"1392", 1, "1000", "u", "p", true},
        {"1392", 1, "1001", "u", "p", false},
        {"1392", 1, "", "u", "p", false},
        // The idle time counts only on demand.
        {"1392", 0, "0", "u", "p", true},
        {"1392", 0, "1001", "u", "p", true},
        {"1392", 0, "", "", "p", false},
        {"1392", 0, "", "u", "", false},
    };
    for (const AccountCase& c : cases) {
        SCOPED_TRACE(std::string(c.mtu) + "/" + std::to_string(c.mode) + "/" + c.idle + "/" +
                     c.user + "/" + c.password);
        env.ui.ClearMessages();
        router.requests.clear();
        FakeWindow& w = Open(T().secondMessage);
        ASSERT_TRUE(w.Type(1039, c.mtu));
        ASSERT_TRUE(w.Select(1040, 1));
        ASSERT_TRUE(w.Type(1041, c.idle));
        ASSERT_TRUE(w.Select(1040, c.mode));
        ASSERT_TRUE(w.Type(1036, c.user));
        ASSERT_TRUE(w.Type(1037, c.password));
        ASSERT_TRUE(w.Click(1013));
        if (c.passes) {
            EXPECT_TRUE(Shown().empty());
            EXPECT_EQ(recorder->sent.back(), WM_PAGE_SETLANGUAGE);
            ASSERT_EQ(router.Settings().size(), 1u);
        } else {
            EXPECT_EQ(Shown(), std::vector<std::string>{"Input_The_Info"});
            EXPECT_TRUE(router.requests.empty());
            EXPECT_EQ(Top().Title(), T().secondTitle);
        }
    }
}

TEST_P(TunnelPages, DynamicOnDemandRequestOfTheShippedFamily) {
    FakeWindow& w = OpenSecond(kDynamic);
    FillAccount(w, true);
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.requests.size(), 2u);
    EXPECT_EQ(router.requests[0].object, "index.asp");
    const auto& r = router.requests[1];
    EXPECT_EQ(r.verb, "POST");
    EXPECT_EQ(r.object, T().formPath);
    EXPECT_EQ(r.header, "");
    EXPECT_EQ(r.body, T().dynamicBody);
    EXPECT_EQ(r.user, "admin");
    EXPECT_EQ(r.password, "5820");
    EXPECT_EQ(r.waitDepth, 1);
    EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    EXPECT_EQ(recorder->sent.back(), WM_PAGE_SETLANGUAGE);
    EXPECT_NE(env.ui.Top(), &w);
}

TEST_P(TunnelPages, FixedContinuousRequestOfTheShippedFamily) {
    FakeWindow& w = OpenSecond(kFixed);
    FillAccount(w, false);
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.Settings().size(), 1u);
    EXPECT_EQ(router.Settings()[0].body, T().fixedBody);
}

TEST_P(TunnelPages, QueryDialectRequest) {
    theApp.SetModel(2);
    FakeWindow& w = OpenSecond(kDynamic);
    FillAccount(w, true);
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.Settings().size(), 1u);
    const auto settings = router.Settings();
    const auto& r = settings[0];
    EXPECT_EQ(r.object, T().queryPath);
    EXPECT_EQ(r.header, "Content-Type: multipart/form-data");
    EXPECT_EQ(r.body, T().queryDynamicBody);
}

TEST_P(TunnelPages, FormPostDialectCarriesBothMacs) {
    theApp.SetModel(1);
    FakeWindow& w = OpenSecond(kDynamic);
    FillAccount(w, true);
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.Settings().size(), 1u);
    const std::string body = router.Settings()[0].body;
    // The PC's own address and the address to clone.
    EXPECT_NE(body.find("name=\"macAddrValue\"\r\n\r\n001A2B3C4D5E\r\n"), std::string::npos);
    EXPECT_NE(body.find("name=\"Mac\"\r\n\r\n00AABBCCDDEE\r\n"), std::string::npos);
    EXPECT_NE(body.find("name=\"HostName\"\r\n\r\nhome\r\n"), std::string::npos);
    EXPECT_EQ(body.back(), '\0');
}

TEST_P(TunnelPages, ConnectionIdDisabledForModelsSixAndSeven) {
    for (int model : {6, 7}) {
        router.requests.clear();
        theApp.SetModel(model);
        FakeWindow& w = OpenSecond(kDynamic);
        EXPECT_FALSE(w.IsControlEnabled(1045)) << model;
        EXPECT_FALSE(w.Type(1045, "c1"));
        FillAccount(w, false);
        ASSERT_TRUE(w.Click(1013));
        EXPECT_EQ(router.Settings().size(), 1u) << model;
        EXPECT_EQ(recorder->sent.back(), WM_PAGE_SETLANGUAGE);
    }
}

struct ResultCase {
    int loginStatus;       // answer to index.asp, 0: no answer at all
    int settingStatus;     // answer to the tunnel request
    const char* shown;     // nullptr: the router-language page is asked for
    std::size_t settings;  // tunnel requests that reached the router
};

TEST_P(TunnelPages, EachResultAndItsMessage) {
    const ResultCase cases[] = {
        {200, 200, nullptr, 1},          {500, 302, nullptr, 1},
        {200, 500, "failed_setting", 1}, {200, 404, "failed_setting", 1},
        {200, 401, T().failureKey, 1},   {401, 200, "failed_setting", 0},
        {404, 200, "failed_setting", 0}, {0, 200, "failed_setting", 0},
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.loginStatus) + "/" + std::to_string(c.settingStatus));
        router.requests.clear();
        router.status.clear();
        env.ui.ClearMessages();
        recorder->sent.clear();
        FakeWindow& w = OpenSecond(kFixed);
        FillAccount(w, false);
        router.unreachable = c.loginStatus == 0;
        router.status["index.asp"] = c.loginStatus;
        router.status[T().formPath] = c.settingStatus;
        ASSERT_TRUE(w.Click(1013));
        router.unreachable = false;
        EXPECT_EQ(router.Settings().size(), c.settings);
        if (c.shown) {
            EXPECT_EQ(Shown(), std::vector<std::string>{c.shown});
            EXPECT_EQ(Top().Title(), T().secondTitle);
            EXPECT_EQ(Top().GetText(1036), "alice");  // the input stays
        } else {
            EXPECT_TRUE(Shown().empty());
            EXPECT_EQ(recorder->sent.back(), WM_PAGE_SETLANGUAGE);
        }
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    }
}

TEST_P(TunnelPages, SecondPageCommonHotspots) {
    const std::pair<int, unsigned> cases[] = {
        {1015, WM_PAGE_ESSID}, {1014, WM_PAGE_SETWPA}, {1010, WM_PAGE_UPDATEFIRM}};
    for (const auto& [id, message] : cases) {
        ASSERT_TRUE(Open(T().secondMessage).Click(id));
        EXPECT_EQ(recorder->sent.back(), message) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Wan, TunnelPages, ::testing::Values(kPptp, kL2tp),
                         [](const auto& info) { return std::string(info.param.name); });

using WanHub = test::WanPageTest;

TEST_F(WanHub, ConnectionTypesFourToSixOpenTheirPages) {
    const std::pair<int, const char*> cases[] = {
        {4, "CZavroPPTPxDSL"}, {5, "CZavroL2TPxDSL"}, {6, "CZavroTelstra"}};
    for (const auto& [type, title] : cases) {
        theApp.SetConnectionType(type, TRUE);
        SendMessage(theApp.m_hHubWnd, WM_PAGE_WANTYPE);
        env.ui.RunPending();
        EXPECT_EQ(Top().Title(), title) << type;
    }
}

}  // namespace
}  // namespace zavro
