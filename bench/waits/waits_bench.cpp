// How alive the real program stays while it waits, printed (not judged). The program runs
// offscreen at time scale 1 against the simulated router on loopback; its UI thread
// writes a heartbeat every 5 ms to the timing log (ZAVRO_HEARTBEAT_MS), and the longest
// gap between two beats during a road is that road's UI stall. Roads:
//  - the router connection page's 6-second address wait;
//  - PPPoE Next against a router that trickles its answer (slow fault);
//  - 10 s of a router that never answers, then a real click on Exit (XTest, through a
//    private Xvfb display): the time from the click to the end of the process;
//  - a 32 MiB firmware upload, up to the wait dialog.
//
// Run inside a loopback-only namespace, e.g.
//   unshare -rn sh -c 'ip link set lo up; build/dev/bench/waits/zavro_waits_bench'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramBench.h"
#include "RealInput.h"

namespace {

namespace fs = std::filesystem;
using zavro::bench::Stamp;

constexpr int kBeatMs = 5;

using Outcome = zavro::bench::ProgramRuns::Outcome;

std::string ToPasswordPage() {
    std::string script;
    for (const std::string& line : zavro::e2e::ToPasswordPage()) script += line + "\n";
    return script;
}

// The n-th stamp (from 1) of that event and detail, or nullopt.
std::optional<long long> Find(const Outcome& o, const std::string& event, const std::string& detail,
                              int n = 1) {
    for (const Stamp& s : o.stamps)
        if (s.event == event && s.detail == detail && --n == 0) return s.ns;
    return std::nullopt;
}

// Longest gap between heartbeats in [from, to], counting the edges; in ms.
double MaxStall(const Outcome& o, long long from, long long to) {
    long long last = from, worst = 0;
    for (const Stamp& s : o.stamps) {
        if (s.event != "beat" || s.ns < from) continue;
        if (s.ns > to) break;
        worst = std::max(worst, s.ns - last);
        last = s.ns;
    }
    worst = std::max(worst, to - last);
    return static_cast<double>(worst) / 1e6;
}

void Road(const char* name, const std::optional<Outcome>& o, const std::string& fromEvent,
          const std::string& fromDetail, int fromN, const std::string& toEvent,
          const std::string& toDetail) {
    if (!o) {
        std::printf("%-46s run failed\n", name);
        return;
    }
    const auto from = Find(*o, fromEvent, fromDetail, fromN);
    const auto to = Find(*o, toEvent, toDetail);
    if (!from || !to) {
        std::printf("%-46s stamps missing (%s %s / %s %s)\n", name, fromEvent.c_str(),
                    fromDetail.c_str(), toEvent.c_str(), toDetail.c_str());
        return;
    }
    std::printf("%-46s max UI stall %.0f ms   (road %.0f ms)\n", name, MaxStall(*o, *from, *to),
                static_cast<double>(*to - *from) / 1e6);
}

}  // namespace

int main() {
    routersim::Options options;
    options.maxRecorded = 50;
    options.recordBodyLimit = 4096;
    const auto router = zavro::bench::StartRouter(options);
    if (!router) return 1;
    routersim::Simulator& sim = *router;
    zavro::bench::ProgramRuns runs(sim, "zavro-waits-bench");
    // Time scale 1, and the UI thread's heartbeat in the timing log.
    const auto run = [&](const std::string& script) {
        return runs.Run(script, "1", 400000, {{"ZAVRO_HEARTBEAT_MS", std::to_string(kBeatMs)}});
    };
    std::printf("real zavro, offscreen, time scale 1, heartbeat every %d ms\n", kBeatMs);

    // The router connection page's Next: PC reset and the 6-second address wait.
    auto six = run(ToPasswordPage() + "quit 0\n");
    Road("6-second address wait", six, "click", "1013", 2, "paint", "CZavroSetPwd");

    // PPPoE Next while the router trickles its answer.
    routersim::Fault slow;
    slow.kind = routersim::FaultKind::Slow;
    slow.slowDelayMs = 100;
    slow.path = "/goform/";
    slow.count = 1;
    sim.SetFault(slow);
    auto pppoe = run(ToPasswordPage() +
                     "type 1020 5820\nclick 1077\nawait-window CZavroConnectMode\n"
                     "click 1019\nclick 1013\nawait-window CZavroPPPoE\n"
                     "type 1036 user\ntype 1037 secret\nclick 1013\n"
                     "await-window CZavroSuccess 60000\nquit 0\n");
    sim.SetFault({});
    Road("PPPoE Next, slow router", pppoe, "click", "1013", 4, "paint", "CZavroSuccess");

    // A router that takes the connection and never answers: Default on the password page,
    // 10 s of waiting, then a real click on Exit through an X server.
    zavro::e2e::XServer x;
    std::string why;
    if (!x.Start(why)) {
        std::printf("no-answer router, then Exit: no X server (%s)\n", why.c_str());
    } else {
        routersim::Fault silent;
        silent.kind = routersim::FaultKind::NoAnswer;
        long long clicked = 0, waitBegan = 0;
        auto exit = runs.Run(
            ToPasswordPage() + "type 1020 5820\n", "1", 400000,
            {{"ZAVRO_HEARTBEAT_MS", std::to_string(kBeatMs)},
             {"QT_QPA_PLATFORM", "xcb"},
             {"DISPLAY", x.Display()}},
            [&] {
                const std::size_t shown = runs.AwaitStamp("paint", "CZavroSetPwd", 0, 60000);
                if (shown == 0) return;
                std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the typing
                sim.SetFault(silent);
                x.Click(570, 504);  // Default: the current password is checked
                if (runs.AwaitStamp("wait", "begin", shown, 10000) == 0) return;
                waitBegan = zavro::bench::SteadyNs(std::chrono::steady_clock::now());
                std::this_thread::sleep_for(std::chrono::seconds(10));
                std::chrono::steady_clock::time_point button;
                if (x.Click(745, 60, &button)) clicked = zavro::bench::SteadyNs(button);  // Exit
            });
        sim.SetFault({});
        if (exit && clicked != 0) {
            std::printf("%-46s max UI stall %.0f ms   (10 s of no answer)\n",
                        "no-answer router, then a real click on Exit",
                        MaxStall(*exit, waitBegan, clicked));
            // From the start of the click's xdotool run: an upper bound.
            std::printf("%-46s exit during wait %.0f ms   (exit code %d)\n", "",
                        static_cast<double>(exit->endNs - clicked) / 1e6, exit->result.exitCode);
        } else {
            std::printf("no-answer router, then Exit: the run did not reach the wait\n");
        }
    }

    // A 32 MiB firmware image, from Upload to the wait dialog (includes the 10 s pause).
    const fs::path image = runs.Dir() / "image.bin";
    zavro::e2e::WriteFile(image.string(), std::string(32u << 20, '\x5A'));
    auto upload = run(ToPasswordPage() +
                      "type 1020 5820\nclick 1010\nawait-window CZavroUpdateFirM\n"
                      "type 1023 " +
                      image.string() +
                      "\nclick 1017\n"
                      "await-window CZavroWait 120000\nquit 0\n");
    Road("32 MiB firmware upload", upload, "click", "1017", 1, "paint", "CZavroWait");
    return 0;
}
