// The assembled medium in the build folder: every file in place, pictures that decode at
// 800 x 600 with their buttons painted under the hotspots, complete string.ini files, and
// scripts that run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <set>

#include "Layouts.h"
#include "MediaTestSupport.h"
#include "app/ZavroApp.h"
#include "platform/posix/StbPictures.h"

namespace zavro::media {
namespace {

namespace fs = std::filesystem;
using test::MediumDir;
using test::ProgramDir;
using test::ReadBytes;

const std::vector<std::string>& PageFiles() {
    static const std::vector<std::string> files = {
        "02.jpg", "03.jpg",    "04.jpg", "05.jpg",        "07.jpg", "08.jpg", "09.jpg",
        "10.jpg", "11.jpg",    "12.jpg", "13.jpg",        "14.jpg", "15.jpg", "16.jpg",
        "17.jpg", "18(1).jpg", "18.jpg", "18_nonext.jpg", "19.jpg", "20.jpg", "21.jpg",
        "22.jpg", "23.jpg",    "24.jpg", "25.jpg"};
    return files;
}

std::optional<Image> Picture(const fs::path& p) {
    const std::string bytes = ReadBytes(p);
    StbPictures stb;
    return stb.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(MediaTree, EveryFileIsInPlace) {
    std::vector<fs::path> files = {
        MediumDir() / "AutoRun",
        MediumDir() / "README.txt",
        ProgramDir() / "image" / "01.jpg",
        ProgramDir() / "Firmware" / "Firmware.bin",
        ProgramDir() / "dhcpsetting.vbs",
        ProgramDir() / "dns-replaceserverlist.vbs",
        ProgramDir() / "Manual" / "QX-3150n User Manual.pdf",
    };
    for (int n : {1, 2, 3}) {
        const fs::path lang = ProgramDir() / "image" / std::to_string(n);
        for (const auto& f : PageFiles()) files.push_back(lang / f);
        files.push_back(lang / "loading.gif");
        files.push_back(lang / "string.ini");
        for (const char* m :
             {"QX-3150N_Manual.pdf", "QX-3150n_Manual.pdf", "QX-3150nS_Manual.pdf"}) {
            files.push_back(ProgramDir() / "Manual" / std::to_string(n) / m);
        }
    }
    for (const char* code : {"EN", "NL", "DE"}) {
        files.push_back(ProgramDir() / "QIG" / (std::string("QX-3150_QIG_") + code + ".pdf"));
    }
    for (const auto& f : files) EXPECT_TRUE(fs::is_regular_file(f)) << f;
    EXPECT_FALSE(fs::exists(ProgramDir() / "image" / "1" / "06.jpg"));
    EXPECT_FALSE(fs::exists(MediumDir() / "QX3150N"));
}

TEST(MediaTree, EveryPagePictureIsASmall800By600Jpeg) {
    std::vector<fs::path> pictures = {ProgramDir() / "image" / "01.jpg"};
    for (int n : {1, 2, 3}) {
        for (const auto& f : PageFiles())
            pictures.push_back(ProgramDir() / "image" / std::to_string(n) / f);
    }
    for (const auto& p : pictures) {
        const std::string bytes = ReadBytes(p);
        ASSERT_GE(bytes.size(), 3u) << p;
        EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << p;
        EXPECT_LT(bytes.size(), 120u * 1024) << p;
        const auto img = Picture(p);
        ASSERT_TRUE(img) << p;
        EXPECT_EQ(img->width, 800) << p;
        EXPECT_EQ(img->height, 600) << p;
    }
}

TEST(MediaTree, PicturesAreInTheFolderLanguage) {
    // Same layout, different words: the language folders must not hold the same picture.
    for (const auto& f : PageFiles()) {
        const auto en = ReadBytes(ProgramDir() / "image" / "1" / f);
        const auto nl = ReadBytes(ProgramDir() / "image" / "2" / f);
        const auto de = ReadBytes(ProgramDir() / "image" / "3" / f);
        EXPECT_NE(en, nl) << f;
        EXPECT_NE(en, de) << f;
    }
}

// ---- buttons under the hotspots --------------------------------------------------------

struct Spot {
    int x, y, w, h;
};

struct PageSpots {
    const char* file;
    std::vector<Spot> spots;
};

// Rectangles where the wizard places its hotspots, check boxes and fields, typed in from
// the page definitions (not taken from the generator's tables).
const std::vector<PageSpots>& Samples() {
    static const std::vector<PageSpots> samples = {
        {"03.jpg",
         {{14, 22, 79, 75},
          {101, 22, 90, 75},
          {486, 22, 111, 75},
          {601, 22, 95, 75},
          {710, 22, 70, 75},
          {520, 550, 138, 40},
          {673, 550, 124, 40},
          {618, 492, 53, 26}}},
        {"04.jpg", {{617, 492, 55, 26}, {101, 22, 90, 75}}},
        {"05.jpg", {{618, 492, 53, 26}, {443, 439, 23, 22}}},
        {"07.jpg", {{14, 22, 79, 75}, {710, 22, 70, 75}, {280, 292, 103, 30}, {406, 292, 113, 30}}},
        {"08.jpg",
         {{199, 22, 85, 75},
          {290, 22, 90, 75},
          {386, 22, 95, 80},
          {399, 299, 133, 18},
          {399, 334, 133, 18},
          {399, 369, 133, 18},
          {544, 492, 52, 25},
          {618, 492, 53, 26},
          {107, 155, 94, 21}}},
        {"09.jpg",
         {{145, 339, 19, 19},
          {145, 369, 19, 19},
          {145, 399, 19, 19},
          {482, 339, 19, 19},
          {482, 369, 19, 19},
          {618, 492, 53, 26}}},
        {"10.jpg",
         {{415, 302, 133, 21},
          {415, 333, 133, 21},
          {562, 331, 59, 23},
          {543, 492, 53, 26},
          {618, 492, 53, 26}}},
        // The wider 1014 of this page ends one pixel before 1010, too close for the
        // outside probe; its neighbours stand for the header row.
        {"11.jpg",
         {{199, 22, 85, 75},
          {486, 22, 111, 75},
          {406, 297, 133, 21},
          {406, 327, 133, 21},
          {406, 357, 133, 21},
          {406, 387, 133, 21}}},
        {"12.jpg",
         {{481, 255, 133, 21},
          {481, 300, 133, 21},
          {481, 330, 133, 21},
          {481, 359, 133, 21},
          {481, 389, 133, 21},
          {481, 418, 133, 21}}},
        {"13.jpg",
         {{103, 225, 23, 22},
          {483, 227, 133, 21},
          {483, 257, 133, 21},
          {628, 255, 59, 23},
          {103, 345, 23, 22},
          {483, 347, 133, 21},
          {483, 437, 133, 21}}},
        {"14.jpg",
         {{405, 226, 133, 21}, {405, 286, 133, 21}, {405, 376, 133, 21}, {405, 406, 133, 21}}},
        {"15.jpg",
         {{103, 239, 23, 22},
          {483, 239, 133, 21},
          {628, 269, 59, 23},
          {103, 359, 23, 22},
          {483, 449, 133, 21}}},
        {"16.jpg", {{405, 226, 133, 21}, {405, 316, 133, 21}, {405, 346, 133, 21}}},
        {"17.jpg",
         {{209, 22, 76, 75},
          {311, 22, 70, 75},
          {409, 22, 72, 75},
          {673, 550, 100, 40},
          {478, 264, 133, 21},
          {478, 294, 133, 21},
          {317, 334, 23, 22},
          {478, 362, 133, 21}}},
        {"18(1).jpg", {{486, 22, 111, 75}, {601, 22, 95, 75}, {710, 22, 70, 75}}},
        {"18.jpg",
         {{14, 22, 79, 75},
          {209, 22, 76, 75},
          {311, 22, 70, 75},
          {409, 22, 72, 75},
          {673, 550, 100, 40},
          {617, 491, 54, 26}}},
        {"18_nonext.jpg", {{14, 22, 79, 75}, {409, 22, 72, 75}, {673, 550, 100, 40}}},
        {"19.jpg", {{440, 460, 260, 27}, {199, 22, 85, 75}}},
        {"20.jpg", {{280, 292, 103, 30}, {406, 292, 113, 30}}},
        {"21.jpg", {{378, 410, 133, 21}, {543, 492, 53, 26}}},
        {"22.jpg", {{107, 320, 19, 20}, {281, 450, 133, 21}, {618, 492, 53, 26}}},
        {"23.jpg", {{297, 409, 224, 21}, {228, 407, 60, 23}, {549, 407, 60, 23}}},
        {"24.jpg", {{543, 492, 53, 26}, {618, 492, 53, 26}, {101, 22, 90, 75}, {386, 22, 95, 80}}},
        {"25.jpg",
         {{4, 20, 89, 79},
          {197, 20, 89, 79},
          {292, 20, 89, 79},
          {389, 20, 89, 79},
          {488, 20, 106, 79},
          {601, 20, 95, 79},
          {702, 20, 85, 79},
          {620, 494, 51, 23},
          {158, 364, 392, 23},
          {243, 390, 309, 42},  // two lines for the longest key
          {185, 479, 365, 23},
          {106, 155, 90, 18}}},
    };
    return samples;
}

// Mean colour of the pixels on a line segment.
std::array<double, 3> Mean(const Image& img, int x0, int y0, int x1, int y1) {
    std::array<double, 3> sum{};
    int n = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
            const std::uint32_t p = img.At(x, y);
            sum[0] += (p >> 16) & 0xFF, sum[1] += (p >> 8) & 0xFF, sum[2] += p & 0xFF;
            ++n;
        }
    }
    if (n == 0) return {-1, -1, -1};  // off the picture: no evidence either way
    for (auto& s : sum) s /= n;
    return sum;
}

double Distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    if (a[0] < 0 || b[0] < 0) return 0;
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The weakest of the four edges: the middle half of each side, 2 pixels inside against
// 3 pixels outside. A painted element that fills the rectangle shows a clear step on
// every side; a rectangle off by a few pixels has a side without one.
double EdgeContrast(const Image& img, const Spot& s) {
    const int qx = s.w / 4, qy = s.h / 4;
    const int l = s.x, t = s.y, r = s.x + s.w - 1, b = s.y + s.h - 1;
    const double top =
        Distance(Mean(img, l + qx, t + 2, r - qx, t + 2), Mean(img, l + qx, t - 3, r - qx, t - 3));
    const double bottom =
        Distance(Mean(img, l + qx, b - 2, r - qx, b - 2), Mean(img, l + qx, b + 3, r - qx, b + 3));
    const double left =
        Distance(Mean(img, l + 2, t + qy, l + 2, b - qy), Mean(img, l - 3, t + qy, l - 3, b - qy));
    const double right =
        Distance(Mean(img, r - 2, t + qy, r - 2, b - qy), Mean(img, r + 3, t + qy, r + 3, b - qy));
    return std::min(std::min(top, bottom), std::min(left, right));
}

constexpr double kEdge = 40;  // sum of channel differences, out of 765

TEST(MediaTree, ButtonsAndFieldsArePaintedExactlyUnderTheirRectangles) {
    for (int n : {1, 2, 3}) {
        for (const auto& page : Samples()) {
            const fs::path p = ProgramDir() / "image" / std::to_string(n) / page.file;
            const auto img = Picture(p);
            ASSERT_TRUE(img) << p;
            for (const Spot& s : page.spots) {
                const std::string where = p.string() + " at " + std::to_string(s.x) + "," +
                                          std::to_string(s.y) + "," + std::to_string(s.w) + "," +
                                          std::to_string(s.h);
                EXPECT_GT(EdgeContrast(*img, s), kEdge) << where;
                // Moved by 5 pixels the rectangle no longer fits the painting.
                for (const auto& [dx, dy] : {std::pair{5, 0}, {-5, 0}, {0, 5}, {0, -5}}) {
                    EXPECT_LT(EdgeContrast(*img, {s.x + dx, s.y + dy, s.w, s.h}), kEdge)
                        << where << " moved by " << dx << "," << dy;
                }
            }
        }
    }
}

TEST(MediaTree, LanguageChoiceButtonsArePainted) {
    const std::vector<Spot> buttons = {{159, 260, 78, 33}, {247, 260, 113, 33}, {370, 260, 85, 33},
                                       {465, 260, 87, 33}, {562, 260, 79, 33},  {143, 308, 80, 33},
                                       {233, 308, 96, 33}, {340, 308, 64, 33},  {414, 308, 67, 33},
                                       {491, 308, 76, 33}, {577, 308, 88, 33},  {166, 354, 83, 33},
                                       {262, 354, 72, 33}, {347, 354, 99, 33},  {456, 354, 85, 33},
                                       {550, 354, 87, 33}, {520, 550, 138, 40}};
    const auto img = Picture(ProgramDir() / "image" / "01.jpg");
    ASSERT_TRUE(img);
    for (const Spot& s : buttons) EXPECT_GT(EdgeContrast(*img, s), kEdge) << s.x << "," << s.y;
    // A plain stretch of background must not pass, or the measure proves nothing.
    EXPECT_LT(EdgeContrast(*img, {300, 440, 90, 40}), kEdge);
}

// The failure page shows its diagnosis at 107, 330, 586, 100: the picture leaves it plain.
TEST(MediaTree, FailurePageKeepsTheDiagnosisRectanglePlain) {
    for (int n : {1, 2, 3}) {
        const auto img = Picture(ProgramDir() / "image" / std::to_string(n) / "19.jpg");
        ASSERT_TRUE(img);
        const auto whole = Mean(*img, 107, 330, 693, 430);
        for (int x = 107; x < 693; x += 98)
            for (int y = 330; y < 430; y += 25)
                EXPECT_LT(Distance(Mean(*img, x, y, x + 98, y + 25), whole), 12.0)
                    << n << " at " << x << "," << y;
        // The instruction text above it does differ, or the measure proves nothing.
        double most = 0;
        for (int x = 107; x < 693; x += 98)
            most = std::max(most, Distance(Mean(*img, x, 250, x + 98, 275), whole));
        EXPECT_GT(most, 12.0) << n;
    }
}

// ---- string.ini ------------------------------------------------------------------------

const std::vector<std::string>& RequiredKeys() {
    static const std::vector<std::string> keys = {"load_image_error",
                                                  "load image error",
                                                  "Error_creating_Dialog",
                                                  "Cannot_Support",
                                                  "Reboot",
                                                  "Connect_to_Router",
                                                  "Input_The_Info",
                                                  "failed_setting",
                                                  "CableModem_set_failed",
                                                  "Select_ConnectMode",
                                                  "ESSID_Set_Failed",
                                                  "FixedIP_set_failed",
                                                  "PPTPxDSL_Set_Failed",
                                                  "L2TPxDSL_Set_Failed",
                                                  "PPPoE_Set_Failed",
                                                  "Telstra_Set_Failed",
                                                  "WPA_Set_Failed",
                                                  "Firm_Update_Failed",
                                                  "Firm_Format_Worng",
                                                  "NewPwd_Set_Success",
                                                  "Not_Change_Pwd",
                                                  "Confirm_Pwd",
                                                  "Current_Pwd_Error",
                                                  "Adobe_Reader",
                                                  "not_found",
                                                  "out_of_memory",
                                                  "SSID_Reboot",
                                                  "WPA_Reboot",
                                                  "Firm_Reboot",
                                                  "Set_Language",
                                                  "Reboot_Complete"};
    return keys;
}

TEST(MediaTree, EveryStringIniHoldsEveryMessageKey) {
    struct Expect {
        int folder;
        bool utf16;
        std::u16string refused;  // "failed_setting" also names a router that refused
    };
    for (const Expect& e :
         {Expect{1, false, u"did not accept"}, Expect{2, false, u"niet geaccepteerd"},
          Expect{3, true, u"nicht \u00FCbernommen"}}) {
        const auto path = ProgramDir() / "image" / std::to_string(e.folder) / "string.ini";
        const auto ini = test::ParseIni(ReadBytes(path));
        ASSERT_TRUE(ini.error.empty()) << path << ": " << ini.error;
        EXPECT_EQ(ini.utf16, e.utf16) << path;
        ASSERT_TRUE(ini.sections.count("MESSAGE")) << path;
        const auto& msg = ini.sections.at("MESSAGE");
        for (const auto& key : RequiredKeys()) {
            ASSERT_TRUE(msg.count(key)) << path << " lacks " << key;
            const std::u16string& v = msg.at(key);
            EXPECT_GE(v.size(), 2u) << path << " " << key;
            // Profile reads strip blanks and surrounding quotes; nothing may depend on them.
            EXPECT_NE(v.front(), u' ') << key;
            EXPECT_NE(v.back(), u' ') << key;
            EXPECT_NE(v.front(), u'"') << key;
        }
        // The optional cause lines, in every language, each a sentence of its own.
        std::set<std::u16string> causes;
        for (const char* key : {"why_unreachable", "why_refused", "why_timeout", "why_no_answer",
                                "why_closed", "why_http", "why_login", "why_garbled",
                                "why_router_down", "why_dns", "why_no_route", "why_site"}) {
            ASSERT_TRUE(msg.count(key)) << path << " lacks " << key;
            const std::u16string& v = msg.at(key);
            EXPECT_GE(v.size(), 20u) << path << " " << key;
            EXPECT_LT(v.size(), 512u) << path << " " << key;
            EXPECT_EQ(v.find(u"%d") != std::u16string::npos, std::string(key) == "why_http")
                << path << " " << key;
            causes.insert(v);
        }
        EXPECT_EQ(causes.size(), 12u) << path;
        EXPECT_LE(msg.at("Reboot_Complete").size(), 12u) << "a button caption";
        EXPECT_NE(msg.at("load_image_error"), msg.at("failed_setting"));
        EXPECT_NE(msg.at("failed_setting").find(e.refused), std::u16string::npos) << path;

        // What screen readers read of every page: its title and text, and every painted
        // button and field by its caption (the wizard reads at most 2047 characters).
        ASSERT_TRUE(ini.sections.count("ACCESS")) << path;
        const auto& access = ini.sections.at("ACCESS");
        const auto has = [&](const std::string& key, std::size_t min) {
            const auto it = access.find(key);
            EXPECT_TRUE(it != access.end() && it->second.size() >= min && it->second.size() < 2048)
                << path << " " << key;
        };
        for (const PageLayout& page : LanguagePages()) {
            has(page.name + ".title", 3);
            has(page.name + ".text", 20);
            for (const Element& el : page.elements)
                if (el.id != 0 && el.look != Look::Value && el.look != Look::ModelName &&
                    el.look != Look::Animation)
                    has(page.name + "." + std::to_string(el.id), 1);
        }
    }
}

TEST(MediaTree, HeaderNamesTheModelTheRouterCheckSets) {
    CZavroApp app;
    app.m_nModelVariant = 2;  // what the router check sets on finding the router
    EXPECT_EQ(app.GetModelName(), kDemoModelName);
}

TEST(MediaTree, GermanTextsUseRealUmlautsAndDutchIsWindows1252) {
    const auto de = test::ParseIni(ReadBytes(ProgramDir() / "image" / "3" / "string.ini"));
    ASSERT_TRUE(de.error.empty());
    std::set<char16_t> seen;
    for (const auto& [key, v] : de.sections.at("MESSAGE")) {
        for (char16_t c : v) seen.insert(c);
    }
    for (char16_t c : {u'\u00FC', u'\u00E4', u'\u00F6', u'\u00DF'}) {
        EXPECT_TRUE(seen.count(c)) << "German text without U+" << std::hex << int(c);
    }
    // "geïnstalleerd" holds 0xEF as one byte in the ANSI file.
    const std::string nl = ReadBytes(ProgramDir() / "image" / "2" / "string.ini");
    EXPECT_NE(nl.find("ge\xEFnstalleerd"), std::string::npos);
    EXPECT_EQ(nl.find("\xC3"), std::string::npos) << "UTF-8 bytes in an ANSI file";
}

// ---- firmware, scripts ------------------------------------------------------------------

TEST(MediaTree, FirmwareIsTheDummyPattern) {
    const std::string fw = ReadBytes(ProgramDir() / "Firmware" / "Firmware.bin");
    ASSERT_EQ(fw.size(), 64u * 1024);
    EXPECT_EQ(fw.rfind("ZAVRO-FW", 0), 0u);
    EXPECT_EQ(fw.substr(0x1000, 16), "ZAVRO-00001000\r\n");
    EXPECT_EQ(fw.substr(fw.size() - 16), "ZAVRO-0000FFF0\r\n");
}

struct ScriptRun {
    int status = -1;
    std::string out, err;
};

ScriptRun RunScript(const fs::path& script, const std::string& env = "") {
    const fs::path dir =
        fs::temp_directory_path() / ("zavro_media_run_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cmd = env + " '" + script.string() + "' >'" + (dir / "out").string() +
                            "' 2>'" + (dir / "err").string() + "'";
    ScriptRun r;
    r.status = std::system(cmd.c_str());
    r.out = ReadBytes(dir / "out");
    r.err = ReadBytes(dir / "err");
    fs::remove_all(dir);
    return r;
}

bool Executable(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && (st.st_mode & 0777) == 0755;
}

TEST(MediaTree, NetworkScriptsPrintOneLineToStderrAndSucceed) {
    for (const char* name : {"dhcpsetting.vbs", "dns-replaceserverlist.vbs"}) {
        const fs::path p = ProgramDir() / name;
        EXPECT_TRUE(Executable(p)) << p;
        EXPECT_EQ(ReadBytes(p).rfind("#!/bin/sh\n", 0), 0u) << p;
        const ScriptRun r = RunScript(p);
        EXPECT_EQ(r.status, 0) << p;
        EXPECT_TRUE(r.out.empty()) << p;
        ASSERT_FALSE(r.err.empty()) << p;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

TEST(MediaTree, AutoRunPrintsItsNameAndLogsWhenAsked) {
    const fs::path autorun = MediumDir() / "AutoRun";
    EXPECT_TRUE(Executable(autorun));
    const fs::path log =
        fs::temp_directory_path() / ("zavro_autorun_" + std::to_string(::getpid()));
    fs::remove(log);
    ScriptRun r = RunScript(autorun);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Zavro setup menu\n");
    EXPECT_FALSE(fs::exists(log));
    for (int i = 0; i < 2; ++i) {
        r = RunScript(autorun, "ZAVRO_AUTORUN_LOG='" + log.string() + "'");
        EXPECT_EQ(r.status, 0);
    }
    EXPECT_EQ(ReadBytes(log), "AutoRun started\nAutoRun started\n");  // appends
    fs::remove(log);
}

TEST(MediaTree, ReadmeNamesTheFolders) {
    const std::string readme = ReadBytes(MediumDir() / "README.txt");
    for (const char* word :
         {"AutoRun", "Wizard/image", "Manual", "QIG", "Firmware", "string.ini"}) {
        EXPECT_NE(readme.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace zavro::media
