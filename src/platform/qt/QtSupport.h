// Small pure helpers of the Qt toolkit adapter, kept apart so the tests can reach them.
#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "platform/Image.h"

namespace zavro::qtui {

// "Name(*.ext)|*.ext|All files(*.*)|*.*||" -> "Name (*.ext);;All files (*)". A pattern
// "*.*" means every file, as on the medium's home system, so it becomes "*".
QString ConvertFileFilter(const std::string& filter);

// ZAVRO_TIME_SCALE: a positive finite decimal; anything else (or unset) gives 1.
double ParseTimeScale(const char* text);
double TimeScaleFromEnvironment();
// Timer interval after scaling; never below 1 ms so a scaled timer cannot spin.
int ScaledInterval(unsigned milliseconds, double scale);

// One line of the message log: "caption<TAB>text" with line breaks written as "\n".
std::string MessageLogLine(const std::string& caption, const std::string& text);

// ZAVRO_TIMING_LOG=<file>: appends "<event> <detail> <steady-clock ns>" for the
// whole-program benchmark (clicks and first paints); does nothing when unset.
void LogTiming(const char* event, const QString& detail);

// 0xAARRGGBB pixels map one to one onto QImage::Format_ARGB32.
QImage ToQImage(const Image& image);

}  // namespace zavro::qtui
