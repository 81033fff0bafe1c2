// What the whole-program benchmarks share: the real program's environment for a scripted
// run against the simulated router, and the stamps it leaves in its timing log.
#pragma once

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
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

}  // namespace zavro::bench
