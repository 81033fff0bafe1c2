#include "Text.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace zavro::media {
namespace {

// Code points of bytes 0x80 to 0x9F in Windows-1252; 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<unsigned char> Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::u32string> DecodeUtf8(std::string_view s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            c = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1, c = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2, c = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3, c = b0 & 0x07, min = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0) return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (b & 0x3F);
        }
        if (extra > 0 && c < min) return std::nullopt;  // overlong form
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::optional<std::string> ToWindows1252(std::string_view utf8) {
    const auto cps = DecodeUtf8(utf8);
    if (!cps) return std::nullopt;
    std::string out;
    out.reserve(cps->size());
    for (char32_t c : *cps) {
        const auto b = Cp1252Byte(c);
        if (!b) return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

std::optional<std::string> ToUtf16Le(std::string_view utf8) {
    const auto cps = DecodeUtf8(utf8);
    if (!cps) return std::nullopt;
    std::string out;
    auto unit = [&out](std::uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    for (char32_t c : *cps) {
        if (c >= 0x10000) {
            const std::uint32_t v = static_cast<std::uint32_t>(c) - 0x10000;
            unit(0xD800 + (v >> 10));
            unit(0xDC00 + (v & 0x3FF));
        } else {
            unit(static_cast<std::uint32_t>(c));
        }
    }
    return out;
}

std::string WriteIni(const std::vector<IniSection>& sections, IniEncoding encoding) {
    std::string text;
    for (const auto& section : sections) {
        if (section.name.find_first_of("[]\r\n") != std::string::npos) {
            throw std::invalid_argument("bad section name: " + section.name);
        }
        text += "[" + section.name + "]\r\n";
        for (const auto& [key, value] : section.entries) {
            if (key.empty() || key.find_first_of("=\r\n") != std::string::npos ||
                key.front() == ' ' || key.back() == ' ' || key.front() == ';') {
                throw std::invalid_argument("bad key: " + key);
            }
            if (value.find_first_of("\r\n") != std::string::npos) {
                throw std::invalid_argument("line break in the value of " + key);
            }
            text += key + "=" + value + "\r\n";
        }
    }
    if (encoding == IniEncoding::Ansi) {
        auto ansi = ToWindows1252(text);
        if (!ansi) throw std::invalid_argument("text not representable in Windows-1252");
        return *ansi;
    }
    auto wide = ToUtf16Le(text);
    if (!wide) throw std::invalid_argument("text is not valid UTF-8");
    return std::string("\xFF\xFE", 2) + *wide;
}

}  // namespace zavro::media
