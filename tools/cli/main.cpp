// zavro-cli: the router client on the command line, on the POSIX adapters.
#include <csignal>

#include "Cli.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/Environment.h"
#include "platform/posix/PosixAdapters.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/PosixTcp.h"

int main(int argc, char** argv) {
    // A router that closes mid-upload must give a result, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    zavro::PosixSystem system(argc, argv);
    zavro::PosixClock clock;
    zavro::PosixAdapters adapters;
    zavro::posix::CurlHttpClient http;
    zavro::posix::PosixTcpFactory tcp;

    zavro::Platform& ports = zavro::Ports();
    ports.system = &system;
    ports.clock = &clock;
    ports.adapters = &adapters;
    ports.http = &http;
    ports.tcp = &tcp;
    // No shell: the Internet check only reports, it opens no browser.
    zavro::posix::ApplyProgramEnvironment(ports);
    return zavro::cli::Run(argc, argv, http);
}
