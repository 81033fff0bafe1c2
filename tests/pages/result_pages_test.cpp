// The result page's waits against the simulated router, the failure page, and the parts of
// the wait dialog that talk to the router.
#include <algorithm>

#include "pages/ZavroWait.h"
#include "result_fixture.h"

namespace zavro {
namespace {

using test::FakeWindow;
using ResultPage = test::ResultPageTest;

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// ---- the waiting worker, by model family and restart key ----

struct WorkerCase {
    int model;
    const char* const* key;
    bool restart;       // the page asks the router to restart
    unsigned wait;      // ms slept before the Internet check
    bool connectFirst;  // logs in before the sleep (models 1, 3, 4, 5, 8)
};

void PrintTo(const WorkerCase& c, std::ostream* os) {
    *os << "model " << c.model << " " << *c.key;
}

class ResultWorker : public test::ResultPageTest,
                     public ::testing::WithParamInterface<WorkerCase> {};

TEST_P(ResultWorker, WaitsThenReportsTheFinalPicture) {
    const WorkerCase c = GetParam();
    StartRouter(c.model);
    theApp.m_pszRebootKey = *c.key;
    theApp.m_nModelVariant = 2;
    FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
    ASSERT_EQ(w.Title(), "CZavroSuccess");
    EXPECT_TRUE(w.Timers().empty());  // the worker waits, not a timer
    ASSERT_TRUE(WorkerSleeping());

    const auto before = Targets();
    EXPECT_EQ(Has(before, "GET /index.asp"), c.connectFirst);
    const bool restartSent = Has(before, "POST /goform/formReboot") ||
                             Has(before, "GET /goform/asp_restart?ExeFunc=System+Restart");
    EXPECT_EQ(restartSent, c.restart);
    EXPECT_EQ(sim->GetState().reboots, c.restart ? 1 : 0);

    env.clock.Advance(c.wait - 1);
    env.ui.RunPending();
    EXPECT_EQ(env.clock.Blocked(), 1u);
    EXPECT_TRUE(sim->InternetRequests().empty());
    EXPECT_EQ(theApp.m_bResultImage, 0);
    EXPECT_EQ(Targets(), before);

    env.clock.Advance(1);
    ASSERT_TRUE(PumpUntil([] { return theApp.m_bResultImage == 1; }));
    EXPECT_EQ(env.clock.Sleeps(), std::vector<std::uint32_t>{c.wait});
    EXPECT_FALSE(sim->InternetRequests().empty());
    EXPECT_TRUE(Has(Targets(), "GET /index.asp"));  // the 2, 6, 7 family logs in after the sleep
    EXPECT_TRUE(Keys().empty());
    // The check opened the home page in the browser too.
    const auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, Ports().homeUrl);

