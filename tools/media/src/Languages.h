// The languages shipped on the demo medium: the folder number, the string.ini encoding,
// the texts painted on the pages and the message texts of section "MESSAGE".
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Text.h"

namespace zavro::media {

struct Language {
    int folder = 0;    // image/<folder>, Manual/<folder>
    std::string code;  // quick-guide suffix, "EN"
    IniEncoding encoding = IniEncoding::Ansi;
    std::map<std::string, std::string> ui;                      // painted texts, UTF-8
    std::vector<std::pair<std::string, std::string>> messages;  // string.ini, UTF-8

    // A painted text; throws std::out_of_range naming the key when it is missing, so a
    // language cannot ship with a blank label.
    const std::string& T(const std::string& key) const;
};

const std::vector<Language>& ShippedLanguages();

// Every key of section "MESSAGE" that the wizard shows or reads.
const std::vector<std::string>& MessageKeys();

}  // namespace zavro::media
