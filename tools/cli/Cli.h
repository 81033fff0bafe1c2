// zavro-cli: the router operations of the wizard as commands, checked by the pages' input
// rules and sent through the same router client.
#pragma once

namespace zavro::posix {
class CurlHttpClient;
}

namespace zavro::cli {

// Runs one command line; Ports() must be filled. Returns the process's exit code.
int Run(int argc, char** argv, posix::CurlHttpClient& http);

}  // namespace zavro::cli
