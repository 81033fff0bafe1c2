#include "Layouts.h"

namespace zavro::media {
namespace {

using E = Element;

// Header row of the wizard-start family (start page, checks, contact, lists).
std::vector<E> StartHeader() {
    return {
        {1009, Look::HeaderButton, {14, 22, 79, 75}, "hdr.menu", Glyph::Menu},
        {1010, Look::HeaderButton, {101, 22, 90, 75}, "hdr.start", Glyph::Start},
        {1012, Look::HeaderButton, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
        {1011, Look::HeaderButton, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
        {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit},
    };
}

enum class Tabs { Standard, WideSecurity, Narrow };

// Header row of the router pages: menu, the three tabs, guide, manual, exit.
std::vector<E> TabHeader(Tabs tabs) {
    Box ssid{199, 22, 85, 75}, wpa{290, 22, 90, 75}, firmware{386, 22, 95, 80};
    if (tabs == Tabs::WideSecurity) wpa = {290, 22, 95, 75};
    if (tabs == Tabs::Narrow)
        ssid = {209, 22, 76, 75}, wpa = {311, 22, 70, 75}, firmware = {409, 22, 72, 75};
    return {
        {1009, Look::HeaderButton, {14, 22, 79, 75}, "hdr.menu", Glyph::Menu},
        {1015, Look::HeaderButton, ssid, "hdr.ssid", Glyph::Wireless},
        {1014, Look::HeaderButton, wpa, "hdr.wpa", Glyph::Lock},
        {1010, Look::HeaderButton, firmware, "hdr.firmware", Glyph::Firmware},
        {1012, Look::HeaderButton, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
        {1011, Look::HeaderButton, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
        {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit},
    };
}

std::vector<E> Footer(int contactWidth = 124) {
    return {
        {1003, Look::FooterButton, {520, 550, 138, 40}, "ftr.web", Glyph::Globe},
        {1004, Look::FooterButton, {673, 550, contactWidth, 40}, "ftr.contact", Glyph::Mail},
    };
}

E Model() {
    return {1018, Look::ModelName, {107, 155, 94, 21}, "lbl.model"};
}
E Next(int id = 1013) {
    return {id, Look::Primary, {618, 492, 53, 26}, "btn.next"};
}
E Back(int id = 1016) {
    return {id, Look::Secondary, {543, 492, 53, 26}, "btn.back"};
}

std::vector<E> Join(std::initializer_list<std::vector<E>> parts) {
    std::vector<E> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<PageLayout> MakePages() {
    std::vector<PageLayout> pages;
    pages.reserve(32);  // add() hands out pointers into the vector
    auto add = [&pages](std::string file, std::string name, std::vector<E> elements) {
        PageLayout p;
        p.file = std::move(file);
        p.name = std::move(name);
        p.elements = std::move(elements);
        pages.push_back(std::move(p));
        return &pages.back();
    };

    PageLayout* p = add("02.jpg", "02", Join({StartHeader(), Footer()}));
    p->list = {107, 240, 586, 200};

    p = add("03.jpg", "03", Join({StartHeader(), Footer(), {Next()}}));
    p->list = {107, 250, 586, 160};

    p = add("04.jpg", "04",
            Join({StartHeader(),
                  Footer(),
                  {{1013, Look::Badge, {170, 182, 43, 43}, "=1"},
                   {1014, Look::Primary, {617, 492, 55, 26}, "btn.next"}}}));
    p->body = {230, 186, 460, 36};
    p->list = {230, 250, 470, 190};

    p = add("05.jpg", "05",
            Join({StartHeader(),
                  Footer(),
                  {Next(), {1014, Look::CheckedBox, {443, 439, 23, 22}, "lbl.connected"}}}));
    p->list = {107, 250, 586, 120};

    p = add("07.jpg", "07",
            Join({{{1009, Look::HeaderButton, {14, 22, 79, 75}, "hdr.menu", Glyph::Menu},
                   {1010, Look::Disabled, {101, 22, 90, 75}, "hdr.start", Glyph::Start},
                   {1012, Look::Disabled, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
                   {1011, Look::Disabled, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
                   {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit}},
                  Footer(),
                  {{1062, Look::Secondary, {280, 292, 103, 30}, "=QX-3150N"},
                   {1065, Look::Secondary, {406, 292, 113, 30}, "=QX-3150nS"}}}));

    add("08.jpg", "08",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1020, Look::Field, {399, 299, 133, 18}, "lbl.curpwd"},
               {1021, Look::Field, {399, 334, 133, 18}, "lbl.newpwd"},
               {1022, Look::Field, {399, 369, 133, 18}, "lbl.newpwd2"},
               {1077, Look::Secondary, {544, 492, 52, 25}, "btn.default"},
               Next()}}));

    add("09.jpg", "09",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1016, Look::CheckBox, {145, 339, 19, 19}, "lbl.cable"},
               {1017, Look::CheckBox, {145, 369, 19, 19}, "lbl.fixedip"},
               {1019, Look::CheckBox, {145, 399, 19, 19}, "lbl.pppoe"},
               {1020, Look::CheckBox, {482, 339, 19, 19}, "lbl.pptp"},
               {1021, Look::CheckBox, {482, 369, 19, 19}, "lbl.l2tp"},
               Next()}}));

