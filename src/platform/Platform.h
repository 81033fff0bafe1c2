// The set of ports the core runs on. The program (or a test) fills it once at start-up;
// the core reads it through Ports(). Members it does not need may stay null.
#pragma once

#include <string>

#include "platform/Adapters.h"
#include "platform/Http.h"
#include "platform/Pictures.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Tcp.h"
#include "platform/Ui.h"

namespace zavro {

struct Platform {
    ISystem* system = nullptr;
    IClock* clock = nullptr;
    IShell* shell = nullptr;
    IProfile* profile = nullptr;
    IPictures* pictures = nullptr;
    IRegistry* registry = nullptr;
    IAdapterList* adapters = nullptr;
    IHttpClient* http = nullptr;
    ITcpFactory* tcp = nullptr;
    IUiToolkit* ui = nullptr;

    // Router address ("host" or "host:port") and the Internet-check page.
    std::string routerHost = "192.168.2.1";
    unsigned short routerPort = 80;
    std::string homeUrl = "http://www.zavro-net.example/";
};

Platform& Ports();

}  // namespace zavro
