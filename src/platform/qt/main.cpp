// The zavro program: the portable core on the POSIX and Qt adapters.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/Environment.h"
#include "platform/posix/FileRegistry.h"
#include "platform/posix/PosixAdapters.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/PosixTcp.h"
#include "platform/posix/ProfileReader.h"
#include "platform/posix/StbPictures.h"
#include "platform/qt/QtToolkit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("zavro");
    // The released medium brings its label font in lib/fonts beside the program, for
    // desktops that lack it; a build tree has no such folder.
    const QDir fonts(QCoreApplication::applicationDirPath() + "/lib/fonts");
    for (const QString& name : fonts.entryList({"*.ttf"}, QDir::Files, QDir::Name)) {
        QFontDatabase::addApplicationFont(fonts.filePath(name));
    }

    zavro::PosixSystem system(argc, argv);
    zavro::PosixClock clock;
    zavro::PosixShell shell;
    zavro::ProfileReader profile;
    zavro::StbPictures pictures;
    const char* registryFile = std::getenv("ZAVRO_REGISTRY_FILE");
    auto registry = registryFile ? std::make_unique<zavro::FileRegistry>(registryFile)
                                 : std::make_unique<zavro::FileRegistry>();
    zavro::PosixAdapters adapters;
    zavro::posix::CurlHttpClient http;
    zavro::posix::PosixTcpFactory tcp;
    zavro::QtToolkit ui;

    zavro::Platform& ports = zavro::Ports();
    ports.system = &system;
    ports.clock = &clock;
    ports.shell = &shell;
    ports.profile = &profile;
    ports.pictures = &pictures;
    ports.registry = registry.get();
    ports.adapters = &adapters;
    ports.http = &http;
    ports.tcp = &tcp;
    ports.ui = &ui;
    zavro::posix::ApplyProgramEnvironment(ports);

    zavro::theApp.InitInstance();
    zavro::StopAllWorkers();
    return 0;
}
