#include "platform/posix/TimeScale.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zavro {

std::optional<double> ParseTimeScale(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value) || value <= 0) return std::nullopt;
    return value;
}

double TimeScale() {
    const char* text = std::getenv("ZAVRO_TIME_SCALE");
    if (!text) return 1.0;
    return ParseTimeScale(text).value_or(1.0);
}

}  // namespace zavro
