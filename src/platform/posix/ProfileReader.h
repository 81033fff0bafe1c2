// Profile-string reader for string.ini files, with the lookup rules of the Windows
// profile calls as the wizard needs them. Reads the file anew on every call.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Profile.h"

namespace zavro {

class ProfileReader final : public IProfile {
public:
    std::string ReadA(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& def, std::size_t maxBytes) override;
    std::u16string ReadW(const std::u16string& path, const std::u16string& section,
                         const std::u16string& key, const std::u16string& def,
                         std::size_t maxChars) override;
};

namespace profile {

// At most this many bytes of a file are read.
inline constexpr std::size_t kMaxFileBytes = 4u << 20;

enum class Encoding { Bytes, Utf16LE, Utf16BE };

// Encoding by byte-order mark (FF FE, FE FF); anything else is bytes.
Encoding Detect(std::string_view bytes);
// UTF-16 units after the mark; an odd trailing byte is dropped.
std::u16string DecodeUtf16(std::string_view bytes, Encoding encoding);
// Code points up to U+00FF as one byte each, anything else (unpaired surrogates too) '?'.
std::string ToLatin1(std::u16string_view text);
// UTF-8 of UTF-16 units; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The value of key in the first section named section, or nullopt.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);
std::optional<std::u16string> FindValue(std::u16string_view text, std::u16string_view section,
                                        std::u16string_view key);

}  // namespace profile
}  // namespace zavro
