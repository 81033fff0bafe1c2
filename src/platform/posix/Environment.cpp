#include "platform/posix/Environment.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/NetGuard.h"
#include "router/RouterAddress.h"

namespace zavro::posix {

void ApplyEnvironment(Platform& platform) {
    if (const char* router = std::getenv("ZAVRO_ROUTER"); router && *router) {
        if (const auto address = router::ParseRouterAddress(router, 80)) {
            platform.routerHost = address->host;
            platform.routerPort = address->port;
        } else {
            std::fprintf(stderr,
                         "zavro: ZAVRO_ROUTER=\"%s\" ignored (expected host or host:port)\n",
                         router);
        }
    }
    if (const char* home = std::getenv("ZAVRO_HOME_URL"); home && *home) {
        const std::string url = home;
        if (url.rfind("http://", 0) == 0 && url.size() > 7)
            platform.homeUrl = url;
        else
            std::fprintf(stderr, "zavro: ZAVRO_HOME_URL=\"%s\" ignored (expected an http URL)\n",
                         home);
    }
}

void ApplyProgramEnvironment(Platform& platform) {
    ApplyEnvironment(platform);
    if (const char* guard = std::getenv("ZAVRO_LOOPBACK_ONLY"); guard && *guard == '1') {
        netguard::SetLoopbackOnly(true, [](const std::string& host) {
            std::fprintf(stderr, "zavro: refused a connection to non-loopback %s\n", host.c_str());
        });
    }
}

}  // namespace zavro::posix
