// The PPTP, L2TP and BigPond pages against the simulated router on loopback, through the
// real HTTP adapter: what the router keeps after a whole run, in each dialect.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RouterSim.h"
#include "platform/posix/CurlHttp.h"
#include "wan_test_support.h"

namespace zavro {
namespace {

using test::FakeWindow;

class WanSimPages : public test::WanPageTest {
protected:
    void SetUp() override {
        test::WanPageTest::SetUp();
        ASSERT_TRUE(sim.Start());
        curl.SetTimeouts(2000, 5000);
        Ports().http = &curl;
        Ports().routerHost = "127.0.0.1";
        Ports().routerPort = sim.Port();
    }

    void UseModel(int model) {
        theApp.SetModel(model);
        sim.SetModel(model);
    }

    // A whole tunnel run: fixed address on the first page, an on-demand account on the
    // second.
    void RunTunnel(unsigned firstMessage) {
        ResetTunnelState();
        FakeWindow& first = Open(firstMessage);
        ASSERT_TRUE(first.Click(1043));
        ASSERT_TRUE(first.Type(1032, "10.1.2.3"));
        ASSERT_TRUE(first.Type(1035, "10.1.2.254"));
        ASSERT_TRUE(first.Click(1013));
        FakeWindow& second = Top();
        ASSERT_TRUE(second.Type(1036, "alice"));
        ASSERT_TRUE(second.Type(1037, "s3cret"));
        ASSERT_TRUE(second.Type(1035, "10.9.9.9"));
        ASSERT_TRUE(second.Select(1040, 1));
        ASSERT_TRUE(second.Type(1041, "15"));
        ASSERT_TRUE(second.Click(1013));
    }

