// The real program while it waits, tried with a real mouse and keyboard: pointer and key
// events go through a private X server (XTest), so every click takes the route a hand's
// click takes. Exit ends the program during any wait; a click on anything else during a
// wait does nothing, then or afterwards.
#include <chrono>
#include <thread>

#include "RealInput.h"
#include "WizardRun.h"

namespace zavro::e2e {
namespace {

// Centres of the hotspots the tests click (page coordinates, which the 800x600 display
// makes screen coordinates).
constexpr int kExit[] = {745, 60};              // 1008
constexpr int kSummaryExit[] = {744, 60};       // 1073 of the wireless summary
constexpr int kNext[] = {644, 505};             // 1013
constexpr int kKeepDefault[] = {570, 504};      // 1077 of the password page
constexpr int kCurrentPassword[] = {465, 308};  // 1020

class RealInputTest : public WizardRunTest {
protected:
    static void SetUpTestSuite() {
        s_x = new XServer;
        if (!s_x->Start(s_why)) {
            delete s_x;
            s_x = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete s_x;
        s_x = nullptr;
    }
    void SetUp() override {
        WizardRunTest::SetUp();
        ASSERT_NE(s_x, nullptr) << "no X server for real input: " << s_why;
    }

    RunOptions OnDisplay(const std::string& timeScale = "0.001") const {
        RunOptions run;
        run.display = s_x->Display();
        run.timeScale = timeScale;
        return run;
    }
    static void Click(const int (&at)[2]) { ASSERT_TRUE(s_x->Click(at[0], at[1])); }
    // Waits for a stamp after the first `after` ones; fails the test if none comes.
    std::size_t Await(const std::string& prefix, std::size_t after = 0, unsigned ms = 30000) {
        const std::size_t n = AwaitStamp(prefix, after, ms);
        EXPECT_NE(n, 0u) << "no '" << prefix << "' stamp";
        return n;
    }
    void NoAnswer(const std::string& path = "") {
        routersim::Fault fault;
        fault.kind = routersim::FaultKind::NoAnswer;
        fault.path = path;
        m_sim->SetFault(fault);
    }
    static bool Painted(const WizardOutcome& run, const std::string& page) {
        for (const auto& s : run.stamps)
            if (s == "paint " + page) return true;
        return false;
    }

    static XServer* s_x;
    static std::string s_why;
};
XServer* RealInputTest::s_x = nullptr;
std::string RealInputTest::s_why;

// Next on the router connection page, then Exit 1 s into the 6-second address wait (real
// time): the program ends there, before the password page.
TEST_F(RealInputTest, ExitDuringTheAddressWaitEndsTheProgramThere) {
    StartRouter();
    ASSERT_TRUE(StartWizard({"await-window CZavroWizard 10000", "click 1013",
                             "await-window CZavroARQX", "click 1014", "await-window CZavroQXset"},
                            OnDisplay("1")));
    const std::size_t shown = Await("paint CZavroQXset");
    Click(kNext);
    Await("wait begin", shown);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_FALSE(Painted(run, "CZavroSetPwd")) << "the wait ran to its end first";
}

// Default on the password page against a router that takes the connection and never
// answers; Next during that wait does nothing, Exit ends the program.
TEST_F(RealInputTest, ExitWhileTheRouterNeverAnswersEndsTheProgram) {
    StartRouter();
    ASSERT_TRUE(StartWizard(ToPasswordPage(), OnDisplay()));
    const std::size_t shown = Await("paint CZavroSetPwd");
    Click(kCurrentPassword);
    ASSERT_TRUE(s_x->Type("5820"));
    NoAnswer();
    Click(kKeepDefault);
    Await("wait begin", shown);
    Click(kNext);
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_TRUE(run.messages.empty());
    // One login went out; Next during the wait sent nothing.
    EXPECT_EQ(m_sim->Requests().size(), 1u);
}

// The wireless summary reads the wireless name from a router that does not answer: its
// own Exit (1073) ends the program during that read.
TEST_F(RealInputTest, SummaryExitEndsTheProgramDuringTheNameRead) {
    StartRouter();
    NoAnswer("/wlbasic.asp");
    ASSERT_TRUE(
        StartWizard(Concat(ToPasswordPage(),
                           {"type 1020 5820", "click 1014", "await-window CZavroSetWPA",
                            "click 1017", "type 1023 KeyForTheTest", "click 1013",
                            "await-window CZavroWait", "await-control 1060 30000", "click 1060"}),
                    OnDisplay()));
    const std::size_t closed = Await("click 1060");
    ASSERT_NE(Await("wait begin", closed), 0u) << "the name read is not waiting";
    Await("paint CZvWPAconfigure", closed);
    Click(kSummaryExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(m_sim->Requests().back().target, "/wlbasic.asp");
}

// Next clicked again while a slow check of the password runs does nothing, then or
// afterwards; the first click after the wait acts.
TEST_F(RealInputTest, NextDuringASlowExchangeDoesNothingAndTheNextClickWorks) {
    StartRouter();
    ASSERT_TRUE(StartWizard(ToPasswordPage(), OnDisplay()));
    const std::size_t shown = Await("paint CZavroSetPwd");
    Click(kCurrentPassword);
    ASSERT_TRUE(s_x->Type("5820"));
    routersim::Fault slow;
    slow.kind = routersim::FaultKind::Slow;
    slow.slowDelayMs = 150;  // the login's answer trickles in for seconds
    slow.count = 1;
    m_sim->SetFault(slow);
    Click(kNext);
    const std::size_t waiting = Await("wait begin", shown);
    Click(kNext);
    ASSERT_EQ(AwaitStamp("wait end", waiting, 0), 0u) << "the second click came after the wait";
    const std::size_t next = Await("paint CZavroConnectMode", waiting);
    Click(kExit);
    const WizardOutcome run = FinishWizard();
    EXPECT_NE(next, 0u);
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    // One Next with no new password: one check of the current one, one message.
    EXPECT_EQ(run.messages, (std::vector<Message>{{"Zavro", MessageText("Not_Change_Pwd")}}));
    std::vector<std::string> paths;
    for (const auto& r : m_sim->Requests()) paths.push_back(r.method + " " + r.target);
    // The check's two logins, each answering the router's challenge.
    EXPECT_EQ(paths.size(), 4u) << ::testing::PrintToString(paths);
    std::vector<std::string> paints;
    for (const auto& s : run.stamps)
        if (s.rfind("paint ", 0) == 0) paints.push_back(s);
    ASSERT_FALSE(paints.empty());
    EXPECT_EQ(paints.back(), "paint CZavroConnectMode");
}

}  // namespace
}  // namespace zavro::e2e
