// Shared fixture of the router wire tests: a simulated router on an ephemeral loopback
// port, the real libcurl and socket adapters, a test clock, a fixed adapter list and a
// shell recorder installed in Ports() for the test and restored after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/LoopbackPort.h"

#if __has_include("RouterSim.h")
#include "RouterSim.h"
#define ZAVRO_HAVE_ROUTERSIM 1
#elif __has_include("routersim/RouterSim.h")
#include "routersim/RouterSim.h"
#define ZAVRO_HAVE_ROUTERSIM 1
#endif

#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixTcp.h"
#include "support/Recorders.h"
#include "support/TestClock.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {

class FixedAdapters final : public IAdapterList {
public:
    std::optional<std::vector<std::uint8_t>> address;
    std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() override { return address; }
};

class RouterWireTest : public ::testing::Test {
protected:
    // Short limits: the simulator answers at once, and a silent one must not hold the suite.
    static constexpr std::uint32_t kConnectMs = 2000;
    static constexpr std::uint32_t kReceiveMs = 3000;

    void SetUp() override {
        m_saved = Ports();
        m_http.SetTimeouts(kConnectMs, kReceiveMs);
        Ports().http = &m_http;
        Ports().tcp = &m_tcp;
        Ports().clock = &m_clock;
        Ports().adapters = &m_adapters;
        Ports().shell = &m_shell;
    }
    void TearDown() override {
        Ports() = m_saved;
        m_sim.reset();
    }

    void StartRouter(int model, bool internetUp = true) {
        routersim::Options options;
        options.model = model;
        options.internetUp = internetUp;
        StartRouter(std::move(options));
    }
    void StartRouter(routersim::Options options) {
        m_sim = std::make_unique<routersim::Simulator>(std::move(options));
        ASSERT_TRUE(m_sim->Start());
        Ports().routerHost = "127.0.0.1";
        Ports().routerPort = m_sim->Port();
        Ports().homeUrl = "http://127.0.0.1:" + std::to_string(m_sim->InternetPort()) + "/";
    }

    // Requests that carried credentials (the unauthenticated first try of a connection
    // that the router challenged is left out).
    std::vector<routersim::Request> Authed() const {
        std::vector<routersim::Request> out;
        for (auto& r : m_sim->Requests())
            if (!r.Header("Authorization").empty()) out.push_back(r);
        return out;
    }

    static std::string Basic(const std::string& user, const std::string& password);

    std::unique_ptr<routersim::Simulator> m_sim;
    posix::CurlHttpClient m_http;
    posix::PosixTcpFactory m_tcp;
    TestClock m_clock;
    FixedAdapters m_adapters;
    ShellRecorder m_shell;
    Platform m_saved;
};

}  // namespace zavro::test
#endif
