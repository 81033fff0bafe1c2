// What the WAN page tests share: a router double behind the HTTP port that records every
// request and answers with scripted statuses, a fixed adapter list, and a hub whose
// page-open messages are recorded on their way.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "page_test_support.h"
#include "platform/Platform.h"
#include "support/TestEnv.h"

namespace zavro::test {

class RouterDouble final : public IHttpClient {
public:
    struct Request {
        std::string host;
        std::uint16_t port = 0;
        std::string user, password, verb, object, header, body;
        int waitDepth = 0;  // wait cursor depth while the request ran
    };

    // Status per object name; 200 for the others. Missing: no answer at all.
    std::map<std::string, int> status;
    bool unreachable = false;
    FakeToolkit* ui = nullptr;
    // Requests made on the test's (UI) thread; the result page's worker's go apart, so
    // what a page sent does not depend on how far that worker got.
    std::vector<Request> requests;
    std::vector<Request> WorkerRequests() const {
        std::lock_guard lock(m_mutex);
        return m_workerRequests;
    }

    // Requests other than the login probe "index.asp".
    std::vector<Request> Settings() const {
        std::vector<Request> out;
        for (const auto& r : requests)
            if (r.object != "index.asp") out.push_back(r);
        return out;
    }

    std::unique_ptr<IHttpSession> Open(const std::string&, std::uint32_t) override {
        return std::make_unique<Session>(*this);
    }

private:
    void Record(const Request& r, bool ownThread) {
        if (ownThread) {
            requests.push_back(r);
            return;
        }
        std::lock_guard lock(m_mutex);
        m_workerRequests.push_back(r);
    }
    const std::thread::id m_owner = std::this_thread::get_id();
    mutable std::mutex m_mutex;
    std::vector<Request> m_workerRequests;

    struct Connection final : IHttpConnection {
        RouterDouble& router;
        Request base;
        Connection(RouterDouble& r, Request b) : router(r), base(std::move(b)) {}
        HttpResult Send(const std::string& verb, const std::string& object,
                        const std::string& header, const std::string& body, std::size_t) override {
            Request r = base;
            r.verb = verb;
            r.object = object;
            r.header = header;
            r.body = body;
            const bool ownThread = std::this_thread::get_id() == router.m_owner;
            r.waitDepth = ownThread && router.ui ? router.ui->WaitCursorDepth() : 0;
            // The result page's worker always gets 200: the scripted answers are written
            // by the test while that worker may still run.
            router.Record(r, ownThread);
            if (!ownThread) return {true, 200, ""};
            if (router.unreachable) return {};
            const auto it = router.status.find(object);
            return {true, it == router.status.end() ? 200 : it->second, ""};
        }
    };
    struct Session final : IHttpSession {
        RouterDouble& router;
        explicit Session(RouterDouble& r) : router(r) {}
        std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                                 const std::string& user,
                                                 const std::string& password) override {
            Request b;
            b.host = host;
            b.port = port;
            b.user = user;
            b.password = password;
            return std::make_unique<Connection>(router, b);
        }
        bool OpenUrl(const std::string&, NetError*) override { return false; }
        void Cancel() override {}  // answers at once: nothing to end
    };
};

// The hub with the pictures of the WAN pages, and theApp as the router check and the
// connection-type page leave it: model 8 variant 2, password "5820", tunnel state reset.
class WanPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.profile.echoKeys = true;
        env.AddAllPictures();
        adapters.address = std::vector<std::uint8_t>{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
        hub = std::make_unique<CZavroDlg>();
        hub->OnInitDialog();
        env.ui.RunPending();
        recorder = std::make_unique<HubRecorder>(*hub);
        theApp.m_hHubWnd = recorder.get();

        router.ui = &env.ui;
        Ports().http = &router;
        Ports().adapters = &adapters;
        theApp.m_strPassword = "5820";
        theApp.SetModel(8);
        theApp.m_nModelVariant = 2;
        theApp.SetModelChosen(TRUE);
        ResetTunnelState();
    }
    void TearDown() override {
        StopAllWorkers();  // the result page's waits
        env.ui.RunPending();
        theApp.m_hHubWnd = hub.get();
    }

    // What opening the connection-type page does.
    static void ResetTunnelState() {
        theApp.SetTunnelAddrMode(3);
        theApp.m_strTunnelInfo1 = theApp.m_strTunnelInfo2 = theApp.m_strTunnelInfo3 =
            theApp.m_strTunnelInfo4 = theApp.m_strTunnelInfo5 = theApp.m_strTunnelInfo6 = "";
    }

    // Opens a page the way the hub does and returns its window.
    FakeWindow& Open(unsigned message) {
        hub->OnMessage(message);
        env.ui.RunPending();
        return Top();
    }
    FakeWindow& Top() {
        FakeWindow* w = env.ui.Top();
        if (!w) throw std::runtime_error("no page shown");
        return *w;
    }
    std::vector<std::string> Shown() { return env.ui.MessageTexts(); }

    TestEnv env;
    RouterDouble router;
    FixedAdapters adapters;
    std::unique_ptr<CZavroDlg> hub;
    std::unique_ptr<HubRecorder> recorder;
};

}  // namespace zavro::test
