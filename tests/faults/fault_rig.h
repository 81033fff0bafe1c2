// One wizard on the fake UI with the real HTTP and TCP adapters, in front of a simulated
// router on an ephemeral loopback port that can be told to misbehave.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RouterSim.h"
#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "pages/page_test_support.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixTcp.h"
#include "support/MemoryRegistry.h"
#include "support/TestEnv.h"

namespace zavro::test {

// A silent router costs this much real time per request, so it is short; a slow trickle
// (see SlowFault) still ends well inside it.
inline constexpr std::uint32_t kConnectLimitMs = 1000;
inline constexpr std::uint32_t kRequestLimitMs = 600;

// A loopback port that is bound but never listens: connections to it are refused, and no
// other program can take it while this object lives.
class DeadPort {
public:
    DeadPort() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~DeadPort() {
        if (m_fd >= 0) ::close(m_fd);
    }
    DeadPort(const DeadPort&) = delete;
    DeadPort& operator=(const DeadPort&) = delete;
    std::uint16_t Port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

class FaultRig {
public:
    explicit FaultRig(int model = 8) {
        env.profile.echoKeys = true;
        env.AddAllPictures();
        routersim::Options options;
        options.model = model;
        options.log = [this](const std::string& line) {
            std::lock_guard lock(m_logMutex);
            m_log.push_back(line);
        };
        sim = std::make_unique<routersim::Simulator>(options);
        started = sim->Start();
        http.SetTimeouts(kConnectLimitMs, kRequestLimitMs);
        Platform& p = Ports();
        p.http = &http;
        p.tcp = &tcp;
        p.adapters = &adapters;
        p.registry = &registry;
        p.routerHost = "127.0.0.1";
        p.routerPort = sim->Port();
        p.homeUrl = "http://127.0.0.1:" + std::to_string(sim->InternetPort()) + "/";
        hub = std::make_unique<CZavroDlg>();
        recorder = std::make_unique<HubRecorder>(*hub);
        theApp.m_hHubWnd = recorder.get();
        // As the router check and the password page leave it.
        theApp.SetModel(model);
        theApp.m_nModelVariant = 2;
        theApp.SetModelChosen(TRUE);
        theApp.m_strPassword = "5820";
        theApp.m_strNewPassword = "5820";
    }
    ~FaultRig() {
        StopAllWorkers();
        env.ui.RunPending();
        theApp.m_hHubWnd = nullptr;
        hub.reset();
        sim->Stop();
    }
    FaultRig(const FaultRig&) = delete;
    FaultRig& operator=(const FaultRig&) = delete;

    // Opens a page the way the page before it would.
    FakeWindow* Open(unsigned message) {
        hub->OnMessage(message);
        env.ui.RunPending();
        return env.ui.Top();
    }
    FakeWindow* Top() { return env.ui.Top(); }
    std::string TopTitle() {
        FakeWindow* w = env.ui.Top();
        return w ? w->Title() : "";
    }
    std::vector<std::string> Messages() { return env.ui.MessageTexts(); }

    // Real time, bounded: for threads that do real network work.
    static bool WaitUntil(const std::function<bool()>& done, unsigned realMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // The result page's worker logs in over real HTTP and then either gives up or sleeps
    // on the test clock; the clock is moved past its sleep and its answer delivered.
    void DriveResultWorker(std::uint32_t sleepMs) {
        WaitUntil([&] { return RunningWorkers() == 0 || env.clock.Blocked() > 0; });
        if (RunningWorkers() > 0) {
            env.clock.Advance(sleepMs);
            WaitUntil([] { return RunningWorkers() == 0; });
        }
        env.ui.RunPending();
    }

    std::vector<std::string> SimLog() {
        std::lock_guard lock(m_logMutex);
        return m_log;
    }

    TestEnv env;
    FixedAdapters adapters;
    MemoryRegistry registry;
    posix::CurlHttpClient http;
    posix::PosixTcpFactory tcp;
    DeadPort deadPort;
    std::unique_ptr<routersim::Simulator> sim;
    bool started = false;
    std::unique_ptr<CZavroDlg> hub;
    std::unique_ptr<HubRecorder> recorder;

private:
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

}  // namespace zavro::test
