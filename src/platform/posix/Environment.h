// Start-up overrides from the environment: ZAVRO_ROUTER ("host", "host:port",
// "[v6]:port") for the router address and port, ZAVRO_HOME_URL for the Internet check.
#pragma once

#include "platform/Platform.h"

namespace zavro::posix {

// Bad values are ignored with a message on stderr.
void ApplyEnvironment(Platform& platform);

// What a program does at start-up: ApplyEnvironment, and with ZAVRO_LOOPBACK_ONLY=1 the
// adapters' loopback guard (end-to-end runs keep it on in the program as well).
void ApplyProgramEnvironment(Platform& platform);

}  // namespace zavro::posix
