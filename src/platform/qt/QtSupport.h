// Small pure helpers of the Qt toolkit adapter, kept apart so the tests can reach them.
#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "platform/Image.h"
#include "platform/posix/RunLogs.h"

namespace zavro::qtui {

// "Name(*.ext)|*.ext|All files(*.*)|*.*||" -> "Name (*.ext);;All files (*)". A pattern
// "*.*" means every file, as on the medium's home system, so it becomes "*".
QString ConvertFileFilter(const std::string& filter);

// ZAVRO_TIME_SCALE: a positive finite decimal; anything else (or unset) gives 1.
double TimeScaleFromEnvironment();
using zavro::MessageLogLine;
using zavro::ScaledInterval;
// See zavro::LogTiming.
void LogTiming(const char* event, const QString& detail);

// 0xAARRGGBB pixels map one to one onto QImage::Format_ARGB32.
QImage ToQImage(const Image& image);

}  // namespace zavro::qtui
