// The setup pages against the simulated router over real HTTP on loopback.
#include "RouterSim.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixTcp.h"
#include "setup_fixture.h"

namespace zavro {
namespace {

class SetupOnSim : public test::SetupPages {
protected:
    void SetUp() override {
        SetupPages::SetUp();
        // A silent router must not hold the suite.
        http.SetTimeouts(2000, 3000);
        Ports().http = &http;
        Ports().tcp = &tcp;
        routersim::Options options;
        options.model = 8;
        sim = std::make_unique<routersim::Simulator>(options);
        ASSERT_TRUE(sim->Start());
        Ports().routerHost = "127.0.0.1";
        Ports().routerPort = sim->Port();
        theApp.SetModel(8);
        theApp.m_nModelVariant = 2;
    }
    void TearDown() override {
        SetupPages::TearDown();
        sim.reset();
    }
    std::vector<std::string> Targets() {
        std::vector<std::string> out;
        for (const auto& r : sim->Requests()) out.push_back(r.method + " " + r.target);
        return out;
    }

    posix::CurlHttpClient http;
    posix::PosixTcpFactory tcp;
    std::unique_ptr<routersim::Simulator> sim;
};

TEST_F(SetupOnSim, PppoeNextSetsTheRouter) {
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    w.Type(1036, "alice@isp");
    w.Type(1037, "s3cret");
    w.Select(1040, 1);
    w.Type(1041, "15");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SUCCESS});
    routersim::State state = sim->GetState();
    EXPECT_EQ(state.wanType, 3);
    EXPECT_EQ(state.wan["pppUserName"], "alice@isp");
    EXPECT_EQ(state.wan["pppPassword"], "s3cret");
    EXPECT_EQ(state.wan["pppMTU"], "1392");
    EXPECT_EQ(state.wan["pppConnectType"], "1");
    EXPECT_EQ(state.wan["pppIdleTime"], "15");
}

// One page a test: a success opens the result page, whose worker restarts the router.
TEST_F(SetupOnSim, FixIpNextSetsTheRouter) {
    test::FakeWindow& w = Open(WM_PAGE_FIXIP);
    w.Type(1032, "10.1.2.3");
    w.Type(1035, "10.1.2.1");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_TRUE(Messages().empty());
    routersim::State state = sim->GetState();
    EXPECT_EQ(state.wanType, 2);
    EXPECT_EQ(state.wan["ip"], "10.1.2.3");
    EXPECT_EQ(state.wan["mask"], "255.255.255.0");
    EXPECT_EQ(state.wan["gateway"], "10.1.2.1");
}

TEST_F(SetupOnSim, CableModemNextSetsTheRouter) {
    test::FakeWindow& c = Open(WM_PAGE_CABLEMODEM);
    c.Type(1030, "myhost");
    c.Type(1031, "0011223344AA");
    ASSERT_TRUE(c.Click(1013));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SUCCESS});
    routersim::State state = sim->GetState();
    EXPECT_EQ(state.wanType, 1);
    EXPECT_EQ(state.wan["dynIPHostName"], "myhost");
    EXPECT_EQ(state.wan["macAddr"], "0011223344AA");
}

TEST_F(SetupOnSim, RouterWithAnotherPasswordRefusesTheWanRequest) {
    routersim::State state = sim->GetState();
    state.adminPassword = "elsewhere";
    sim->SetState(state);
    test::FakeWindow& w = Open(WM_PAGE_PPPOE);
    w.Type(1036, "u");
    w.Type(1037, "p");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"failed_setting"});
    EXPECT_EQ(sim->GetState().wanType, 0);
    EXPECT_EQ(TopTitle(), "CZavroPPPoE");
}

TEST_F(SetupOnSim, RouterThatClosesWithoutAnswerFailsTheRequest) {
    routersim::Fault fault;
    fault.kind = routersim::FaultKind::CloseWithoutAnswer;
    sim->SetFault(fault);
    test::FakeWindow& w = Open(WM_PAGE_FIXIP);
    w.Type(1032, "10.1.2.3");
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"failed_setting"});
    EXPECT_TRUE(Sent().empty());
}

TEST_F(SetupOnSim, NoRouterOnThePort) {
    // The simulator's port once it has stopped: nothing listens there.
    sim->Stop();
    test::FakeWindow& w = Open(WM_PAGE_CABLEMODEM);
    w.Type(1031, "FFFFFFFFFFFF");
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(Messages(), std::vector<std::string>{"failed_setting"});
    EXPECT_EQ(w.GetText(1031), "");
}

TEST_F(SetupOnSim, PasswordChangeReachesTheRouter) {
    test::FakeWindow& w = Open(WM_PAGE_SETPWD);
    w.Type(1020, "5820");
    w.Type(1021, "N3w-pass");
    w.Type(1022, "N3w-pass");
    EXPECT_TRUE(Messages().empty());  // the check on entering 1021 passed silently
    ASSERT_TRUE(w.Click(1013));
    EXPECT_EQ(Messages(), std::vector<std::string>{"NewPwd_Set_Success"});
    EXPECT_EQ(sim->GetState().adminPassword, "N3w-pass");
    EXPECT_EQ(theApp.m_strPassword, "N3w-pass");
    EXPECT_EQ(TopTitle(), "CZavroConnectMode");

    // The next page's request goes out with the new password and is taken.
    theApp.SetConnectionType(3, TRUE);
    ASSERT_TRUE(Top().Click(1019));
    ASSERT_TRUE(Top().Click(1013));
    ASSERT_EQ(TopTitle(), "CZavroPPPoE");
    Top().Type(1036, "u");
    Top().Type(1037, "p");
    ASSERT_TRUE(Top().Click(1013));
    EXPECT_EQ(sim->GetState().wanType, 3);
}

TEST_F(SetupOnSim, WrongCurrentPasswordAndTheDefaultButton) {
    test::FakeWindow& w = Open(WM_PAGE_SETPWD);
    w.Type(1020, "guess");
    w.Focus(1021);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Current_Pwd_Error"});
    EXPECT_EQ(w.Focus(), 1020);
    env.ui.ClearMessages();
    ASSERT_TRUE(w.Click(1077));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Not_Change_Pwd"});
    EXPECT_EQ(theApp.m_strPassword, "5820");
    EXPECT_EQ(sim->GetState().adminPassword, "5820");
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_CONNECTMODE});
}

}  // namespace
}  // namespace zavro
