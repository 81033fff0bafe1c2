// Zavro.exe: the portable core on the Win32 adapters.
#include <cstdio>
#include <cstdlib>

#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "platform/Platform.h"
#include "platform/posix/Environment.h"
#include "platform/posix/NetGuard.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/StbPictures.h"
#include "platform/win32/Win32Net.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Ui.h"

int main() {
    zavro::win32::Win32System system;
    zavro::PosixClock clock;
    zavro::win32::Win32Shell shell;
    zavro::win32::Win32Profile profile;
    zavro::StbPictures pictures;
    zavro::win32::Win32Registry registry;
    zavro::win32::Win32Adapters adapters;
    zavro::win32::WinInetClient http;
    zavro::win32::WinsockFactory tcp;
    zavro::win32::Win32Toolkit ui;

    zavro::Platform& ports = zavro::Ports();
    ports.system = &system;
    ports.clock = &clock;
    ports.shell = &shell;
    ports.profile = &profile;
    ports.pictures = &pictures;
    ports.registry = &registry;
    ports.adapters = &adapters;
    ports.http = &http;
    ports.tcp = &tcp;
    ports.ui = &ui;
    zavro::posix::ApplyEnvironment(ports);
    // End-to-end runs keep the adapters' loopback guard on in the program as well.
    if (const char* guard = std::getenv("ZAVRO_LOOPBACK_ONLY"); guard && *guard == '1') {
        zavro::netguard::SetLoopbackOnly(true, [](const std::string& host) {
            std::fprintf(stderr, "zavro: refused a connection to non-loopback %s\n", host.c_str());
        });
    }

    zavro::theApp.InitInstance();
    zavro::StopAllWorkers();
    return 0;
}
