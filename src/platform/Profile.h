// Profile-string port: GetPrivateProfileString semantics on string.ini files.
#pragma once

#include <cstddef>
#include <string>

namespace zavro {

class IProfile {
public:
    virtual ~IProfile() = default;
    // ANSI read: the value's bytes as stored, at most maxBytes - 1 of them; the default
    // when the file, section or key is missing.
    virtual std::string ReadA(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def,
                              std::size_t maxBytes) = 0;
    // Wide read: a UTF-16 file with a byte-order mark is read as UTF-16, any other file as
    // ANSI bytes widened one to one. At most maxChars - 1 UTF-16 units.
    virtual std::u16string ReadW(const std::u16string& path, const std::u16string& section,
                                 const std::u16string& key, const std::u16string& def,
                                 std::size_t maxChars) = 0;
};

}  // namespace zavro
