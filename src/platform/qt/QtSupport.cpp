#include "platform/qt/QtSupport.h"

#include <QStringList>
#include <cstring>

#include "platform/posix/TimeScale.h"

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

double TimeScaleFromEnvironment() {
    return TimeScale();
}

void LogTiming(const char* event, const QString& detail) {
    zavro::LogTiming(event, detail.toStdString());
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
