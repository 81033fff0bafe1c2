#include "platform/posix/RunLogs.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>

namespace zavro {

namespace {
std::mutex g_messageLogMutex;  // message boxes may come from several threads at once
}

std::string MessageLogLine(const std::string& caption, const std::string& text) {
    std::string line = caption;
    line += '\t';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += "\\n";
        } else if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    return line;
}

bool LogMessageBox(const std::string& caption, const std::string& text) {
    const char* log = std::getenv("ZAVRO_MESSAGE_LOG");
    if (log == nullptr || *log == '\0') return false;
    std::lock_guard lock(g_messageLogMutex);
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << MessageLogLine(caption, text) << '\n';
    if (!out) std::fprintf(stderr, "zavro: cannot write the message log %s\n", log);
    return true;
}

void LogTiming(const char* event, const std::string& detail) {
    static const char* const path = std::getenv("ZAVRO_TIMING_LOG");
    if (path == nullptr || *path == '\0') return;
    // Taken first, so the file write is not part of what is measured.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %s %lld\n", event, detail.c_str(), static_cast<long long>(ns));
        std::fclose(f);
    }
}

int ScaledInterval(unsigned milliseconds, double scale) {
    const double scaled = std::round(static_cast<double>(milliseconds) * scale);
    if (scaled < 1.0) return 1;
    if (scaled > static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(scaled);
}

}  // namespace zavro
