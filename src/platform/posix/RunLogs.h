// Logs and timer scaling that every UI toolkit adapter shares (Qt on Linux, Win32).
#pragma once

#include <string>

namespace zavro {

// One line of the message log: "caption<TAB>text" with line breaks written as "\n".
std::string MessageLogLine(const std::string& caption, const std::string& text);

// ZAVRO_MESSAGE_LOG=<file>: appends the box as one line instead of showing it (end-to-end
// runs have nobody to close boxes). False when unset, so the caller shows the box.
bool LogMessageBox(const std::string& caption, const std::string& text);

// ZAVRO_TIMING_LOG=<file>: appends "<event> <detail> <steady-clock ns>" for the
// whole-program benchmark (clicks and first paints); does nothing when unset.
void LogTiming(const char* event, const std::string& detail);

// Timer interval after scaling; never below 1 ms so a scaled timer cannot spin.
int ScaledInterval(unsigned milliseconds, double scale);

}  // namespace zavro
