// zavro-mediagen <medium-dir> [<program-dir>]: writes the demo setup medium. The program
// folder defaults to <medium-dir>/Wizard.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <vector>

#include "Medium.h"
#include "Render.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: zavro-mediagen <medium-dir> [<program-dir>]\n");
        return 2;
    }
    const std::filesystem::path medium = argv[1];
    const std::filesystem::path program =
        argc == 3 ? std::filesystem::path(argv[2]) : medium / "Wizard";

    // Painting needs a GUI application but never a display.
    std::vector<char*> qtArgs = {argv[0]};
    char platformFlag[] = "-platform";
    char platformName[] = "offscreen";
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qtArgs.push_back(platformFlag);
        qtArgs.push_back(platformName);
    }
    int qtArgc = static_cast<int>(qtArgs.size());
    qtArgs.push_back(nullptr);
    QGuiApplication app(qtArgc, qtArgs.data());

    if (!zavro::media::LoadFonts()) {
        std::fprintf(stderr,
                     "zavro-mediagen: DejaVu Sans not found (package fonts-dejavu-core); "
                     "using the default font\n");
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        const auto stats = zavro::media::WriteMedium(medium, program);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        std::printf("zavro-mediagen: %zu files, %zu KiB in %lld ms -> %s\n", stats.files,
                    stats.bytes / 1024, static_cast<long long>(ms), medium.string().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zavro-mediagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
