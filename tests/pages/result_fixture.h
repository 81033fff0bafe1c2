// Result, failure, firmware and router-language pages against the simulated router.
// The page workers run on their own threads and sleep on the test clock; the helpers
// here let a test follow them without real waits for virtual time.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RouterPageFixture.h"
#include "page_test_support.h"

namespace zavro::test {

// Colours of the two final pictures, so a test can tell which one the page shows.
constexpr std::uint32_t kFinalColour = 0xFF20C040u;   // 18.jpg
constexpr std::uint32_t kNoNextColour = 0xFFC08020u;  // 18_nonext.jpg

// Real loopback sockets that log what the upload does with them, and catch a socket
// freed while a thread is still inside one of its calls.
class WatchedTcp final : public ITcpFactory {
public:
    explicit WatchedTcp(ITcpFactory& real) : m_real(real) {}

    std::unique_ptr<ITcpSocket> Create() override {
        auto inner = m_real.Create();
        if (!inner) return nullptr;
        std::lock_guard lock(m_mutex);
        ++m_created;
        return std::make_unique<Socket>(*this, std::move(inner));
    }

    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    int Created() {
        std::lock_guard lock(m_mutex);
        return m_created;
    }
    int FreedWhileBusy() const { return m_freedWhileBusy; }
    // Runs on the thread that sends, just before the bytes go out.
    std::function<void()> onSend;

private:
    class Socket final : public ITcpSocket {
    public:
        Socket(WatchedTcp& owner, std::unique_ptr<ITcpSocket> inner)
            : m_owner(owner), m_inner(std::move(inner)) {}
        ~Socket() override {
            if (m_busy != 0) ++m_owner.m_freedWhileBusy;
            m_owner.Log("free");
        }
        bool Connect(const std::string& host, std::uint16_t port) override {
            return m_inner->Connect(host, port);
        }
        long Send(const void* data, std::size_t size) override {
            ++m_busy;
            if (m_owner.onSend) m_owner.onSend();
            const long n = m_inner->Send(data, size);
            m_owner.Log(n < 0 ? "send failed" : "send");
            --m_busy;
            return n;
        }
        long Receive(void* buffer, std::size_t size) override {
            ++m_busy;
            const long n = m_inner->Receive(buffer, size);
            m_owner.Log(n < 0 ? "receive failed" : n == 0 ? "receive closed" : "receive");
            --m_busy;
            return n;
        }
        void Cancel() override {
            m_owner.Log("cancel");
            m_inner->Cancel();
        }
        void Close() override { m_inner->Close(); }

    private:
        WatchedTcp& m_owner;
        std::unique_ptr<ITcpSocket> m_inner;
        std::atomic<int> m_busy{0};
    };

    void Log(const std::string& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }

    ITcpFactory& m_real;
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    int m_created = 0;
    std::atomic<int> m_freedWhileBusy{0};
};

class ResultPageTest : public RouterPageTest {
protected:
    void SetUp() override {
        env.AddAllPictures();
        AddPicture(1, "18.jpg", kFinalColour);
        AddPicture(1, "18_nonext.jpg", kNoNextColour);
    }
    // A page picture of one colour, encoded once per run and copied: encoding is what
    // would make these tests slow.
    void AddPicture(int language, const std::string& name, std::uint32_t colour = 0xFF3366AAu) {
        static std::map<std::uint32_t, std::filesystem::path> masters;
        auto& master = masters[colour];
        if (master.empty()) {
            master = std::filesystem::temp_directory_path() /
                     ("zavro-result-picture-" + std::to_string(::getpid()) + "-" +
                      std::to_string(colour) + ".png");
            WritePicture(master, 800, 600, colour);
        }
        const auto dir = env.programDir / "image" / std::to_string(language);
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(master, dir / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override {
        RouterPageTest::TearDown();
        theApp.m_hHubWnd = nullptr;
    }
    void StartRouter(int model) {
        RouterPageTest::StartRouter(model);
        Ports().tcp = &watchedTcp;
        theApp.m_strPassword = sim->GetState().adminPassword;
    }

    // Opens a page through the hub, with a recorder in front of it.
    FakeWindow& OpenPage(unsigned message) {
        if (!hub) {
            hub = std::make_unique<CZavroDlg>();
            recorder = std::make_unique<HubRecorder>(*hub);
        }
        theApp.m_hHubWnd = recorder.get();
        SendMessage(theApp.m_hHubWnd, message);
        env.ui.RunPending();
        recorder->sent.clear();
        FakeWindow* top = env.ui.Top();
        if (top == nullptr) throw std::runtime_error("no page is shown");
        return *top;
    }
    std::string TopTitle() {
        FakeWindow* w = env.ui.Top();
        return w ? w->Title() : "";
    }
    const std::vector<unsigned>& Sent() const { return recorder->sent; }
    // A page's window can be freed by the hub once the page closed: a test keeps its
    // post box instead, which answers false once the window is gone.
    static bool Closed(const std::shared_ptr<IPoster>& postBox) { return !postBox->Post(WM_USER); }

    // Lets the other threads (worker, curl, simulator) do their part, delivering posted
    // messages meanwhile, until done() holds; bounded in real time.
    bool PumpUntil(const std::function<bool()>& done, unsigned realMs = 10000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
        for (;;) {
            env.ui.RunPending();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Every page worker has ended and its posted message, if any, was handled.
    bool WorkersDone() {
        return PumpUntil([] { return RunningWorkers() == 0; });
    }
    // The one worker that sleeps on the clock got there.
    bool WorkerSleeping() { return env.clock.WaitForBlocked(1, 10000); }

    // Requests as "METHOD target", without the HTTP client's unauthenticated first try
    // that only fetches the challenge.
    std::vector<std::string> Targets() {
        std::vector<std::string> out;
        for (const auto& r : sim->Requests())
            if (!(r.status == 401 && r.Header("Authorization").empty()))
                out.push_back(r.method + " " + r.target);
        return out;
    }
    std::uint32_t Colour(const FakeWindow& w) { return w.Background().At(400, 300); }

    WatchedTcp watchedTcp{tcp};
    std::unique_ptr<HubRecorder> recorder;
};

}  // namespace zavro::test
