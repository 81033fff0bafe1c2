// Why a router step failed, as the pages tell it: the page's own text, then the line of the
// cause from the optional "why_" keys. A medium without those keys shows the text alone.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RouterPageFixture.h"
#include "app/Messages.h"
#include "app/Texts.h"

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
        env.profile.values[LanguageFile(1, "string.ini") + "|MESSAGE|why_http"] =
            "why_http %d";
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
        routersim::Fault fault;
        fault.kind = c.kind;
        fault.status = c.status;
        fault.path = "/goform/";  // the login passes, the setting fails
        sim->SetFault(fault);
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
    routersim::Fault fault;
    fault.kind = routersim::FaultKind::Status;
    fault.status = 500;
    fault.path = "/goform/";
    sim->SetFault(fault);
    EXPECT_EQ(SubmitPppoe(), std::vector<std::string>{"failed_setting"});
    // The cause was looked for, and its absence changed nothing.
    bool asked = false;
    for (const auto& l : env.profile.lookups) asked = asked || l.key == "why_http";
    EXPECT_TRUE(asked);
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
}

}  // namespace
}  // namespace zavro
