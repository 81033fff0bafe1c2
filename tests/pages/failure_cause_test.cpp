// Why a router step failed, as the pages tell it: the page's own text, then the line of the
// cause from the optional "why_" keys. A medium without those keys shows the text alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "RouterPageFixture.h"
#include "app/Messages.h"
#include "app/Texts.h"
#include "app/Workers.h"
#include "pages/ZavroSuccess.h"

namespace zavro {
namespace {

using test::FakeWindow;

class FailureCause : public test::RouterPageTest {
protected:
    void SetUp() override {
        StartRouter(8);
        // Short enough that a silent router costs the suite little.
        http.SetTimeouts(2000, 400);
        env.AddAllPictures();
        theApp.m_strPassword = "5820";
    }
    void WithCauseKeys() {
        env.profile.echoWhyKeys = true;
        // The status must come out in the line.
        env.profile.values[LanguageFile(1, "string.ini") + "|MESSAGE|why_http"] = "why_http %d";
    }
    // Fills and submits the PPPoE page; returns the message boxes shown.
    std::vector<std::string> SubmitPppoe() {
        env.ui.ClearMessages();
        FakeWindow& w = Open(WM_PAGE_PPPOE);
        w.Type(1036, "alice");
        w.Type(1037, "s3cret");
        EXPECT_TRUE(w.Click(1013));
        return Keys();
    }
};

struct FaultCase {
    const char* name;
    routersim::FaultKind kind;
    int status;
    const char* text;  // the message box, with the why keys echoed
};

TEST_F(FailureCause, EveryFaultNamesItsCauseUnderThePageText) {
    WithCauseKeys();
    const FaultCase cases[] = {
        {"no answer", routersim::FaultKind::NoAnswer, 0, "failed_setting\nwhy_no_answer"},
        {"stall", routersim::FaultKind::Stall, 0, "failed_setting\nwhy_no_answer"},
        {"closed", routersim::FaultKind::CloseWithoutAnswer, 0, "failed_setting\nwhy_closed"},
        {"reset", routersim::FaultKind::ResetMidTransfer, 0, "failed_setting\nwhy_closed"},
        {"500", routersim::FaultKind::Status, 500, "failed_setting\nwhy_http 500"},
        {"503", routersim::FaultKind::Status, 503, "failed_setting\nwhy_http 503"},
        {"401", routersim::FaultKind::Status, 401, "PPPoE_Set_Failed\nwhy_login"},
        {"garbage", routersim::FaultKind::GarbageStatus, 0, "failed_setting\nwhy_garbled"},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The login passes, the setting fails.
        sim->SetFault({.kind = c.kind, .status = c.status, .path = "/goform/"});
        EXPECT_EQ(SubmitPppoe(), std::vector<std::string>{c.text});
        sim->SetFault({});
        hub.reset();
    }

    sim->SetRouterDown(true);
    EXPECT_EQ(SubmitPppoe(), std::vector<std::string>{"failed_setting\nwhy_refused"});
    sim->SetRouterDown(false);
    hub.reset();
    // Nothing failed: no box at all, and the page moved on.
    EXPECT_TRUE(SubmitPppoe().empty());
}

TEST_F(FailureCause, AMediumWithoutTheKeysShowsTheOldTextAlone) {
    sim->SetFault({.kind = routersim::FaultKind::Status, .status = 500, .path = "/goform/"});
    EXPECT_EQ(SubmitPppoe(), std::vector<std::string>{"failed_setting"});
    // The cause was looked for, and its absence changed nothing.
    EXPECT_TRUE(std::any_of(env.profile.lookups.begin(), env.profile.lookups.end(),
                            [](const auto& l) { return l.key == "why_http"; }));
    hub.reset();
    sim->SetFault({});
    sim->SetRouterDown(true);
    EXPECT_EQ(SubmitPppoe(), std::vector<std::string>{"failed_setting"});
}

// Every page that talks to the router uses the same line: the router is off for each.
TEST_F(FailureCause, EveryRouterPageAddsTheLine) {
    WithCauseKeys();
    sim->SetRouterDown(true);
    const std::string line = "failed_setting\nwhy_refused";
    struct PageCase {
        const char* name;
        unsigned page;
        std::function<void(FakeWindow&)> act;
    };
    const PageCase pages[] = {
        {"fixed IP", WM_PAGE_FIXIP,
         [](FakeWindow& w) {
             w.Type(1032, "10.1.2.3");
             w.Type(1035, "10.1.2.1");
             w.Click(1013);
         }},
        {"cable modem clone", WM_PAGE_CABLEMODEM, [](FakeWindow& w) { w.Click(1017); }},
        {"cable modem", WM_PAGE_CABLEMODEM, [](FakeWindow& w) { w.Click(1013); }},
        {"wireless name", WM_PAGE_ESSID, [](FakeWindow& w) { w.Click(1016); }},
        {"wireless key", WM_PAGE_SETWPA, [](FakeWindow& w) { w.Click(1013); }},
        {"admin password", WM_PAGE_SETPWD,
         [](FakeWindow& w) {
             w.Type(1020, "5820");
             w.Click(1013);
         }},
    };
    for (const PageCase& p : pages) {
        SCOPED_TRACE(p.name);
        env.ui.ClearMessages();
        p.act(Open(p.page));
        EXPECT_EQ(Keys(), std::vector<std::string>{line});
        hub.reset();
    }
    // The firmware upload's own socket says why it could not connect.
    const std::string image = (env.programDir / "fw.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(3000, 'x');
    env.ui.ClearMessages();
    FakeWindow& firmware = Open(WM_PAGE_UPDATEFIRM);
    firmware.Type(1023, image);
    firmware.Click(1017);
    EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Update_Failed\nwhy_refused"});
}

// The failure page after the restart: the first step that fails, found by a worker.
class FailurePageDiagnosis : public FailureCause {
protected:
    void SetUp() override {
        FailureCause::SetUp();
        // Names resolve through the simulator only: no query leaves the test.
        http.SetResolver([this](const std::string& name) { return sim->Resolve(name); });
        Ports().homeUrl = sim->InternetUrl();
        env.profile.echoWhyKeys = true;
    }
    // Opens the failure page and waits (bounded, real time) for its diagnosis; the text
    // shown in the diagnosis rectangle, or nullopt when the page shows none.
    std::optional<std::string> Diagnosis() {
        hub.reset();
        FakeWindow& w = Open(WM_PAGE_FAILED);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (RunningWorkers() > 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(RunningWorkers(), 0u);
        env.ui.RunPending();
        const test::FakeControl* c = w.Control(CZavroFailed::kDiagnosis);
        if (!c) return std::nullopt;
        EXPECT_EQ(c->rect, CZavroFailed::kRectDiagnosis);
        // In the look of the picture's own text, not the toolkit's.
        EXPECT_TRUE(c->style.has_value() && c->style->rgb == kPageTextStyle.rgb &&
                    c->style->pixelSize == kPageTextStyle.pixelSize &&
                    c->style->family == kPageTextStyle.family);
        return w.GetText(CZavroFailed::kDiagnosis);
    }
};

TEST_F(FailurePageDiagnosis, ShowsTheFirstStepThatFails) {
    sim->SetRouterDown(true);
    EXPECT_EQ(Diagnosis(), "why_router_down");
    sim->SetRouterDown(false);

    sim->SetInternetResolves(false);
    EXPECT_EQ(Diagnosis(), "why_dns");
    EXPECT_TRUE(sim->InternetRequests().empty());
    sim->SetInternetResolves(true);

    sim->SetInternetUp(false);
    EXPECT_EQ(Diagnosis(), "why_no_route");
    sim->SetInternetUp(true);

    sim->SetInternetStatus(500);
    EXPECT_EQ(Diagnosis(), "why_site");
    EXPECT_EQ(sim->InternetRequests().size(), 1u);
    sim->SetInternetStatus(0);

    sim->SetFault({.kind = routersim::FaultKind::Status, .status = 401, .path = ""});
    EXPECT_EQ(Diagnosis(), "why_login");
    sim->SetFault({});

    // Every step passes (the Internet came back meanwhile): nothing to say.
    EXPECT_EQ(Diagnosis(), std::nullopt);
}

// The diagnosis belongs to its page: leaving the page, or ending the program, while the
// router keeps the login unanswered closes that exchange at once and sends nothing more.
TEST_F(FailurePageDiagnosis, EndsWithItsPageAndNeverHoldsTheProgramEnd) {
    // Without the stop, the silent router would hold the diagnosis this long.
    http.SetTimeouts(30000, 30000);
    // Bounded real-time poll: only a stop that never came runs into the bound.
    auto within5s = [](const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done();
    };
    const struct {
        const char* name;
        std::function<void(FakeWindow&)> leave;
    } ways[] = {
        {"back to the connection types", [](FakeWindow& w) { EXPECT_TRUE(w.Click(1016)); }},
        {"program end",
         [&](FakeWindow&) {
             auto ended = std::async(std::launch::async, [] { StopAllWorkers(); });
             EXPECT_TRUE(within5s([&] {
                 return ended.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
             }));
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        sim->ClearRequests();
        sim->SetFault({.kind = routersim::FaultKind::NoAnswer, .path = "/index.asp"});
        hub.reset();
        FakeWindow& w = Open(WM_PAGE_FAILED);
        ASSERT_TRUE(sim->WaitForRequests(1));
        way.leave(w);
        EXPECT_TRUE(within5s([&] { return sim->OpenConnections() == 0; }));
        EXPECT_TRUE(within5s([] { return RunningWorkers() == 0; }));
        StopAllWorkers();
        env.ui.RunPending();
        sim->SetFault({});
        // The unanswered login was the last thing the diagnosis sent.
        const auto requests = sim->Requests();
        EXPECT_EQ(requests.size(), 1u);
        for (const auto& r : requests) EXPECT_EQ(r.target, "/index.asp");
        EXPECT_TRUE(sim->InternetRequests().empty());
    }
}

TEST_F(FailurePageDiagnosis, AMediumWithoutTheKeysShowsThePageAsBefore) {
    env.profile.echoWhyKeys = false;
    sim->SetInternetUp(false);
    EXPECT_EQ(Diagnosis(), std::nullopt);
    // Not even asked: the router saw nothing from the page.
    EXPECT_TRUE(sim->Requests().empty());
}

}  // namespace
}  // namespace zavro