    routersim::Simulator sim;
    posix::CurlHttpClient curl;
};

struct DialectCase {
    int model;
    unsigned firstMessage;
    int wanType;
    // Fields the router must have kept.
    std::vector<std::pair<std::string, std::string>> fields;
};

TEST_F(WanSimPages, TunnelRunsInEveryDialect) {
    const DialectCase cases[] = {
        {8,
         WM_PAGE_PPTP,
         4,
         {{"pptpIpMode", "1"},
          {"pptpIPAddr", "10.1.2.3"},
          {"pptpIPMaskAddr", "255.255.255.0"},
          {"pptpDfGateway", "10.1.2.254"},
          {"pptpUserName", "alice"},
          {"pptpGateway", "10.9.9.9"},
          {"pptpMTU", "1392"},
          {"pptpConnectType", "1"},
          {"pptpIdleTime", "15"}}},
        {8,
         WM_PAGE_L2TP,
         5,
         {{"L2TPIpMode", "1"},
          {"L2TPIPAddr", "10.1.2.3"},
          {"L2TPDefGateway", "10.1.2.254"},
          {"L2TPUserName", "alice"},
          {"L2TPGateway", "10.9.9.9"},
          {"L2TPIdleTime", "15"}}},
        {1,
         WM_PAGE_PPTP,
         4,
         {{"pptpIpMode", "1"},
          {"pptpIPAddr", "10.1.2.3"},
          {"pptpPassword", "s3cret"},
          {"pptpConntID", ""},
          {"pptpIdleTime", "15"}}},
        {3,
         WM_PAGE_L2TP,
         5,
         {{"L2TPIpMode", "1"}, {"L2TPMaskAddr", "255.255.255.0"}, {"L2TPConntID", ""}}},
        {2,
         WM_PAGE_PPTP,
         4,
         {{"pptpIpMode", "1"},
          {"wanip_1", "10"},
          {"wanip_4", "3"},
          {"wangw_4", "254"},
          {"wansv_1", "10"},
          {"wansv_4", "9"},
          {"username", "alice"},
          {"silentTimeout", "15"}}},
        {7,
         WM_PAGE_L2TP,
         5,
         {{"l2tpIpMode", "1"},
          {"l2tpsrv", "10.9.9.9"},
          {"dialOnDemand", "1"},
          {"wansm_3", "255"},
          {"wansm_4", "0"}}},
    };
    for (const DialectCase& c : cases) {
        SCOPED_TRACE("model " + std::to_string(c.model) + " type " + std::to_string(c.wanType));
        sim.SetState({});
        env.ui.ClearMessages();
        UseModel(c.model);
        RunTunnel(c.firstMessage);
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(recorder->sent.back(), WM_PAGE_SETLANGUAGE);
        const routersim::State state = sim.GetState();
        EXPECT_EQ(state.wanType, c.wanType);
        for (const auto& [name, value] : c.fields) {
            const auto it = state.wan.find(name);
            ASSERT_NE(it, state.wan.end()) << name;
            EXPECT_EQ(it->second, value) << name;
        }
    }
}

TEST_F(WanSimPages, RefusedPasswordAndSilentRouterLeaveTheWanAlone) {
    routersim::State changed;
    changed.adminPassword = "other";
    sim.SetState(changed);
    RunTunnel(WM_PAGE_PPTP);
    EXPECT_EQ(Shown(), std::vector<std::string>{"failed_setting"});
    EXPECT_EQ(Top().Title(), "CZavroPPTPxDSL2");
    EXPECT_EQ(sim.GetState().wanType, 0);

    // Nothing listens on the router's port any more.
    env.ui.ClearMessages();
    sim.Stop();
    ASSERT_TRUE(Top().Click(1013));
    EXPECT_EQ(Shown(), std::vector<std::string>{"failed_setting"});
    EXPECT_EQ(Top().Title(), "CZavroPPTPxDSL2");
}

TEST_F(WanSimPages, CloneReadsThePcAddressAfterTheLogin) {
    FakeWindow& w = Open(WM_PAGE_L2TP);
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(w.GetText(1031), "001A2B3C4D5E");
    const auto requests = sim.Requests();
    // The login probe only (the HTTP client may first go without credentials).
    ASSERT_FALSE(requests.empty());
    for (const auto& r : requests) EXPECT_EQ(r.target, "/index.asp");
    EXPECT_EQ(requests.back().status, 200);
    EXPECT_NE(requests.back().Header("Authorization"), "");
}

TEST_F(WanSimPages, BigPondInTheFormPostAndQueryDialects) {
    for (int model : {4, 6}) {
        SCOPED_TRACE(model);
        sim.SetState({});
        UseModel(model);
        FakeWindow& w = Open(WM_PAGE_TELSTRA);
        ASSERT_TRUE(w.Type(1036, "bob"));
        ASSERT_TRUE(w.Type(1037, "pw"));
        ASSERT_TRUE(w.Click(1047));
        ASSERT_TRUE(w.Type(1025, "61.9.1.2"));
        ASSERT_TRUE(w.Click(1013));
        EXPECT_EQ(recorder->sent.back(), WM_PAGE_SUCCESS);
        const routersim::State state = sim.GetState();
        EXPECT_EQ(state.wanType, 6);
        if (model == 4) {
            EXPECT_EQ(state.wan.at("telBPUserName"), "bob");
            EXPECT_EQ(state.wan.at("telBPIPAddr"), "61.9.1.2");
            EXPECT_EQ(state.wan.at("telBPEnabled"), "ON");
        } else {
            EXPECT_EQ(state.wan.at("telBPPassword"), "pw");
            EXPECT_EQ(state.wan.at("wansv_1"), "61");
            EXPECT_EQ(state.wan.at("wansv_4"), "2");
        }
    }
    EXPECT_TRUE(Shown().empty());
}

// The router takes typed texts as Windows-1252 bytes: a character outside it ("\xD0\x96",
// Cyrillic Zhe; "\xE4\xB8\xAD", a CJK ideograph) is refused with the page's input message
// before anything is sent; one inside it (u with diaeresis) arrives as its one byte.
TEST_F(WanSimPages, TypedTextsReachTheRouterAsWindows1252OrNotAtAll) {
    const std::string zhe = "\xD0\x96", cjk = "\xE4\xB8\xAD";
    using Fill = std::function<void(FakeWindow&)>;
    auto tunnelAccount = [this](unsigned first, Fill fill) {
        return [this, first, fill](FakeWindow&) {
            FakeWindow& w = Open(first);
            ASSERT_TRUE(w.Click(1042));
            ASSERT_TRUE(w.Click(1013));
            FakeWindow& second = Top();
            ASSERT_TRUE(second.Type(1036, "alice"));
            ASSERT_TRUE(second.Type(1037, "s3cret"));
            fill(second);
        };
    };
    const struct {
        const char* name;
        int model;
        unsigned message;  // 0: the fill opens its pages itself
        Fill fill;
    } cases[] = {
        {"PPPoE user", 8, WM_PAGE_PPPOE,
         [&](FakeWindow& w) {
             w.Type(1036, "al" + zhe);
             w.Type(1037, "pw");
         }},
        {"PPPoE password", 2, WM_PAGE_PPPOE,
         [&](FakeWindow& w) {
             w.Type(1036, "al");
             w.Type(1037, "p" + cjk);
         }},
        {"PPPoE service", 1, WM_PAGE_PPPOE,
         [&](FakeWindow& w) {
             w.Type(1036, "al");
             w.Type(1037, "pw");
             w.Type(1038, "isp" + zhe);
         }},
        {"cable modem host name", 8, WM_PAGE_CABLEMODEM,
         [&](FakeWindow& w) { w.Type(1030, "pc" + cjk); }},
        {"PPTP host name", 8, WM_PAGE_PPTP,
         [&](FakeWindow& w) {
             w.Click(1042);
             w.Type(1030, "pc" + zhe);
         }},
        {"L2TP password", 2, 0,
         tunnelAccount(WM_PAGE_L2TP, [&](FakeWindow& w) { w.Type(1037, "s" + cjk); })},
        {"PPTP connection ID", 8, 0,
         tunnelAccount(WM_PAGE_PPTP, [&](FakeWindow& w) { w.Type(1045, "id" + zhe); })},
        {"BigPond user", 4, WM_PAGE_TELSTRA,
         [&](FakeWindow& w) {
             w.Type(1036, "bob" + cjk);
             w.Type(1037, "pw");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseModel(c.model);
        ResetTunnelState();
        env.ui.ClearMessages();
        FakeWindow* w = c.message ? &Open(c.message) : nullptr;
        c.fill(w ? *w : Top());
        const std::string title = Top().Title();
        ASSERT_TRUE(Top().Click(1013));
        EXPECT_EQ(Shown(), std::vector<std::string>{"Input_The_Info"});
        EXPECT_EQ(Top().Title(), title);
    }
    EXPECT_TRUE(sim.Requests().empty()) << sim.Requests().size() << " requests sent";

    // Inside Windows-1252: its one byte, on a page and after the tunnel's way back.
    UseModel(4);
    FakeWindow& w = Open(WM_PAGE_TELSTRA);
    ASSERT_TRUE(w.Type(1036, "b\xC3\xBC"));
    ASSERT_TRUE(w.Type(1037, "p\xC3\xBC"));
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(sim.GetState().wan["telBPUserName"], "b\xFC");
    UseModel(8);
    ResetTunnelState();
    FakeWindow& first = Open(WM_PAGE_L2TP);
    ASSERT_TRUE(first.Click(1042));
    ASSERT_TRUE(first.Type(1030, "pc\xC3\xBC"));
    ASSERT_TRUE(first.Click(1013));
    ASSERT_TRUE(Top().Type(1036, "al\xC3\xBC"));
    ASSERT_TRUE(Top().Type(1037, "s3cret"));
    ASSERT_TRUE(Top().Click(1013));
    const routersim::State state = sim.GetState();
    EXPECT_EQ(state.wan.count("L2TPUserName") ? state.wan.at("L2TPUserName") : "", "al\xFC");
    EXPECT_EQ(state.wan.count("HostName") ? state.wan.at("HostName") : "", "pc\xFC");
    EXPECT_EQ(theApp.m_strTunnelInfo1, "pc\xC3\xBC");  // shown as typed on the way back
}

TEST_F(WanSimPages, BigPondForTheShippedFamilyReachesNoRouter) {
    FakeWindow& w = Open(WM_PAGE_TELSTRA);
    ASSERT_TRUE(w.Type(1036, "bob"));
    ASSERT_TRUE(w.Type(1037, "pw"));
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Telstra_Set_Failed"});
    EXPECT_TRUE(sim.Requests().empty());
    EXPECT_EQ(sim.GetState().wanType, 0);
}

}  // namespace
}  // namespace zavro
