// What assistive technology reads on a page: the page's name and description, and the
// name of every hotspot and field. The medium gives them in the page's language (section
// "ACCESS" of string.ini); a medium without them still names every control in English.
#pragma once

#include <string>

namespace zavro {

struct PageAccess {
    std::string name;         // the page's title
    std::string description;  // what its picture says
};

// Keys "<picture>.title" and "<picture>.text", picture being the page picture's file name
// without extension ("12", "18(1)"); the name falls back to the built-in English title.
PageAccess PageAccessTexts(const std::string& picture);

// Key "<picture>.<id>", then "<id>"; then the built-in English name of the id on that
// picture, then of the id on any page; never empty.
std::string ControlAccessName(const std::string& picture, int id);

// Only the built-in English name ("" when it has none): what a medium without keys gives.
std::string BuiltInAccessName(const std::string& picture, int id);

}  // namespace zavro