    EXPECT_EQ(theApp.m_bResultDone, 1);
    EXPECT_FALSE(w.IsControlVisible(1057));
    const bool two = c.model == 2;
    EXPECT_EQ(Colour(w), two ? test::kNoNextColour : test::kFinalColour);
    for (int id : {1009, 1010, 1004, 1003}) EXPECT_TRUE(w.IsControlVisible(id)) << id;
    for (int id : {1015, 1014, 1013}) EXPECT_EQ(w.IsControlVisible(id), !two) << id;
    EXPECT_EQ(TopTitle(), "CZavroSuccess");
    EXPECT_TRUE(Sent().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Families, ResultWorker,
    ::testing::Values(WorkerCase{8, &kRebootKeySsid, true, 150000, true},
                      WorkerCase{8, &kRebootKeyWpa, true, 150000, true},
                      WorkerCase{1, &kRebootKeyFirmware, true, 150000, true},
                      WorkerCase{3, &kRebootKeySsid, true, 150000, true},
                      WorkerCase{5, &kRebootKeyWpa, true, 150000, true},
                      WorkerCase{4, &kRebootKeySsid, true, 150000, true},
                      // Model 4 is not of the timer family: its worker skips the restart.
                      WorkerCase{4, &kRebootKeyLanguage, false, 45000, true},
                      WorkerCase{2, &kRebootKeySsid, false, 45000, false},
                      WorkerCase{2, &kRebootKeyLanguage, false, 45000, false},
                      WorkerCase{6, &kRebootKeyWpa, false, 45000, false},
                      WorkerCase{7, &kRebootKeyFirmware, false, 45000, false}));

// ---- the page's first state, and the outcomes ----

TEST_F(ResultPage, OpensWithMostHotspotsHiddenAndTheAnimationPlaced) {
    StartRouter(8);
    theApp.m_nModelVariant = 3;
    theApp.m_pszRebootKey = kRebootKeySsid;
    FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
    EXPECT_EQ(w.GetText(1018), "QX-3150nS");
    for (int id : {1009, 1015, 1014, 1010, 1004, 1003, 1013})
        EXPECT_FALSE(w.IsControlVisible(id)) << id;
    for (int id : {1008, 1011, 1012}) EXPECT_TRUE(w.IsControlVisible(id)) << id;
    EXPECT_EQ(w.ControlRect(1057), (Rect{234, 251, 333, 95}));
    EXPECT_EQ(w.ControlRect(1013), (Rect{617, 491, 54, 26}));
    EXPECT_EQ(w.CursorOver(1011), CursorShape::Hand);
    EXPECT_EQ(w.CursorOver(1018), CursorShape::Arrow);
    EXPECT_NE(Colour(w), test::kFinalColour);  // still "18(1).jpg"
}

TEST_F(ResultPage, InternetUnreachableOpensTheFailurePage) {
    StartRouter(8);
    sim->SetInternetUp(false);
    theApp.m_pszRebootKey = kRebootKeySsid;
    const auto page = OpenPage(WM_PAGE_SUCCESS).Poster();
    ASSERT_TRUE(WorkerSleeping());
    env.clock.Advance(150000);
    ASSERT_TRUE(PumpUntil([&] { return TopTitle() == "CZavroFailed"; }));
    EXPECT_TRUE(Closed(page));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_FAILED});
    EXPECT_EQ(theApp.m_bResultImage, 0);
    EXPECT_EQ(theApp.m_bResultDone, 0);
    EXPECT_TRUE(env.shell.Calls().empty());  // no browser for a failed check
    EXPECT_TRUE(Keys().empty());
}

TEST_F(ResultPage, RouterDownGivesFailedSettingAndTheWorkerEnds) {
    // Models of both families, and the timer family's language case (login on the UI
    // thread when timer 11 fires).
    struct Case {
        int model;
        const char* const* key;
        unsigned advance;  // virtual time before the login is tried
    };
    for (const Case c : {Case{8, &kRebootKeySsid, 0}, Case{6, &kRebootKeySsid, 45000},
                         Case{8, &kRebootKeyLanguage, 50000}}) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " " << *c.key);
        env.ui.ClearMessages();
        StartRouter(c.model);
        sim->Stop();  // nothing answers on the router's port now
        theApp.m_pszRebootKey = *c.key;
        theApp.m_bResultDone = 0;
        FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
        if (c.advance == 45000) {
            ASSERT_TRUE(WorkerSleeping());
        }
        if (c.advance > 0) env.clock.Advance(c.advance);
        ASSERT_TRUE(PumpUntil([&] { return !Keys().empty(); }));
        ASSERT_TRUE(WorkersDone());
        EXPECT_EQ(Keys(), std::vector<std::string>{"failed_setting"});
        // The page keeps waiting: no outcome, no further timer, no failure page.
        EXPECT_EQ(TopTitle(), "CZavroSuccess");
        EXPECT_FALSE(w.Destroyed());
        EXPECT_TRUE(w.Timers().empty());
        EXPECT_EQ(theApp.m_bResultImage, 0);
        EXPECT_TRUE(Sent().empty());
        EXPECT_EQ(env.clock.Blocked(), 0u);
        w.Click(1008);  // leave through the end hotspot, as a user would
    }
}

