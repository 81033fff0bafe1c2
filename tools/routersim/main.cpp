// zavro-routersim: the simulated router as a program of its own, for demos and the
// end-to-end runs of the wizard.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "RouterSim.h"

namespace {

const char kUsage[] =
    "usage: zavro-routersim [--host 127.0.0.1] [--port N] [--internet-port N] [--model 1..8]\n"
    "                       [--reboot-down-ms N] [--fault KIND[:status][:count][@path]]\n"
    "                       [--internet-down] [--internet-status N] [--state-file PATH]\n"
    "                       [--quiet]\n"
    "  KIND: none, no-answer, close, reset, slow, status, oversized, garbage, stall\n"
    "  @path: only requests whose path begins with it (@!path: all others)\n"
    "  --internet-status N: the Internet page answers with status N\n"
    "  GET /sim/status shows the state (passwords and keys masked).\n";

bool Number(const std::string& text, long min, long max, long& out) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    routersim::Options options;
    routersim::Fault fault;
    bool quiet = false;
    int internetStatus = 0;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "missing value for " << arg << "\n" << kUsage;
                std::exit(2);
            }
            return argv[++i];
        };
        long n = 0;
        auto bad = [&](const std::string& v) {
            std::cerr << "bad value for " << arg << ": " << v << "\n" << kUsage;
            std::exit(2);
        };
        if (arg == "--host") {
            options.host = value();
        } else if (arg == "--port") {
            std::string v = value();
            if (!Number(v, 0, 65535, n)) bad(v);
            options.port = static_cast<std::uint16_t>(n);
        } else if (arg == "--internet-port") {
            std::string v = value();
            if (!Number(v, 0, 65535, n)) bad(v);
            options.internetPort = static_cast<std::uint16_t>(n);
        } else if (arg == "--model") {
            std::string v = value();
            if (!Number(v, 1, 8, n)) bad(v);
            options.model = static_cast<int>(n);
        } else if (arg == "--reboot-down-ms") {
            std::string v = value();
            if (!Number(v, 0, 3600000, n)) bad(v);
            options.rebootDownMs = static_cast<unsigned>(n);
        } else if (arg == "--fault") {
            std::string v = value();
            if (!routersim::ParseFault(v, fault)) bad(v);
        } else if (arg == "--internet-down") {
            options.internetUp = false;
        } else if (arg == "--internet-status") {
            const std::string v = value();
            if (!Number(v, 100, 999, n)) bad(v);
            internetStatus = static_cast<int>(n);
        } else if (arg == "--state-file") {
            options.stateFile = value();
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << "unknown argument " << arg << "\n" << kUsage;
            return 2;
        }
    }
    // A long-running simulator keeps only a bounded history.
    options.maxRecorded = 1000;
    options.recordBodyLimit = 64 * 1024;
    if (!quiet) {
        options.log = [](const std::string& line) {
            std::fprintf(stderr, "routersim: %s\n", line.c_str());
        };
    }

    // Block the stop signals before any thread exists, so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    routersim::Simulator sim(options);
    if (!sim.Start()) {
        std::cerr << "zavro-routersim: cannot listen on " << options.host
                  << " (loopback addresses only, ports free?)\n";
        return 1;
    }
    sim.SetFault(fault);
    sim.SetInternetStatus(internetStatus);
    std::string host = options.host.find(':') != std::string::npos && options.host.front() != '['
                           ? "[" + options.host + "]"
                           : options.host;
    std::printf("zavro-routersim listening on %s:%u internet %s:%u model %d\n", host.c_str(),
                sim.Port(), host.c_str(), sim.InternetPort(), options.model);
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    sim.Stop();
    return 0;
}
