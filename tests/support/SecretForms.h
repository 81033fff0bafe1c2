// The forms a leaked secret could take in a log or file: as typed, and percent-encoded.
#pragma once

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

namespace zavro::test {

// The secret, and with every byte but letters and digits as %XX in upper- and lower-case
// hex (written out here, apart from the program's own encoder).
inline std::vector<std::string> SecretForms(const std::string& secret) {
    static const char* kUpper = "0123456789ABCDEF";
    static const char* kLower = "0123456789abcdef";
    std::string upper, lower;
    for (unsigned char c : secret) {
        if (std::isalnum(c)) {
            upper += static_cast<char>(c);
            lower += static_cast<char>(c);
        } else {
            upper += {'%', kUpper[c >> 4], kUpper[c & 15]};
            lower += {'%', kLower[c >> 4], kLower[c & 15]};
        }
    }
    return {secret, upper, lower};
}

// The first form of any of the secrets that text holds, or "".
inline std::string SecretIn(const std::string& text, std::initializer_list<const char*> secrets) {
    for (const char* secret : secrets)
        for (const std::string& form : SecretForms(secret))
            if (text.find(form) != std::string::npos) return form;
    return {};
}

}  // namespace zavro::test
