// The real program while it waits for the router: the page stays painted, Exit works at
// once, and a click given during the wait does nothing, then or afterwards.
#include "WizardRun.h"

namespace zavro::e2e {
namespace {

namespace fs = std::filesystem;

TEST_F(WizardRunTest, ExitDuringAStalledExchangeEndsAtOnceWhileThePageStaysPainted) {
    StartRouter();
    // The router takes every connection and never answers (an exchange would block for
    // the client's 300-second limit).
    routersim::Fault stall;
    stall.kind = routersim::FaultKind::NoAnswer;
    m_sim->SetFault(stall);
    const fs::path before = BuildFolder() / "e2e-wait-before.png";
    const fs::path during = BuildFolder() / "e2e-wait-during.png";
    fs::remove(during);
    const WizardOutcome run =
        RunWizard(Concat(ToPasswordPage(), {
                                               "type 1020 5820",
                                               "screenshot " + before.string(),
                                               "click 1013",
                                               "await-busy 5000",
                                               "screenshot " + during.string(),
                                               "click 1013",
                                               "click 1008",
                                               "sleep 10000",
                                               "quit 0",
                                           }));
    // 1 is Exit's code: the script's own end ("quit 0") after its sleep was never reached.
    EXPECT_EQ(run.program.exitCode, 1) << run.output;
    EXPECT_TRUE(run.messages.empty());
    // One login went out; the second Next during the wait sent nothing.
    EXPECT_EQ(m_sim->Requests().size(), 1u);
    // What the user saw during the wait is the page, painted as before it.
    const auto a = LoadPicture(before);
    const auto b = LoadPicture(during);
    ASSERT_TRUE(a && b) << run.output;
    EXPECT_LT(MeanDifference(*a, *b), 1.0);
}

TEST_F(WizardRunTest, NextClickedDuringASlowExchangeIsDroppedThenAndAfterwards) {
    StartRouter();
    routersim::Fault slow;
    slow.kind = routersim::FaultKind::Slow;
    slow.slowDelayMs = 40;  // the login's answer trickles in for a good part of a second
    slow.count = 1;
    m_sim->SetFault(slow);
    const WizardOutcome run =
        RunWizard(Concat(ToPasswordPage(), {
                                               "type 1020 5820",
                                               "click 1013",
                                               "await-busy 5000",
                                               "click 1013",
                                               "await-idle 30000",
                                               "await-window CZavroConnectMode",
                                               "quit 0",
                                           }));
    EXPECT_EQ(run.program.exitCode, 0) << run.output;
    // One Next with no new password: one check of the current one, one message.
    EXPECT_EQ(run.messages, (std::vector<Message>{{"Zavro", MessageText("Not_Change_Pwd")}}));
    std::vector<std::string> paths;
    for (const auto& r : m_sim->Requests()) paths.push_back(r.method + " " + r.target);
    // The check's two logins, each answering the router's challenge.
    EXPECT_EQ(paths.size(), 4u) << ::testing::PrintToString(paths);
    // The connection-type page opened once, and nothing after it.
    std::vector<std::string> paints;
    for (const auto& s : run.stamps)
        if (s.rfind("paint ", 0) == 0) paints.push_back(s);
    ASSERT_FALSE(paints.empty());
    EXPECT_EQ(paints.back(), "paint CZavroConnectMode");
}

}  // namespace
}  // namespace zavro::e2e