TEST_F(ResultPage, LanguageTimerSendsTheLanguageThenWaits) {
    struct Case {
        int model;
        int language;
        int webLanguage;  // what the router then shows (-1: no language request)
    };
    for (const Case c : {Case{8, 2, 256}, Case{8, 1, 0}, Case{7, 2, -1}}) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " language " << c.language);
        AddPicture(2, "18.jpg", test::kFinalColour);
        StartRouter(c.model);
        routersim::State state = sim->GetState();
        state.webLanguage = -1;
        sim->SetState(state);
        theApp.SetLanguage(c.language);
        theApp.m_pszRebootKey = kRebootKeyLanguage;
        theApp.m_bResultDone = 1;  // the language case waits even on a later result page
        theApp.m_bResultImage = 0;
        FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
        EXPECT_EQ(w.Timers(), (std::map<int, unsigned>{{11, 50000}}));
        EXPECT_EQ(RunningWorkers(), 0u);

        env.clock.Advance(49999);
        EXPECT_TRUE(sim->Requests().empty());
        env.clock.Advance(1);
        EXPECT_TRUE(w.Timers().empty());  // once
        ASSERT_TRUE(WorkerSleeping());
        const auto targets = Targets();
        EXPECT_TRUE(Has(targets, "GET /index.asp"));
        EXPECT_EQ(Has(targets, "POST /goform/formWriteLanguage"), c.webLanguage >= 0);
        EXPECT_EQ(sim->GetState().webLanguage, c.webLanguage);
        EXPECT_EQ(sim->GetState().reboots, 0);  // the router restarts by itself

        env.clock.Advance(44999);
        env.ui.RunPending();
        EXPECT_TRUE(sim->InternetRequests().empty());
        env.clock.Advance(1);
        ASSERT_TRUE(PumpUntil([] { return theApp.m_bResultImage == 1; }));
        EXPECT_EQ(Colour(w), test::kFinalColour);
        EXPECT_EQ(Targets(), targets);  // no restart request after the wait either
        ASSERT_TRUE(WorkersDone());
        w.Click(1008);
        sim->Stop();
    }
    EXPECT_EQ(env.system.Exits(), (std::vector<int>{1, 1, 1}));
}

TEST_F(ResultPage, LaterResultPageStartsNothing) {
    StartRouter(8);
    theApp.m_pszRebootKey = kRebootKeySsid;
    theApp.m_bResultDone = 1;
    FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
    EXPECT_TRUE(w.Timers().empty());
    EXPECT_EQ(RunningWorkers(), 0u);
    env.clock.Advance(600000);
    env.ui.RunPending();
    EXPECT_TRUE(sim->Requests().empty());
    EXPECT_FALSE(w.IsControlVisible(1013));

    // The outcome messages act whoever posts them.
    ASSERT_TRUE(w.Poster()->Post(WM_RESULT_REACHABLE));
    env.ui.RunPending();
    EXPECT_EQ(theApp.m_bResultImage, 1);
    EXPECT_TRUE(w.IsControlVisible(1013));
    EXPECT_EQ(Colour(w), test::kFinalColour);
    const auto page = w.Poster();
    ASSERT_TRUE(w.Click(1013));  // Finish
    EXPECT_TRUE(Closed(page));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});

    const auto again = OpenPage(WM_PAGE_SUCCESS).Poster();
    ASSERT_TRUE(again->Post(WM_RESULT_UNREACHABLE));
    env.ui.RunPending();
    EXPECT_TRUE(Closed(again));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_FAILED});
    EXPECT_EQ(TopTitle(), "CZavroFailed");
}

TEST_F(ResultPage, TabsOfTheFinalAndTheFailurePageCloseAndGo) {
    const std::pair<int, unsigned> tabs[] = {{1015, WM_PAGE_ESSID},
                                             {1014, WM_PAGE_SETWPA},
                                             {1010, WM_PAGE_UPDATEFIRM},
                                             {1004, WM_PAGE_CONTACT}};
    theApp.SetModel(8);
    theApp.m_bResultDone = 1;  // no worker: the test posts the outcome itself
    for (const unsigned page : {WM_PAGE_SUCCESS, WM_PAGE_FAILED}) {
        for (const auto& [id, message] : tabs) {
            SCOPED_TRACE(testing::Message() << "page " << page << " hotspot " << id);
            FakeWindow& w = OpenPage(page);
            if (page == WM_PAGE_SUCCESS) {
                ASSERT_TRUE(w.Poster()->Post(WM_RESULT_REACHABLE));
                env.ui.RunPending();
            }
            EXPECT_EQ(w.CursorOver(id), CursorShape::Hand);
            const auto postBox = w.Poster();
            ASSERT_TRUE(w.Click(id));
            EXPECT_TRUE(Closed(postBox));
            EXPECT_EQ(Sent(), std::vector<unsigned>{message});
        }
    }
}

