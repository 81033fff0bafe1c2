// Setup page figures, printed (not judged): the PPPoE page's Next with valid input on the
// headless UI, against the simulated router on loopback over the real libcurl adapter,
// from the click to the page having asked for the result page. Also the admin password
// page's current-password check (two logins) for comparison.
//
// Usage: zavro_pages_bench [runs (200)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RouterSim.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/NetGuard.h"
#include "platform/posix/PosixTcp.h"
#include "support/TestEnv.h"

namespace {

using Clock = std::chrono::steady_clock;

// Takes the page-open messages of the pages under measurement, so that no later page
// (and none of its workers) runs inside the figures.
struct MessageSink final : zavro::IMessageTarget {
    long OnMessage(unsigned message) override {
        last = message;
        return 0;
    }
    unsigned last = 0;
};

struct Figures {
    double median, p90, min, max;
};

Figures Summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 9 / 10], us.front(), us.back()};
}

void Print(const char* what, const Figures& f, std::size_t runs, std::size_t requestsPerRun) {
    std::printf("%-44s runs %4zu  median %8.1f us  p90 %8.1f us  min %8.1f us  max %8.1f us"
                "  (%zu HTTP requests each)\n",
                what, runs, f.median, f.p90, f.min, f.max, requestsPerRun);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    zavro::netguard::SetLoopbackOnly(true, [](const std::string& host) {
        std::fprintf(stderr, "refused non-loopback address %s\n", host.c_str());
        std::exit(2);
    });

    zavro::test::TestEnv env;
    env.profile.echoKeys = true;
    env.AddPicture(1, "12.jpg");
    env.AddPicture(1, "08.jpg");

    routersim::Options options;
    options.model = 8;
    options.maxRecorded = 64;
    routersim::Simulator sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    zavro::posix::CurlHttpClient http;
    zavro::posix::PosixTcpFactory tcp;
    zavro::Ports().http = &http;
    zavro::Ports().tcp = &tcp;
    zavro::Ports().routerHost = "127.0.0.1";
    zavro::Ports().routerPort = sim.Port();
    zavro::theApp.SetModel(8);
    zavro::theApp.m_nModelVariant = 2;

    zavro::CZavroDlg hub;
    MessageSink sink;
    zavro::theApp.m_hHubWnd = &sink;

    auto measure = [&](unsigned page, auto fill, int button, unsigned expected,
                       std::size_t& requestsPerRun) {
        std::vector<double> us;
        for (int i = 0; i < runs + 5; ++i) {
            hub.OnMessage(page);
            env.ui.RunPending();
            zavro::test::FakeWindow* w = env.ui.Top();
            if (!w) {
                std::fprintf(stderr, "page did not open\n");
                std::exit(1);
            }
            fill(*w);
            sink.last = 0;
            env.ui.ClearMessages();
            sim.ClearRequests();
            const auto start = Clock::now();
            w->Click(button);
            const auto end = Clock::now();
            if (sink.last != expected || !env.ui.Messages().empty()) {
                std::fprintf(stderr, "run %d did not pass (message 0x%X)\n", i, sink.last);
                std::exit(1);
            }
            requestsPerRun = sim.Requests().size();
            // The first runs warm the connection set-up paths; they are not counted.
            if (i >= 5) us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
            // Pages that stayed open are closed by hand so that one page is shown at a time.
            if (zavro::test::FakeWindow* still = env.ui.Top()) still->Destroy();
            env.ui.RunPending();
        }
        return Summarise(us);
    };

    std::size_t pppoeRequests = 0, checkRequests = 0;
    const Figures pppoe = measure(
        zavro::WM_PAGE_PPPOE,
        [](zavro::test::FakeWindow& w) {
            w.Type(1036, "alice@isp");
            w.Type(1037, "s3cret");
            w.Type(1038, "");
        },
        1013, zavro::WM_PAGE_SUCCESS, pppoeRequests);
    Print("PPPoE Next (connect + SetPppoe)", pppoe, static_cast<std::size_t>(runs), pppoeRequests);

    const Figures check = measure(
        zavro::WM_PAGE_SETPWD, [](zavro::test::FakeWindow& w) { w.Type(1020, "5820"); }, 1010,
        zavro::WM_PAGE_UPDATEFIRM, checkRequests);
    Print("Admin password firmware tab (TestLogin)", check, static_cast<std::size_t>(runs),
          checkRequests);
    return 0;
}
