// The BigPond page: layout, the login-server box, input rules, requests and results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/ZavroTelstra.h"
#include "wan_test_support.h"

namespace zavro {
namespace {

using test::FakeWindow;

std::string FormField(const std::string& name, const std::string& value) {
    return "--/////////////////\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
           value + "\r\n";
}

// The page with its apply step watched: what Next hands to it.
class WatchedTelstra final : public CZavroTelstra {
public:
    WatchedTelstra() : CZavroTelstra(nullptr) {}
    std::vector<std::string> applied;  // user, password, switch, server

protected:
    void Apply(std::string strUser, std::string strPassword, std::string strSwitch,
               std::string strServer) override {
        applied = {strUser, strPassword, strSwitch, strServer};
        CZavroTelstra::Apply(strUser, strPassword, strSwitch, strServer);
    }
};

class TelstraPage : public test::WanPageTest {
protected:
    void SetUp() override {
        test::WanPageTest::SetUp();
        theApp.SetModel(1);
    }
    FakeWindow& OpenPage() { return Open(WM_PAGE_TELSTRA); }
    CZavroTelstra& Page(FakeWindow& w) { return *static_cast<CZavroTelstra*>(w.Events()); }
    void FillAccount(FakeWindow& w) {
        ASSERT_TRUE(w.Type(1036, "bob"));
        ASSERT_TRUE(w.Type(1037, "pw"));
    }
};

TEST_F(TelstraPage, Layout) {
    FakeWindow& w = OpenPage();
    EXPECT_EQ(w.Title(), "CZavroTelstra");
    const std::pair<int, Rect> rects[] = {
        {1036, {478, 264, 133, 21}}, {1037, {478, 294, 133, 21}}, {1047, {317, 334, 23, 22}},
        {1025, {478, 362, 133, 21}}, {1016, {543, 492, 53, 26}},  {1013, {618, 492, 53, 26}},
        {1018, {107, 155, 94, 21}},  {1015, {209, 22, 76, 75}},   {1014, {311, 22, 70, 75}},
        {1010, {409, 22, 72, 75}},   {1004, {673, 550, 100, 40}}, {1003, {520, 550, 138, 40}},
        {1009, {14, 22, 79, 75}},    {1012, {486, 22, 111, 75}},  {1011, {601, 22, 95, 75}},
        {1008, {710, 22, 70, 75}}};
    for (const auto& [id, r] : rects) EXPECT_EQ(w.ControlRect(id), r) << id;
    EXPECT_EQ(w.Control(1037)->kind, ControlKind::PasswordEdit);
    EXPECT_EQ(w.Control(1025)->kind, ControlKind::IpAddress);
    EXPECT_FALSE(w.IsControlVisible(1025));
    EXPECT_EQ(w.Control(1036)->limit, 64);
    EXPECT_EQ(w.Control(1037)->limit, 64);
    EXPECT_EQ(w.Control(1018)->text, "QX-3150NS");
    EXPECT_EQ(Page(w).Button(1047)->CurrentIcon(), 165);
    for (int id = 1008; id <= 1016; ++id) EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    EXPECT_EQ(w.CursorOver(1047), CursorShape::Arrow);
    EXPECT_EQ(w.CursorOver(1036), CursorShape::Arrow);
}

TEST_F(TelstraPage, ModelTwoHasNoWirelessHotspots) {
    theApp.SetModel(2);
    FakeWindow& w = OpenPage();
    EXPECT_FALSE(w.IsControlVisible(1015));
    EXPECT_FALSE(w.IsControlVisible(1014));
}

TEST_F(TelstraPage, ServerBoxShowsTheFieldAndKeepsWhatWasTyped) {
    WatchedTelstra page;
    ASSERT_TRUE(page.CreatePage());
    page.ShowWindow(true);
    FakeWindow& w = *env.ui.Top();
    ASSERT_EQ(w.Events(), &page);
    EXPECT_FALSE(w.Type(1025, "1.2.3.4"));  // hidden
    ASSERT_TRUE(w.Click(1047));
    EXPECT_TRUE(w.IsControlVisible(1025));
    EXPECT_EQ(Page(w).ServerSwitch(), "ON");
    EXPECT_EQ(Page(w).Button(1047)->CurrentIcon(), 166);
    ASSERT_TRUE(w.Type(1025, "61.9.1.2"));
    ASSERT_TRUE(w.Click(1047));
    EXPECT_FALSE(w.IsControlVisible(1025));
    EXPECT_EQ(page.ServerSwitch(), "");

    // Switch off: the typed address is passed, but the request leaves it out.
    FillAccount(w);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(page.applied, (std::vector<std::string>{"bob", "pw", "", "61.9.1.2"}));
    ASSERT_EQ(router.Settings().size(), 1u);
    const auto settings = router.Settings();
    const auto& r = settings[0];
    EXPECT_EQ(r.object, "/goform/formTELBPSetup");
    EXPECT_EQ(r.header, "Content-Type: multipart/form-data; boundary=/////////////////");
    EXPECT_EQ(r.body, FormField("telBPUserName", "bob") + FormField("telBPPassword", "pw") +
                          FormField("wanMode", "4") + "--/////////////////--" +
                          std::string(1, '\0'));
    EXPECT_EQ(recorder->sent.back(), WM_PAGE_SUCCESS);
}

TEST_F(TelstraPage, ServerAddressSentWhenTheBoxIsChecked) {
    FakeWindow& w = OpenPage();
    FillAccount(w);
    ASSERT_TRUE(w.Click(1047));
    ASSERT_TRUE(w.Type(1025, "61.9.1.2"));
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.Settings().size(), 1u);
    EXPECT_EQ(router.Settings()[0].body,
              FormField("telBPUserName", "bob") + FormField("telBPPassword", "pw") +
                  FormField("telBPIPAddr", "61.9.1.2") + FormField("telBPEnabled", "ON") +
                  FormField("wanMode", "4") + "--/////////////////--" + std::string(1, '\0'));
}

TEST_F(TelstraPage, QueryDialectSplitsTheServerAddress) {
    theApp.SetModel(6);
    FakeWindow& w = OpenPage();
    FillAccount(w);
    ASSERT_TRUE(w.Click(1047));
    ASSERT_TRUE(w.Type(1025, "61.9.1.2"));
    ASSERT_TRUE(w.Click(1013));
    ASSERT_EQ(router.Settings().size(), 1u);
    const auto settings = router.Settings();
    const auto& r = settings[0];
    EXPECT_EQ(r.object, "/goform/asp_setDhcpClient");
    EXPECT_EQ(r.header, "Content-Type: multipart/form-data");
    EXPECT_EQ(r.body, std::string("telBPEnable=1&telBPUserName=bob&telBPPassword=pw&"
                                  "telBPsvMode=1&wansv_1=61&wansv_2=9&wansv_3=1&wansv_4=2") +
                          '\0');
}

TEST_F(TelstraPage, AccountAndPasswordAreNeeded) {
    const std::pair<const char*, const char*> cases[] = {{"", ""}, {"bob", ""}, {"", "pw"}};
    for (const auto& [user, password] : cases) {
        env.ui.ClearMessages();
        FakeWindow& w = OpenPage();
        ASSERT_TRUE(w.Type(1036, user));
        ASSERT_TRUE(w.Type(1037, password));
        ASSERT_TRUE(w.Click(1013));
        EXPECT_EQ(Shown(), std::vector<std::string>{"Input_The_Info"}) << user << "/" << password;
        EXPECT_EQ(Top().Title(), "CZavroTelstra");
    }
    EXPECT_TRUE(router.requests.empty());
}

TEST_F(TelstraPage, ShippedFamilyHasNoBigPondRequest) {
    theApp.SetModel(8);
    FakeWindow& w = OpenPage();
    FillAccount(w);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Telstra_Set_Failed"});
    EXPECT_TRUE(router.requests.empty());  // not even the login probe
    EXPECT_EQ(Top().Title(), "CZavroTelstra");
}

TEST_F(TelstraPage, EachResultAndItsMessage) {
    struct Case {
        int login, setting;  // login 0: no answer
        const char* shown;
    };
    const Case cases[] = {{200, 200, nullptr},          {200, 399, nullptr},
                          {200, 500, "failed_setting"}, {200, 401, "Telstra_Set_Failed"},
                          {401, 200, "failed_setting"}, {0, 200, "failed_setting"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.login) + "/" + std::to_string(c.setting));
        env.ui.ClearMessages();
        recorder->sent.clear();
        router.requests.clear();
        FakeWindow& w = OpenPage();
        FillAccount(w);
        router.unreachable = c.login == 0;
        router.status = {{"index.asp", c.login}, {"/goform/formTELBPSetup", c.setting}};
        ASSERT_TRUE(w.Click(1013));
        router.unreachable = false;
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
        ASSERT_FALSE(router.requests.empty());
        EXPECT_EQ(router.requests[0].waitDepth, 1);
        if (c.shown) {
            EXPECT_EQ(Shown(), std::vector<std::string>{c.shown});
            EXPECT_EQ(Top().GetText(1036), "bob");
            EXPECT_TRUE(recorder->sent.empty());
        } else {
            EXPECT_TRUE(Shown().empty());
            EXPECT_EQ(recorder->sent, std::vector<unsigned>{WM_PAGE_SUCCESS});
        }
    }
}

TEST_F(TelstraPage, BackAndCommonHotspots) {
    const std::pair<int, unsigned> cases[] = {{1016, WM_PAGE_CONNECTMODE},
                                              {1015, WM_PAGE_ESSID},
                                              {1014, WM_PAGE_SETWPA},
                                              {1010, WM_PAGE_UPDATEFIRM},
                                              {1004, WM_PAGE_CONTACT}};
    for (const auto& [id, message] : cases) {
        FakeWindow& w = OpenPage();
        ASSERT_TRUE(w.Click(id));
        EXPECT_NE(env.ui.Top(), &w) << id;
        EXPECT_EQ(recorder->sent.back(), message) << id;
    }
    ASSERT_TRUE(OpenPage().Click(1008));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

}  // namespace
}  // namespace zavro
