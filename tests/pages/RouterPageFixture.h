// Page tests with the real HTTP and TCP adapters talking to the router simulator on an
// ephemeral loopback port.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "RouterSim.h"
#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixTcp.h"
#include "support/TestEnv.h"

namespace zavro::test {

class RouterPageTest : public ::testing::Test {
protected:
    void StartRouter(int model = 8) {
        routersim::Options options;
        options.model = model;
        sim = std::make_unique<routersim::Simulator>(options);
        ASSERT_TRUE(sim->Start());
        http.SetTimeouts(2000, 5000);  // a silent peer cannot hold a test
        Ports().http = &http;
        Ports().tcp = &tcp;
        Ports().routerHost = "127.0.0.1";
        Ports().routerPort = sim->Port();
        Ports().homeUrl = "http://127.0.0.1:" + std::to_string(sim->InternetPort()) + "/";
        env.profile.echoKeys = true;
        theApp.SetModel(model);
    }
    void TearDown() override {
        StopAllWorkers();
        hub.reset();
        if (sim) sim->Stop();
    }
    // Opens a page through the hub, as the page before it would.
    FakeWindow& Open(unsigned message) {
        if (!hub) {
            hub = std::make_unique<CZavroDlg>();
            theApp.m_hHubWnd = hub.get();
        }
        SendMessage(theApp.m_hHubWnd, message);
        env.ui.RunPending();
        FakeWindow* top = env.ui.Top();
        EXPECT_NE(top, nullptr);
        return *top;
    }
    FakeWindow& Top() { return *env.ui.Top(); }
    std::vector<std::string> Keys() { return env.ui.MessageTexts(); }

    TestEnv env;
    posix::CurlHttpClient http;
    posix::PosixTcpFactory tcp;
    std::unique_ptr<routersim::Simulator> sim;
    std::unique_ptr<CZavroDlg> hub;
};

}  // namespace zavro::test