    add("10.jpg", "10",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1030, Look::Field, {415, 302, 133, 21}, "lbl.host"},
               {1031, Look::Field, {415, 333, 133, 21}, "lbl.mac"},
               {1017, Look::Secondary, {562, 331, 59, 23}, "btn.clone"},
               Back(),
               Next()}}));

    add("11.jpg", "11",
        Join({TabHeader(Tabs::WideSecurity),
              Footer(),
              {Model(),
               {1032, Look::Field, {406, 297, 133, 21}, "lbl.ip"},
               {1034, Look::Field, {406, 327, 133, 21}, "lbl.mask"},
               {1033, Look::Field, {406, 357, 133, 21}, "lbl.dns"},
               {1035, Look::Field, {406, 387, 133, 21}, "lbl.gateway"},
               Back(),
               Next()}}));

    add("12.jpg", "12",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1036, Look::Field, {481, 255, 133, 21}, "lbl.user"},
               {1037, Look::Field, {481, 300, 133, 21}, "lbl.password"},
               {1038, Look::Field, {481, 330, 133, 21}, "lbl.service"},
               {1039, Look::Field, {481, 359, 133, 21}, "lbl.mtu"},
               {1040, Look::DropList, {481, 389, 133, 21}, "lbl.mode"},
               {1041, Look::Field, {481, 418, 133, 21}, "lbl.idle"},
               Back(),
               Next()}}));

    // boxDy moves the two mode boxes and Clone, fieldDy the edits and address fields.
    auto tunnelFirst = [&](std::string file, std::string name, int boxDy, int fieldDy) {
        add(std::move(file), std::move(name),
            Join({TabHeader(Tabs::Standard),
                  Footer(),
                  {Model(),
                   {1042, Look::CheckBox, {103, 225 + boxDy, 23, 22}, "lbl.dynamic"},
                   {1030, Look::Field, {483, 227 + fieldDy, 133, 21}, "lbl.host"},
                   {1031, Look::Field, {483, 257 + fieldDy, 133, 21}, "lbl.mac"},
                   {1017, Look::Secondary, {628, 255 + boxDy, 59, 23}, "btn.clone"},
                   {1043, Look::CheckBox, {103, 345 + boxDy, 23, 22}, "lbl.fixed"},
                   {1032, Look::Field, {483, 347 + fieldDy, 133, 21}, "lbl.ip"},
                   {1033, Look::Field, {483, 377 + fieldDy, 133, 21}, "lbl.mask"},
                   {1034, Look::Field, {483, 407 + fieldDy, 133, 21}, "lbl.dns"},
                   {1035, Look::Field, {483, 437 + fieldDy, 133, 21}, "lbl.gateway"},
                   Back(),
                   Next()}}));
    };
    auto tunnelSecond = [&](std::string file, std::string name, std::string server) {
        add(std::move(file), std::move(name),
            Join({TabHeader(Tabs::Standard),
                  Footer(),
                  {Model(),
                   {1036, Look::Field, {405, 226, 133, 21}, "lbl.user"},
                   {1037, Look::Field, {405, 256, 133, 21}, "lbl.password"},
                   {1035, Look::Field, {405, 286, 133, 21}, std::move(server)},
                   {1045, Look::Field, {405, 316, 133, 21}, "lbl.connid"},
                   {1039, Look::Field, {405, 346, 133, 21}, "lbl.mtu"},
                   {1040, Look::DropList, {405, 376, 133, 21}, "lbl.mode"},
                   {1041, Look::Field, {405, 406, 133, 21}, "lbl.idle"},
                   Back(),
                   Next()}}));
    };
    // The L2TP first page lies 14 pixels (boxes, Clone) or 12 pixels (fields) lower.
    tunnelFirst("13.jpg", "13", 0, 0);
    tunnelSecond("14.jpg", "14", "lbl.pptpserver");
    tunnelFirst("15.jpg", "15", 14, 12);
    tunnelSecond("16.jpg", "16", "lbl.l2tpserver");

    add("17.jpg", "17",
        Join({TabHeader(Tabs::Narrow),
              Footer(100),
              {Model(),
               {1036, Look::Field, {478, 264, 133, 21}, "lbl.user"},
               {1037, Look::Field, {478, 294, 133, 21}, "lbl.password"},
               {1047, Look::CheckBox, {317, 334, 23, 22}, "lbl.useserver"},
               {1025, Look::Field, {478, 362, 133, 21}, "lbl.loginserver"},
               Back(),
               Next()}}));

    // While the router restarts only exit, manual and guide are shown.
    p = add("18(1).jpg", "18(1)",
            {{1012, Look::HeaderButton, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
             {1011, Look::HeaderButton, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
             {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit},
             Model(),
             {1057, Look::Animation, {234, 251, 333, 95}, ""}});
    p->body = {107, 372, 586, 54};

    p = add("18.jpg", "18",
            Join({TabHeader(Tabs::Narrow),
                  Footer(100),
                  {Model(), {1013, Look::Primary, {617, 491, 54, 26}, "btn.finish"}}}));
    p->body = {107, 250, 586, 60};

    // Model 2: no wireless tabs and no Finish.
    p = add("18_nonext.jpg", "18_nonext",
            {{1009, Look::HeaderButton, {14, 22, 79, 75}, "hdr.menu", Glyph::Menu},
             {1010, Look::HeaderButton, {409, 22, 72, 75}, "hdr.firmware", Glyph::Firmware},
             {1012, Look::HeaderButton, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
             {1011, Look::HeaderButton, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
             {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit},
             {1003, Look::FooterButton, {520, 550, 138, 40}, "ftr.web", Glyph::Globe},
             {1004, Look::FooterButton, {673, 550, 100, 40}, "ftr.contact", Glyph::Mail},
             Model()});
    p->body = {107, 250, 586, 60};

    p = add("19.jpg", "19",
            Join({TabHeader(Tabs::Standard),
                  Footer(),
                  {Model(), {1016, Look::Primary, {440, 460, 260, 27}, "btn.retry"}}}));
    p->body = {107, 250, 586, 60};
    // The failure page's diagnosis line.
    p->note = {107, 330, 586, 100};

    add("20.jpg", "20",
        Join({StartHeader(),
              Footer(),
              {{1022, Look::Secondary, {280, 292, 103, 30}, "=QX-3150n"},
               {1023, Look::Secondary, {406, 292, 113, 30}, "=QX-3150nS"}}}));

    add("21.jpg", "21",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1023, Look::Field, {378, 410, 133, 21}, "lbl.ssid"},
               {1016, Look::Primary, {543, 492, 53, 26}, "btn.next"},
               {1013, Look::Disabled, {618, 492, 53, 26}, "btn.restart"}}}));

    add("22.jpg", "22",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1017, Look::CheckBox, {107, 320, 19, 20}, "lbl.usewpa"},
               {1023, Look::Field, {281, 450, 133, 21}, "lbl.wpakey"},
               {1013, Look::Primary, {618, 492, 53, 26}, "btn.apply"}}}));

    add("23.jpg", "23",
        Join({TabHeader(Tabs::Standard),
              Footer(),
              {Model(),
               {1023, Look::FieldAbove, {297, 409, 224, 21}, "lbl.fwfile"},
               {1016, Look::Secondary, {228, 407, 60, 23}, "btn.browse"},
               {1017, Look::Primary, {549, 407, 60, 23}, "btn.upload"}}}));

    add("24.jpg", "24",
        {{1009, Look::HeaderButton, {14, 22, 79, 75}, "hdr.menu", Glyph::Menu},
         {1010, Look::HeaderButton, {101, 22, 90, 75}, "hdr.start", Glyph::Start},
         {1015, Look::HeaderButton, {199, 22, 85, 75}, "hdr.ssid", Glyph::Wireless},
         {1014, Look::HeaderButton, {290, 22, 90, 75}, "hdr.wpa", Glyph::Lock},
         {1013, Look::HeaderButton, {386, 22, 95, 80}, "hdr.firmware", Glyph::Firmware},
         {1012, Look::HeaderButton, {486, 22, 111, 75}, "hdr.qig", Glyph::Guide},
         {1011, Look::HeaderButton, {601, 22, 95, 75}, "hdr.manual", Glyph::Manual},
         {1008, Look::HeaderButton, {710, 22, 70, 75}, "hdr.exit", Glyph::Exit},
         {1003, Look::FooterButton, {520, 550, 138, 40}, "ftr.web", Glyph::Globe},
         {1004, Look::FooterButton, {673, 550, 124, 40}, "ftr.contact", Glyph::Mail},
         {1066, Look::Primary, {543, 492, 53, 26}, "btn.update"},
         {1067, Look::Secondary, {618, 492, 53, 26}, "btn.skip"}});

    // The summary page has its own ids and a slightly taller header row.
    p = add("25.jpg", "25",
            {{1068, Look::HeaderButton, {4, 20, 89, 79}, "hdr.menu", Glyph::Menu},
             {1063, Look::HeaderButton, {197, 20, 89, 79}, "hdr.ssid", Glyph::Wireless},
             {1069, Look::HeaderButton, {292, 20, 89, 79}, "hdr.wpa", Glyph::Lock},
             {1070, Look::HeaderButton, {389, 20, 89, 79}, "hdr.firmware", Glyph::Firmware},
             {1071, Look::HeaderButton, {488, 20, 106, 79}, "hdr.qig", Glyph::Guide},
             {1072, Look::HeaderButton, {601, 20, 95, 79}, "hdr.manual", Glyph::Manual},
             {1073, Look::HeaderButton, {702, 20, 85, 79}, "hdr.exit", Glyph::Exit},
             {1018, Look::ModelName, {106, 155, 90, 18}, "lbl.model"},
             {1015, Look::Value, {158, 364, 392, 23}, "lbl.sum.ssid"},
             // Two lines: a 64-digit key wraps onto the second.
             {1075, Look::Value, {243, 390, 309, 42}, "lbl.sum.key"},
             {1076, Look::Value, {185, 479, 365, 23}, "lbl.sum.pwd"},
             {1074, Look::Primary, {620, 494, 51, 23}, "btn.finish"}});
    return pages;
}

