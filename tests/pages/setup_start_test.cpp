// Language choice, the instruction page and the router connection page.
#include <algorithm>
#include <filesystem>

#include "hostnet/HostTcpIp.h"
#include "setup_fixture.h"

namespace zavro {
namespace {

using test::SetupPages;

// ---- language choice ----

struct LanguageCase {
    int id;
    int language;
    unsigned message;
};
constexpr LanguageCase kLanguageButtons[] = {
    {1059, 1, WM_PAGE_MACHINESET}, {1060, 2, WM_PAGE_WIZARD},  {1061, 3, WM_PAGE_WIZARD},
    {1062, 4, WM_PAGE_WIZARD},     {1063, 5, WM_PAGE_WIZARD},  {1064, 6, WM_PAGE_WIZARD},
    {1065, 7, WM_PAGE_WIZARD},     {1066, 8, WM_PAGE_WIZARD},  {1067, 9, WM_PAGE_WIZARD},
    {1068, 10, WM_PAGE_WIZARD},    {1069, 11, WM_PAGE_WIZARD}, {1070, 12, WM_PAGE_WIZARD},
    {1071, 13, WM_PAGE_WIZARD},    {1001, 14, WM_PAGE_WIZARD}, {1002, 15, WM_PAGE_WIZARD},
    {1004, 16, WM_PAGE_WIZARD},
};

TEST_F(SetupPages, WelcomeResetsTheRunWhenConstructed) {
    theApp.SetModelChosen(TRUE);
    theApp.m_bResultDone = 1;
    theApp.m_bResultImage = 1;
    theApp.m_nConnectionType = 3;
    theApp.m_nModel = 8;
    test::FakeWindow& w = Open(WM_PAGE_WELCOME);
    EXPECT_EQ(w.Title(), "CZavroWelcome");
    EXPECT_EQ(theApp.GetModelChosen(), 0);
    EXPECT_EQ(theApp.m_bResultDone, 0);
    EXPECT_EQ(theApp.m_bResultImage, 0);
    EXPECT_EQ(theApp.GetConnectionType(), 0);
    EXPECT_EQ(theApp.GetModel(), 8);  // not part of the reset
    // With the type cleared, the connection-type forward opens nothing.
    const auto before = env.ui.History().size();
    hub->OnMessage(WM_PAGE_WANTYPE);
    EXPECT_EQ(env.ui.History().size(), before);
}

TEST_F(SetupPages, WelcomeLanguageButtonsSetTheLanguageAndOpenTheirPage) {
    // A picture per language with its own colour shows where the next page read it from.
    for (const auto& c : kLanguageButtons)
        env.AddPicture(c.language, "03.jpg", 0xFF000000u | static_cast<unsigned>(c.language));
    for (const auto& c : kLanguageButtons) {
        theApp.SetLanguage(1);
        test::FakeWindow& w = Open(WM_PAGE_WELCOME);
        ASSERT_TRUE(w.Click(c.id)) << c.id;
        EXPECT_EQ(theApp.GetLanguage(), c.language) << c.id;
        EXPECT_EQ(Sent(), std::vector<unsigned>{c.message}) << c.id;
        if (c.message == WM_PAGE_WIZARD) {
            ASSERT_EQ(TopTitle(), "CZavroWizard") << c.id;
            EXPECT_EQ(Top().Background().At(400, 300),
                      0xFF000000u | static_cast<unsigned>(c.language));
            EXPECT_EQ(hub->m_nLanguage, c.language);
        }
        EXPECT_TRUE(Messages().empty()) << c.id;
        EXPECT_TRUE(env.system.Exits().empty()) << c.id;
    }
}

TEST_F(SetupPages, WelcomeButtonRectanglesAndCursor) {
    test::FakeWindow& w = Open(WM_PAGE_WELCOME);
    EXPECT_EQ(w.ControlRect(1059), (Rect{159, 260, 78, 33}));
    EXPECT_EQ(w.ControlRect(1064), (Rect{143, 308, 80, 33}));
    EXPECT_EQ(w.ControlRect(1004), (Rect{550, 354, 87, 33}));
    EXPECT_EQ(w.ControlRect(1003), (Rect{520, 550, 138, 40}));
    for (int id : {1001, 1003, 1059}) EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    for (int id : {1002, 1004, 1060, 1071, 0}) EXPECT_EQ(w.CursorOver(id), CursorShape::Arrow) << id;
    // None of the other common hotspots.
    for (int id : {1008, 1009, 1010, 1011, 1012}) EXPECT_FALSE(w.HasControl(id)) << id;
}

TEST_F(SetupPages, WelcomeWebSiteKeepsThePage) {
    test::FakeWindow& w = Open(WM_PAGE_WELCOME);
    ASSERT_TRUE(w.Click(1003));
    ASSERT_EQ(env.shell.Calls().size(), 1u);
    EXPECT_EQ(env.shell.Calls()[0].file, Ports().homeUrl);
    EXPECT_EQ(TopTitle(), "CZavroWelcome");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(SetupPages, WelcomePictureComesFromTheImageFolderItself) {
    theApp.SetLanguage(2);
    std::filesystem::remove(env.programDir / "image" / "1" / "03.jpg");
    Open(WM_PAGE_WELCOME);
    EXPECT_TRUE(env.system.Exits().empty());
    std::filesystem::remove(env.programDir / "image" / "01.jpg");
    hub->OnMessage(WM_PAGE_WELCOME);
    EXPECT_EQ(Messages(), std::vector<std::string>{"load_image_error"});
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

// ---- instruction page ----

TEST_F(SetupPages, WizardNextLeadsThroughTheInstructionPage) {
    ASSERT_TRUE(Open(WM_PAGE_WIZARD).Click(1013));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_ARQX});
    recorder->sent.clear();
    test::FakeWindow& w = Top();
    ASSERT_EQ(w.Title(), "CZavroARQX");
    EXPECT_EQ(w.ControlRect(1014), (Rect{617, 492, 55, 26}));
    EXPECT_EQ(w.ControlRect(1013), (Rect{170, 182, 43, 43}));
    // 1013 is painted but cannot be clicked.
    EXPECT_FALSE(w.Click(1013));
    EXPECT_EQ(TopTitle(), "CZavroARQX");
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012, 1013, 1014})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    ASSERT_TRUE(w.Click(1014));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_QXSET});
    EXPECT_EQ(TopTitle(), "CZavroQXset");
}

