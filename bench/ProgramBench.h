// What the whole-program benchmarks share: the real program's environment for a scripted
// run against the simulated router, and the stamps it leaves in its timing log.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramProcess.h"
#include "RouterSim.h"

namespace zavro::bench {

struct Stamp {
    std::string event, detail;
    long long ns = 0;
};

inline std::vector<Stamp> ReadStamps(const std::filesystem::path& path) {
    std::vector<Stamp> stamps;
    for (const std::string& line : zavro::e2e::ReadLines(path.string())) {
        std::istringstream in(line);
        Stamp s;
        if (in >> s.event >> s.detail >> s.ns) stamps.push_back(s);
    }
    return stamps;
}

// Offscreen, loopback only, logs and registry in dir, the script in dir/script.txt and
// the stamps in dir/timing.log.
inline std::map<std::string, std::string> ProgramEnvironment(const std::filesystem::path& dir,
                                                             const routersim::Simulator& sim,
                                                             const std::string& timeScale) {
    return {
        {"QT_QPA_PLATFORM", "offscreen"},
        {"ZAVRO_ROUTER", "127.0.0.1:" + std::to_string(sim.Port())},
        {"ZAVRO_HOME_URL", "http://127.0.0.1:" + std::to_string(sim.InternetPort()) + "/"},
        {"ZAVRO_TIME_SCALE", timeScale},
        {"ZAVRO_AUTOMATION", (dir / "script.txt").string()},
        {"ZAVRO_MESSAGE_LOG", (dir / "messages.log").string()},
        {"ZAVRO_REGISTRY_FILE", (dir / "registry").string()},
        {"ZAVRO_TIMING_LOG", (dir / "timing.log").string()},
        {"ZAVRO_LOOPBACK_ONLY", "1"},
        {"XDG_RUNTIME_DIR", dir.string()},
    };
}

inline long long SteadyNs(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A folder for one benchmark's runs of the real program, removed at the end.
class ProgramRuns {
public:
    struct Outcome {
        zavro::e2e::ProgramResult result;
        std::vector<Stamp> stamps;
        long long endNs = 0;  // when the process was seen to end (steady clock)
    };

    ProgramRuns(const routersim::Simulator& sim, const std::string& name)
        : m_sim(sim),
          m_dir(std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_dir);
    }
    ~ProgramRuns() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    ProgramRuns(const ProgramRuns&) = delete;
    ProgramRuns& operator=(const ProgramRuns&) = delete;
    const std::filesystem::path& Dir() const { return m_dir; }

    // Runs the script to its end; nullopt (with the program's output on stderr) when it
    // could not start or was killed at the limit. meanwhile (if any) runs once the program
    // has started, before the run is waited for.
    std::optional<Outcome> Run(const std::string& script, const std::string& timeScale,
                               unsigned limitMs,
                               const std::map<std::string, std::string>& extraEnv = {},
                               const std::function<void()>& meanwhile = {}) {
        const std::filesystem::path log = m_dir / "timing.log";
        std::filesystem::remove(log);
        zavro::e2e::WriteFile((m_dir / "script.txt").string(), script);
        auto env = ProgramEnvironment(m_dir, m_sim, timeScale);
        for (const auto& [key, value] : extraEnv) env[key] = value;
        const std::string output = (m_dir / "output.txt").string();
        zavro::e2e::ProgramProcess program;
        if (!program.Start(zavro::e2e::WizardProgram(), zavro::e2e::WizardFolder(), env, output)) {
            std::fprintf(stderr, "cannot start %s\n", zavro::e2e::WizardProgram().c_str());
            return std::nullopt;
        }
        if (meanwhile) meanwhile();
        Outcome out;
        out.result = program.Wait(limitMs);
        out.endNs = SteadyNs(std::chrono::steady_clock::now());
        if (out.result.timedOut) {
            std::fprintf(stderr, "run killed at the limit:\n%s\n",
                         zavro::e2e::ReadFile(output).c_str());
            return std::nullopt;
        }
        out.stamps = ReadStamps(log);
        return out;
    }
    std::string Output() const { return zavro::e2e::ReadFile((m_dir / "output.txt").string()); }
    // Waits (at most limitMs) for a stamp of that event and detail in the running program's
    // timing log, after the first `after` stamps; its position plus one, or 0.
    std::size_t AwaitStamp(const std::string& event, const std::string& detail, std::size_t after,
                           unsigned limitMs) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        do {
            const auto stamps = ReadStamps(m_dir / "timing.log");
            for (std::size_t i = after; i < stamps.size(); ++i)
                if (stamps[i].event == event && stamps[i].detail == detail) return i + 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < deadline);
        return 0;
    }

private:
    const routersim::Simulator& m_sim;
    std::filesystem::path m_dir;
};

// The simulated router the benches run against, on a loopback port; null when it did not
// start (said on stderr).
inline std::unique_ptr<routersim::Simulator> StartRouter(routersim::Options options) {
    options.model = 8;
    auto sim = std::make_unique<routersim::Simulator>(options);
    if (sim->Start()) return sim;
    std::fprintf(stderr, "the simulated router did not start\n");
    return nullptr;
}

}  // namespace zavro::bench
