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
#include <unistd.h>

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

namespace fs = std::filesystem;
using zavro::e2e::ProgramProcess;

using zavro::bench::ReadStamps;
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

class Bench {
public:
    explicit Bench(const routersim::Simulator& sim)
        : m_sim(sim),
          m_dir(fs::temp_directory_path() / ("zavro-app-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(m_dir);
    }
    ~Bench() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // One run of the script; the stamps it left, with the spawn time as the first one.
    std::optional<std::vector<Stamp>> Run(const std::string& script, zavro::e2e::ProgramResult& r) {
        const fs::path scriptFile = m_dir / "script.txt";
        const fs::path log = m_dir / "timing.log";
        fs::remove(log);
        zavro::e2e::WriteFile(scriptFile.string(), script);
        const auto env = zavro::bench::ProgramEnvironment(m_dir, m_sim, "0.001");
        ProgramProcess program;
        if (!program.Start(zavro::e2e::WizardProgram(), zavro::e2e::WizardFolder(), env,
                           (m_dir / "output.txt").string())) {
            std::fprintf(stderr, "cannot start %s\n", zavro::e2e::WizardProgram().c_str());
            return std::nullopt;
        }
        r = program.Wait(60000);
        if (r.timedOut || r.exitCode != 0) {
            std::fprintf(stderr, "run failed (exit %d, signal %d%s):\n%s\n", r.exitCode, r.signal,
                         r.timedOut ? ", killed" : "",
                         zavro::e2e::ReadFile((m_dir / "output.txt").string()).c_str());
            return std::nullopt;
        }
        std::vector<Stamp> stamps;
        stamps.push_back(
            {"spawn", "-",
             std::chrono::duration_cast<std::chrono::nanoseconds>(r.spawnedAt.time_since_epoch())
                 .count()});
        for (Stamp& s : ReadStamps(log)) stamps.push_back(std::move(s));
        return stamps;
    }

private:
    const routersim::Simulator& m_sim;
    fs::path m_dir;
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int switches = argc > 2 ? std::max(2, std::atoi(argv[2])) : 100;

    routersim::Options options;
    options.model = 8;
    options.maxRecorded = 100;
    routersim::Simulator sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "the simulated router did not start\n");
        return 1;
    }
    Bench bench(sim);

    // (a) start-up
    std::vector<double> startup, whole;
    for (int i = 0; i < runs; ++i) {
        zavro::e2e::ProgramResult r;
        const auto stamps = bench.Run("await-window CZavroWizard 10000\nquit 0\n", r);
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
    const auto stamps = bench.Run(script, r);
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