TEST_F(ResultPage, MissingFinalPictureEndsWithCodeZero) {
    StartRouter(2);
    std::filesystem::remove(env.programDir / "image" / "1" / "18_nonext.jpg");
    theApp.m_pszRebootKey = kRebootKeySsid;
    OpenPage(WM_PAGE_SUCCESS);
    ASSERT_TRUE(WorkerSleeping());
    env.clock.Advance(45000);
    ASSERT_TRUE(PumpUntil([&] { return !env.system.Exits().empty(); }));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{0});
    EXPECT_EQ(Keys(), std::vector<std::string>{"load image error"});
}

TEST_F(ResultPage, PageClosedWhileTheWorkerSleepsDropsTheOutcome) {
    for (const bool internet : {false, true}) {
        SCOPED_TRACE(internet ? "reachable" : "unreachable");
        StartRouter(8);
        sim->SetInternetUp(internet);
        theApp.m_pszRebootKey = kRebootKeyWpa;
        theApp.m_bResultDone = 0;
        FakeWindow& w = OpenPage(WM_PAGE_SUCCESS);
        ASSERT_TRUE(WorkerSleeping());
        const auto page = w.Poster();
        ASSERT_TRUE(w.Click(1008));  // end: the page closes, the worker sleeps on
        EXPECT_TRUE(Closed(page));
        env.ui.RunPending();  // the hub has freed the page object
        const std::size_t windows = env.ui.History().size();
        // Closing neither waited for the worker nor woke it: it still sleeps, unasked.
        EXPECT_EQ(RunningWorkers(), 1u);
        EXPECT_EQ(env.clock.Blocked(), 1u);
        EXPECT_TRUE(sim->InternetRequests().empty());

        env.clock.Advance(150000);
        ASSERT_TRUE(WorkersDone());
        // The worker did its check; its message found no page and was dropped.
        EXPECT_EQ(sim->InternetRequests().empty(), !internet);
        EXPECT_EQ(env.ui.History().size(), windows);  // no failure page
        EXPECT_EQ(TopTitle(), "");
        EXPECT_EQ(theApp.m_bResultImage, 0);
        EXPECT_TRUE(Sent().empty());
        sim->Stop();
    }
    EXPECT_EQ(env.system.Exits(), (std::vector<int>{1, 1}));

    // Shutting the workers down wakes the sleeping one and joins it: no check is made.
    StartRouter(8);
    theApp.m_bResultDone = 0;
    OpenPage(WM_PAGE_SUCCESS);
    ASSERT_TRUE(WorkerSleeping());
    StopAllWorkers();
    EXPECT_EQ(RunningWorkers(), 0u);
    EXPECT_TRUE(sim->InternetRequests().empty());
}

// ---- the failure page ----

TEST_F(ResultPage, FailurePageTryAgainHotspotByLanguage) {
    struct Case {
        int language;
        Rect rect;
    };
    for (const Case c : {Case{1, {440, 460, 260, 27}}, Case{14, {440, 460, 260, 27}},
                         Case{15, {570, 460, 130, 27}}, Case{16, {570, 460, 130, 27}}}) {
        SCOPED_TRACE(c.language);
        AddPicture(c.language, "19.jpg");
        AddPicture(c.language, "09.jpg");  // the connection-type page it goes back to
        theApp.SetLanguage(c.language);
        theApp.SetModel(8);
        FakeWindow& w = OpenPage(WM_PAGE_FAILED);
        ASSERT_EQ(w.Title(), "CZavroFailed");
        EXPECT_EQ(w.ControlRect(1016), c.rect);
        EXPECT_EQ(w.CursorOver(1016), CursorShape::Hand);
        EXPECT_TRUE(w.IsControlVisible(1015));
        const auto page = w.Poster();
        ASSERT_TRUE(w.Click(1016));
        EXPECT_TRUE(Closed(page));
        EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_CONNECTMODE});
        EXPECT_EQ(TopTitle(), "CZavroConnectMode");
    }
}