TEST_F(SetupPages, InstructionAndConnectionPagesReturnToTheStart) {
    for (unsigned page : {WM_PAGE_ARQX, WM_PAGE_QXSET}) {
        ASSERT_TRUE(Open(page).Click(1010));
        EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_WIZARD});
        EXPECT_EQ(TopTitle(), "CZavroWizard");
        ASSERT_TRUE(Open(page).Click(1004));
        EXPECT_EQ(TopTitle(), "CZavroContact");
    }
}

TEST_F(SetupPages, MissingInstructionPictureEndsBeforeThePageShows) {
    std::filesystem::remove(env.programDir / "image" / "1" / "04.jpg");
    ASSERT_TRUE(Open(WM_PAGE_WIZARD).Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"load_image_error"});
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

// ---- router connection page ----

TEST_F(SetupPages, RouterConnectionPageStartsCheckedAndHidden) {
    test::FakeWindow& w = Open(WM_PAGE_QXSET);
    EXPECT_EQ(w.ControlRect(1014), (Rect{443, 439, 23, 22}));
    EXPECT_FALSE(w.IsControlVisible(1014));
    ASSERT_TRUE(w.HasControl(1057));
    EXPECT_EQ(w.Control(1057)->kind, ControlKind::Animation);
    EXPECT_FALSE(w.IsControlVisible(1057));
    for (int id : {1013, 1009, 1008, 1003, 1004, 1010, 1011, 1012})
        EXPECT_TRUE(w.IsControlVisible(id)) << id;
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012, 1013})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    EXPECT_EQ(w.CursorOver(1014), CursorShape::Arrow);
    // The user cannot reach the box; Next goes ahead without a question.
    EXPECT_FALSE(w.Click(1014));
}

struct HostCase {
    const char* name;
    OsVersion version;
    bool fixedAddress;  // 98/Me binding with a fixed address
    std::vector<std::string> messages;
    int restarts;
    std::vector<int> exits;
    const char* next;  // "" when the run ends
};

