// Whole-program figures, printed (not judged): the real program from the demo medium,
// offscreen, with the simulated router on loopback.
//  (a) start-up: from the spawn to the start page's first paint, median of the runs;
//  (b) page switch: from a hotspot click to the next page's first paint, over many
//      switches between the start page and the router-check page (no router traffic).
// The program stamps clicks and first paints with the steady clock (ZAVRO_TIMING_LOG);
// on Linux that clock is the same in both processes.
//
// Run inside a loopback-only namespace, e.g.
//   unshare -rn sh -c 'ip link set lo up; build/dev/bench/app/zavro_app_bench [runs] [switches]'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramBench.h"

namespace {


using zavro::bench::Stamp;

struct Figures {
    double median = 0, min = 0, max = 0, p90 = 0;
    std::size_t n = 0;
};

Figures Summarise(std::vector<double> v) {
    Figures f;
    f.n = v.size();
    if (v.empty()) return f;
    std::sort(v.begin(), v.end());
    f.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    f.min = v.front();
    f.max = v.back();
    f.p90 = v[std::min(v.size() - 1, v.size() * 9 / 10)];
    return f;
}

// One run of the script; the stamps it left, with the spawn time as the first one.
std::optional<std::vector<Stamp>> RunScript(zavro::bench::ProgramRuns& runs,
                                            const std::string& script,
                                            zavro::e2e::ProgramResult& r) {
    const auto out = runs.Run(script, "0.001", 60000);
    if (!out) return std::nullopt;
    r = out->result;
    if (r.exitCode != 0) {
        std::fprintf(stderr, "run failed (exit %d, signal %d):\n%s\n", r.exitCode, r.signal,
                     runs.Output().c_str());
        return std::nullopt;
    }
    std::vector<Stamp> stamps{{"spawn", "-", zavro::bench::SteadyNs(r.spawnedAt)}};
    stamps.insert(stamps.end(), out->stamps.begin(), out->stamps.end());
    return stamps;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int switches = argc > 2 ? std::max(2, std::atoi(argv[2])) : 100;

    routersim::Options options;
    options.maxRecorded = 100;
    const auto sim = zavro::bench::StartRouter(options);
    if (!sim) return 1;
    zavro::bench::ProgramRuns bench(*sim, "zavro-app-bench");

    // (a) start-up
    std::vector<double> startup, whole;
    for (int i = 0; i < runs; ++i) {
        zavro::e2e::ProgramResult r;
        const auto stamps = RunScript(bench, "await-window CZavroWizard 10000\nquit 0\n", r);
        if (!stamps) return 1;
        const auto paint = std::find_if(stamps->begin(), stamps->end(), [](const Stamp& s) {
            return s.event == "paint" && s.detail == "CZavroWizard";
        });
        if (paint == stamps->end()) {
            std::fprintf(stderr, "the start page was never painted\n");
            return 1;
        }
        startup.push_back(static_cast<double>(paint->ns - stamps->front().ns) / 1e6);
        whole.push_back(r.elapsedMs);
    }
    const Figures up = Summarise(startup);
    const Figures all = Summarise(whole);
    std::printf("start-up to the first painted page (spawn -> start page painted), %zu runs:\n",
                up.n);
    std::printf("  median %.1f ms  (min %.1f, max %.1f)   target < 300 ms\n", up.median, up.min,
                up.max);
    std::printf("  whole run to exit, median %.1f ms (includes shutdown)\n", all.median);

    // (b) page switch: start page <-> router-check page
    std::string script = "await-window CZavroWizard 10000\n";
    for (int i = 0; i < switches / 2; ++i) {
        script += "click 1013\nawait-window CZavroARQX 5000\n";
        script += "click 1010\nawait-window CZavroWizard 5000\n";
    }
    script += "quit 0\n";
    zavro::e2e::ProgramResult r;
    const auto stamps = RunScript(bench, script, r);
    if (!stamps) return 1;
    std::vector<double> switchMs;
    std::optional<long long> clickAt;
    for (const Stamp& s : *stamps) {
        if (s.event == "click") {
            clickAt = s.ns;
        } else if (s.event == "paint" && clickAt) {
            switchMs.push_back(static_cast<double>(s.ns - *clickAt) / 1e6);
            clickAt.reset();
        }
    }
    const Figures sw = Summarise(switchMs);
    std::printf("page switch (hotspot click -> next page painted), %zu switches:\n", sw.n);
    std::printf("  median %.2f ms  (min %.2f, p90 %.2f, max %.2f)   target < 30 ms\n", sw.median,
                sw.min, sw.p90, sw.max);
    if (sw.n != static_cast<std::size_t>(switches / 2 * 2)) {
        std::printf("  note: %d clicks, %zu pages painted after a click\n", switches / 2 * 2, sw.n);
    }
    return 0;
}
