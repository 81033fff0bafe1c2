// Zavro.exe: the portable core on the Win32 adapters.

#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "platform/Platform.h"
#include "platform/posix/Environment.h"
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
    zavro::posix::ApplyProgramEnvironment(ports);

    zavro::theApp.InitInstance();
    zavro::StopAllWorkers();
    return 0;
}
