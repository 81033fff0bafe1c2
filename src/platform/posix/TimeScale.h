// Demo time scale: ZAVRO_TIME_SCALE, a positive decimal (default 1) by which every real
// sleep and wait of the program is multiplied; 0.01 turns a 150 s wait into 1.5 s.
#pragma once

#include <optional>
#include <string_view>

namespace zavro {

// The scale given by text, or nullopt when text is not a positive finite decimal.
std::optional<double> ParseTimeScale(std::string_view text);
// ZAVRO_TIME_SCALE as read now; 1 when unset or bad.
double TimeScale();

}  // namespace zavro