TEST_F(ResultPage, FailurePageHidesTheWirelessTabsForModelTwo) {
    theApp.SetModel(2);
    theApp.m_nModelVariant = 2;
    FakeWindow& w = OpenPage(WM_PAGE_FAILED);
    EXPECT_EQ(w.GetText(1018), "QX-3150NS");
    EXPECT_FALSE(w.IsControlVisible(1015));
    EXPECT_FALSE(w.IsControlVisible(1014));
    EXPECT_TRUE(w.IsControlVisible(1010));
    EXPECT_EQ(w.ControlRect(1004), (Rect{673, 550, 124, 40}));
    ASSERT_TRUE(w.Click(1010));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_UPDATEFIRM});
}

// ---- the wait dialog's router part ----

TEST_F(ResultPage, WaitDialogLanguageTimerSendsTheLanguage) {
    StartRouter(8);
    theApp.SetLanguage(2);
    theApp.m_pszRebootKey = kRebootKeyLanguage;
    env.ui.onModal = [&](FakeWindow& w) {
        EXPECT_EQ(w.Timers(), (std::map<int, unsigned>{{11, 50000}, {33, 1000}}));
        env.clock.Advance(49999);
        EXPECT_TRUE(sim->Requests().empty());
        env.clock.Advance(1);
        EXPECT_EQ(sim->GetState().webLanguage, 256);
        EXPECT_EQ(Targets(),
                  (std::vector<std::string>{"GET /index.asp", "POST /goform/formWriteLanguage"}));
        EXPECT_EQ(w.Timers(), (std::map<int, unsigned>{{22, 45000}, {33, 1000}}));
        env.clock.Advance(44999);
        EXPECT_FALSE(w.IsControlVisible(1060));
        env.clock.Advance(1);
        EXPECT_TRUE(w.IsControlVisible(1060));
        EXPECT_EQ(w.GetText(1060), "Reboot_Complete");
        EXPECT_FALSE(w.PressKey(Key::Enter));  // the usual dialog key ends it with OK
    };
    CZavroWait wait;
    EXPECT_EQ(wait.DoModal(), 1);
    EXPECT_TRUE(Keys().empty());
}

TEST_F(ResultPage, WaitDialogLanguageTimerWithTheRouterDown) {
    StartRouter(8);
    sim->Stop();
    theApp.m_pszRebootKey = kRebootKeyLanguage;
    env.ui.onModal = [&](FakeWindow& w) {
        env.clock.Advance(50000);
        EXPECT_TRUE(w.Timers().empty());  // no further timer: the button never comes
        env.clock.Advance(600000);
        EXPECT_FALSE(w.IsControlVisible(1060));
        EXPECT_FALSE(w.PressKey(Key::Escape));
    };
    CZavroWait wait;
    EXPECT_EQ(wait.DoModal(), 2);
    EXPECT_EQ(Keys(), std::vector<std::string>{"failed_setting"});
}

TEST(WaitDialogTimers, ModelsAndKeysTheOtherTableLeavesOut) {
    struct Case {
        int model;
        const char* const* key;
        int timer;
        unsigned ms;
    };
    for (const Case c :
         {Case{3, &kRebootKeySsid, 22, 65000}, Case{5, &kRebootKeyFirmware, 22, 120000},
          Case{1, &kRebootKeyLanguage, 11, 50000}, Case{3, &kRebootKeyLanguage, 11, 50000},
          Case{4, &kRebootKeyLanguage, 22, 45000}, Case{4, &kRebootKeyFirmware, 22, 45000},
          Case{7, &kRebootKeySsid, 22, 65000}}) {
        test::TestEnv env;
        theApp.SetModel(c.model);
        theApp.m_pszRebootKey = *c.key;
        std::map<int, unsigned> timers;
        env.ui.onModal = [&](FakeWindow& w) {
            timers = w.Timers();
            w.PressKey(Key::Enter);  // OK, also before the button shows
        };
        CZavroWait wait;
        EXPECT_EQ(wait.DoModal(), 1);
        EXPECT_EQ(timers, (std::map<int, unsigned>{{c.timer, c.ms}, {33, 1000}}))
            << "model " << c.model << " key " << *c.key;
    }
}

}  // namespace
}  // namespace zavro
