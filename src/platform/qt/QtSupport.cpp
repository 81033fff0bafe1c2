#include "platform/qt/QtSupport.h"

#include <QStringList>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace zavro::qtui {

QString ConvertFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (name.isEmpty() && patterns.isEmpty()) break;  // the "||" terminator
        // The caption usually repeats its patterns in brackets; Qt wants them once.
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (open > 0 && name.endsWith(QLatin1Char(')'))) name = name.left(open).trimmed();
        QStringList globs;
        for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString glob = p.trimmed();
            if (glob.isEmpty()) continue;
            globs << (glob == QLatin1String("*.*") ? QStringLiteral("*") : glob);
        }
        if (globs.isEmpty()) globs << QStringLiteral("*");
        if (name.isEmpty()) name = globs.join(QLatin1Char(' '));
        entries << name + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

double ParseTimeScale(const char* text) {
    if (text == nullptr || *text == '\0') return 1.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
    if (end == text || (end != nullptr && *end != '\0')) return 1.0;
    if (!std::isfinite(value) || value <= 0.0) return 1.0;
    return value;
}

double TimeScaleFromEnvironment() {
    return ParseTimeScale(std::getenv("ZAVRO_TIME_SCALE"));
}

void LogTiming(const char* event, const QString& detail) {
    static const char* const path = std::getenv("ZAVRO_TIMING_LOG");
    if (path == nullptr || *path == '\0') return;
    // Taken first, so the file write is not part of what is measured.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s %s %lld\n", event, detail.toUtf8().constData(),
                     static_cast<long long>(ns));
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

QImage ToQImage(const Image& image) {
    if (image.Empty() ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * image.height) {
        return {};
    }
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * sizeof(std::uint32_t);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(out.scanLine(y),
                    image.pixels.data() + static_cast<std::size_t>(y) * image.width, rowBytes);
    }
    return out;
}

}  // namespace zavro::qtui