TEST_F(SetupPages, RouterConnectionNextByWindowsGeneration) {
    const HostCase cases[] = {
        {"XP", {5, 1, 2, "Service Pack 2"}, false, {}, 0, {}, "CZavroSetPwd"},
        {"Vista and later", {6, 1, 2, ""}, false, {}, 0, {}, "CZavroSetPwd"},
        {"2000", {5, 0, 2, ""}, false, {}, 0, {}, "CZavroSetPwd"},
        {"98 fixed", {4, 10, 1, ""}, true, {"Reboot"}, 1, {}, "CZavroSetPwd"},
        {"Me on DHCP", {4, 90, 1, ""}, false, {}, 0, {}, "CZavroSetPwd"},
        {"95", {4, 0, 1, ""}, false, {"Cannot_Support"}, 0, {0}, ""},
        {"NT 4.0", {4, 0, 2, ""}, false, {"Cannot_Support"}, 0, {0}, ""},
    };
    const std::string binding = std::string(kNetTransKey) + "0000";
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.name);
        theApp.Reset();
        theApp.SetLanguage(1);
        theApp.m_hHubWnd = recorder.get();
        env.system.version = c.version;
        registry.Seed(binding, "IPAddress", c.fixedAddress ? "192.168.2.33" : "0.0.0.0");
        registry.Seed(kMstcpKey, "EnableDNS", c.fixedAddress ? "1" : "0");
        const int restartsBefore = env.shell.Restarts();
        const auto exitsBefore = env.system.Exits().size();
        const auto sleepsBefore = env.clock.Sleeps().size();
        const auto startMs = env.clock.NowMs();

        test::FakeWindow& w = Open(WM_PAGE_QXSET);
        ASSERT_TRUE(w.Click(1013));

        // The model is fixed first, whatever follows.
        EXPECT_EQ(theApp.GetModel(), 8);
        EXPECT_EQ(theApp.m_nModelVariant, 2);
        EXPECT_EQ(theApp.GetModelChosen(), 1);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(env.shell.Restarts() - restartsBefore, c.restarts);
        const auto exits = env.system.Exits();
        EXPECT_EQ(std::vector<int>(exits.begin() + static_cast<long>(exitsBefore), exits.end()),
                  c.exits);
        const auto sleeps = env.clock.Sleeps();
        const std::vector<std::uint32_t> newSleeps(sleeps.begin() + static_cast<long>(sleepsBefore),
                                                   sleeps.end());
        if (*c.next) {
            EXPECT_EQ(TopTitle(), c.next);
            EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SETPWD});
            // Six seconds for the PC's new address, on the clock, behind the wait cursor.
            ASSERT_FALSE(newSleeps.empty());
            EXPECT_EQ(newSleeps.back(), 6000u);
            EXPECT_GE(env.clock.NowMs() - startMs, 6000u);
        } else {
            // The page closed itself before the exit.
            for (const test::FakeWindow* open : env.ui.Windows())
                EXPECT_NE(open->Title(), "CZavroQXset");
            EXPECT_TRUE(Sent().empty());
            EXPECT_EQ(std::count(newSleeps.begin(), newSleeps.end(), 6000u), 0);
        }
        EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    }
}

TEST_F(SetupPages, RouterConnectionNextStartsTheScriptsOnNtAndChanges98) {
    Open(WM_PAGE_QXSET).Click(1013);
    auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, "dhcpsetting.vbs");
    EXPECT_EQ(calls[1].file, "dns-replaceserverlist.vbs");

    env.system.version = {4, 10, 1, ""};
    const std::string binding = std::string(kNetTransKey) + "0000";
    registry.Seed(binding, "IPAddress", "10.0.0.5");
    registry.Seed(kMstcpKey, "EnableDNS", "1");
    Open(WM_PAGE_QXSET).Click(1013);
    EXPECT_EQ(registry.GetString(binding, "IPAddress"), std::optional<std::string>("0.0.0.0"));
    EXPECT_EQ(registry.GetString(kMstcpKey, "EnableDNS"), std::optional<std::string>("0"));
    EXPECT_EQ(env.shell.Calls().size(), 2u);  // no scripts on 98
    EXPECT_EQ(env.shell.Restarts(), 1);
}

// During the PC reset and the address wait only Exit acts: a second Next is dropped (one
// password page opens, once), and Exit ends the program there and then.
TEST_F(SetupPages, RouterConnectionWaitTakesOnlyExit) {
    test::FakeWindow& w = Open(WM_PAGE_QXSET);
    std::vector<bool> taken;
    env.ui.duringWait = [&] {
        taken.push_back(w.Click(1013));
        taken.push_back(w.Click(1012));
    };
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(taken, (std::vector<bool>{false, false}));
    EXPECT_EQ(env.ui.blockingRuns, 2);  // the PC reset, then the six seconds
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SETPWD});  // no quick guide, one page

    test::FakeWindow& again = Open(WM_PAGE_QXSET);
    std::vector<int> exitsDuringWait;
    env.ui.duringWait = [&] {
        again.Click(1008);
        exitsDuringWait = env.system.Exits();
    };
    again.Click(1013);
    EXPECT_EQ(exitsDuringWait, std::vector<int>{1});

    // Back to the menu works the same way, and starts the menu program first.
    test::FakeWindow& third = Open(WM_PAGE_QXSET);
    std::vector<std::string> startedDuringWait;
    env.ui.duringWait = [&] {
        third.Click(1009);
        for (const auto& call : env.shell.Calls()) startedDuringWait.push_back(call.file);
        exitsDuringWait = env.system.Exits();
    };
    third.Click(1013);
    ASSERT_FALSE(startedDuringWait.empty());
    EXPECT_NE(startedDuringWait.back().find("AutoRun"), std::string::npos);
    EXPECT_EQ(exitsDuringWait, (std::vector<int>{1, 1}));
}

TEST_F(SetupPages, RouterConnectionNextWithoutConfirmationStays) {
    test::FakeWindow& w = Open(WM_PAGE_QXSET);
    // Only the program could uncheck the hidden box; its click handler still runs.
    w.Events()->OnControl(1014, Notify::Clicked);
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Connect_to_Router"});
    EXPECT_EQ(TopTitle(), "CZavroQXset");
    EXPECT_EQ(theApp.GetModel(), 0);
    EXPECT_TRUE(env.shell.Calls().empty());
    EXPECT_TRUE(env.clock.Sleeps().empty());
}

}  // namespace
}  // namespace zavro