PageLayout MakeLanguageChoice() {
    struct Choice {
        int id;
        Box box;
        const char* name;
    };
    static const Choice choices[] = {
        {1059, {159, 260, 78, 33}, "English"},    {1060, {247, 260, 113, 33}, "Nederlands"},
        {1061, {370, 260, 85, 33}, "Deutsch"},    {1062, {465, 260, 87, 33}, "Français"},
        {1063, {562, 260, 79, 33}, "Italiano"},   {1064, {143, 308, 80, 33}, "Español"},
        {1065, {233, 308, 96, 33}, "Português"},  {1066, {340, 308, 64, 33}, "Polski"},
        {1067, {414, 308, 67, 33}, "Čeština"},    {1068, {491, 308, 76, 33}, "Magyar"},
        {1069, {577, 308, 88, 33}, "Русский"},    {1070, {166, 354, 83, 33}, "Română"},
        {1071, {262, 354, 72, 33}, "Türkçe"},     {1001, {347, 354, 99, 33}, "Slovenčina"},
        {1002, {456, 354, 85, 33}, "Chinese TW"}, {1004, {550, 354, 87, 33}, "Chinese CN"},
    };
    PageLayout p;
    p.file = "01.jpg";
    p.name = "01";
    p.body = {100, 186, 600, 50};
    for (const Choice& c : choices) {
        p.elements.push_back({c.id, Look::LanguageButton, c.box, std::string("=") + c.name});
    }
    p.elements.push_back(
        {1003, Look::FooterButton, {520, 550, 138, 40}, "=Web site", Glyph::Globe});
    return p;
}

}  // namespace

const std::vector<PageLayout>& LanguagePages() {
    static const std::vector<PageLayout> pages = MakePages();
    return pages;
}

const PageLayout& LanguageChoicePage() {
    static const PageLayout page = MakeLanguageChoice();
    return page;
}

}  // namespace zavro::media
