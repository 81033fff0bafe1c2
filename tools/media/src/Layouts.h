// What each page picture shows and where: the painted buttons, fields and boxes lie
// exactly under the hotspots and controls that the wizard places at these pixel rectangles.
#pragma once

#include <string>
#include <vector>

namespace zavro::media {

// The model the header and footer name: what the wizard's model box shows once the router
// check has found the demo router.
inline constexpr const char* kDemoModelName = "QX-3150NS";

struct Box {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

enum class Glyph { None, Menu, Start, Wireless, Lock, Firmware, Guide, Manual, Exit, Globe, Mail };

enum class Look {
    HeaderButton,    // top band, glyph and caption
    FooterButton,    // bottom band, glyph and caption
    Primary,         // Next, Finish, Apply: accent colour
    Secondary,       // Back, Clone, Browse, model choices
    Disabled,        // painted but without an action
    Field,           // edit or IP address control; label on the left
    DropList,        // drop-down list; label on the left
    FieldAbove,      // edit with its label above
    Value,           // summary value line; label on the left
    ModelName,       // the static that shows the model name; label on the left
    CheckBox,        // box with its label on the right
    CheckedBox,      // the same, ticked (for a hidden, checked hotspot)
    Badge,           // round step marker
    Animation,       // frame around the waiting animation
    LanguageButton,  // language choice
};

struct Element {
    int id = 0;
    Look look = Look::Secondary;
    Box box;
    std::string text;  // key of the caption or label; a leading '=' marks a literal text
    Glyph glyph = Glyph::None;
};

struct PageLayout {
    std::string file;                // "03.jpg"
    std::string name;                // text key suffix: "03", "18(1)"
    Box body = {107, 186, 586, 36};  // instruction text
    Box list = {107, 0, 0, 0};       // further lines ("list.<name>") when h > 0
    // Left plain for a text the wizard itself shows there (when h > 0).
    Box note = {0, 0, 0, 0};
    std::vector<Element> elements;
};

// The pages of one language folder, "02.jpg" to "25.jpg" (06 unused).
const std::vector<PageLayout>& LanguagePages();

// "01.jpg": the language choice, directly in the image folder.
const PageLayout& LanguageChoicePage();

}  // namespace zavro::media
