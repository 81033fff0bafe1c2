#include "platform/posix/ProfileReader.h"

#include <algorithm>
#include <fstream>

namespace zavro {
namespace profile {
namespace {

template <typename C>
bool Blank(C c) {
    return c == C(' ') || c == C('\t');
}

template <typename C>
unsigned Fold(C c) {
    auto u = static_cast<unsigned>(static_cast<std::make_unsigned_t<C>>(c));
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

template <typename C>
bool SameName(std::basic_string_view<C> a, std::basic_string_view<C> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

template <typename C>
std::basic_string_view<C> Trim(std::basic_string_view<C> s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

template <typename C>
std::optional<std::basic_string<C>> Find(std::basic_string_view<C> text,
                                         std::basic_string_view<C> section,
                                         std::basic_string_view<C> key) {
    using View = std::basic_string_view<C>;
    bool seenSection = false;  // only the first section of that name counts
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != C('\n') && text[end] != C('\r')) ++end;
        const View line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == C(';')) continue;
        if (line.front() == C('[')) {
            if (inSection) return std::nullopt;
            const std::size_t close = line.find(C(']'));
            const View name = Trim(line.substr(1, close == View::npos ? View::npos : close - 1));
            if (!seenSection && SameName(name, section)) {
                seenSection = true;
                inSection = true;
            }
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find(C('='));
        if (eq == View::npos) continue;
        if (!SameName(Trim(line.substr(0, eq)), key)) continue;
        View value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == C('"') && value.back() == C('"')) {
            value = value.substr(1, value.size() - 2);
        }
        // The caller gets a zero-terminated buffer: nothing after a zero survives.
        const std::size_t zero = value.find(C('\0'));
        if (zero != View::npos) value = value.substr(0, zero);
        return std::basic_string<C>(value);
    }
    return std::nullopt;
}

template <typename S>
S Cut(S s, std::size_t max) {
    if (max == 0) return S();
    if (s.size() > max - 1) s.resize(max - 1);
    return s;
}

// The default loses trailing blanks, as the profile call documents.
template <typename S>
S DefaultValue(S def, std::size_t max) {
    while (!def.empty() && Blank(def.back())) def.pop_back();
    return Cut(std::move(def), max);
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char chunk[64 * 1024];
    while (bytes.size() < kMaxFileBytes && in) {
        const std::size_t want = std::min(sizeof chunk, kMaxFileBytes - bytes.size());
        in.read(chunk, static_cast<std::streamsize>(want));
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

std::u16string Widen(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[i] = static_cast<unsigned char>(bytes[i]);
    }
    return out;
}

bool IsHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

Encoding Detect(std::string_view bytes) {
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) return Encoding::Utf16LE;
        if (b0 == 0xFE && b1 == 0xFF) return Encoding::Utf16BE;
    }
    return Encoding::Bytes;
}

std::u16string DecodeUtf16(std::string_view bytes, Encoding encoding) {
    if (encoding == Encoding::Bytes) return Widen(bytes);
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<char16_t>(encoding == Encoding::Utf16LE ? (b << 8) | a : (a << 8) | b);
    }
    return out;
}

std::string ToLatin1(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out += '?';
            ++i;
        } else {
            out += u <= 0xFF ? static_cast<char>(u) : '?';
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHigh(text[i]) || IsLow(text[i])) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    return Find(text, section, key);
}

std::optional<std::u16string> FindValue(std::u16string_view text, std::u16string_view section,
                                        std::u16string_view key) {
    return Find(text, section, key);
}

}  // namespace profile

std::string ProfileReader::ReadA(const std::string& path, const std::string& section,
                                 const std::string& key, const std::string& def,
                                 std::size_t maxBytes) {
    using namespace profile;
    const std::optional<std::string> bytes = ReadFile(path);
    if (!bytes) return DefaultValue(def, maxBytes);
    const Encoding encoding = Detect(*bytes);
    std::optional<std::string> value;
    if (encoding == Encoding::Bytes) {
        value = FindValue(*bytes, section, key);
    } else {
        // A UTF-16 file read the ANSI way: decoded, then narrowed where a byte can hold it.
        const auto wide = FindValue(DecodeUtf16(*bytes, encoding), Widen(section), Widen(key));
        if (wide) value = ToLatin1(*wide);
    }
    if (!value) return DefaultValue(def, maxBytes);
    return Cut(std::move(*value), maxBytes);
}

std::u16string ProfileReader::ReadW(const std::u16string& path, const std::u16string& section,
                                    const std::u16string& key, const std::u16string& def,
                                    std::size_t maxChars) {
    using namespace profile;
    const std::optional<std::string> bytes = ReadFile(ToUtf8(path));
    if (!bytes) return DefaultValue(def, maxChars);
    const std::optional<std::u16string> value =
        FindValue(DecodeUtf16(*bytes, Detect(*bytes)), section, key);
    if (!value) return DefaultValue(def, maxChars);
    return Cut(*value, maxChars);
}

}  // namespace zavro
