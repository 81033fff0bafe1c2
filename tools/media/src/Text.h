// Text encodings of the setup medium: string.ini files are read by the profile-string
// calls either as Windows-1252 bytes (ANSI) or as UTF-16LE with a byte-order mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zavro::media {

// Code points of a UTF-8 string; nullopt when the bytes are not well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view utf8);

// Windows-1252 bytes of a UTF-8 text; nullopt when a character has no 1252 byte, so that a
// text can never be stored with a silently replaced letter.
std::optional<std::string> ToWindows1252(std::string_view utf8);

// UTF-16LE bytes (surrogate pairs above U+FFFF), no byte-order mark.
std::optional<std::string> ToUtf16Le(std::string_view utf8);

enum class IniEncoding { Ansi, Utf16 };

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, UTF-8 value
};

// A profile file: "[section]" and "key=value" lines, CRLF line ends; UTF-16 files start
// with FF FE. Throws std::invalid_argument for a text the encoding cannot hold, a line
// break inside a value, or a key with '=' or a leading blank (profile reads would split
// or trim those differently from what was written).
std::string WriteIni(const std::vector<IniSection>& sections, IniEncoding encoding);

}  // namespace zavro::media
