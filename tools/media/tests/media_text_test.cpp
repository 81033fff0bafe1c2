// Encodings and the profile-file writer behind string.ini.
#include <gtest/gtest.h>

#include <stdexcept>

#include "MediaTestSupport.h"
#include "Text.h"

namespace zavro::media {
namespace {

TEST(MediaText, Windows1252MapsEveryCharacterOrRefuses) {
    struct Case {
        const char* utf8;
        std::optional<std::string> ansi;
    };
    const Case cases[] = {
        {"plain", std::string("plain")},
        {"\xE2\x82\xAC", std::string("\x80")},            // euro sign
        {"\xC3\xA9\xC3\xA9n", std::string("\xE9\xE9n")},  // "één"
        {"Stra\xC3\x9F"
         "e",
         std::string("Stra\xDF"
                     "e")},                                       // sharp s
        {"\xE2\x80\x98x\xE2\x80\x99", std::string("\x91x\x92")},  // curly quotes
        {"\xC5\xBD", std::string("\x8E")},                        // Z with caron
        {"\xD0\x96", std::nullopt},                               // Cyrillic: no 1252 byte
        {"\xC2\x81", std::nullopt},                               // U+0081: unassigned byte
        {"\xC3", std::nullopt},                                   // cut sequence
        {"\xC0\xAF", std::nullopt},                               // overlong '/'
        {"\xED\xA0\x80", std::nullopt},                           // lone surrogate
        {"\xF4\x90\x80\x80", std::nullopt},                       // above U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToWindows1252(c.utf8), c.ansi) << c.utf8;
    }
}

TEST(MediaText, Utf16LittleEndianWithSurrogatePairs) {
    EXPECT_EQ(ToUtf16Le("A\xC3\xBC"), std::string("A\0\xFC\0", 4));
    EXPECT_EQ(ToUtf16Le("\xF0\x9F\x98\x80"), std::string("\x3D\xD8\x00\xDE", 4));  // U+1F600
    EXPECT_EQ(ToUtf16Le("\xE2\x82"), std::nullopt);
}

TEST(MediaText, AnsiIniIsExactBytesWithCrlf) {
    const std::string ini = WriteIni({{"MESSAGE",
                                       {{"a", "x"},
                                        {"load image error",
                                         "Gr\xC3\xBC\xC3\x9F"
                                         "e"}}}},
                                     IniEncoding::Ansi);
    EXPECT_EQ(ini,
              "[MESSAGE]\r\na=x\r\nload image error=Gr\xFC\xDF"
              "e\r\n");
}

TEST(MediaText, Utf16IniStartsWithBomAndParsesBack) {
    const std::string ini =
        WriteIni({{"MESSAGE", {{"Reboot", "Neustart n\xC3\xB6tig"}}}}, IniEncoding::Utf16);
    ASSERT_GE(ini.size(), 2u);
    EXPECT_EQ(ini.substr(0, 2), "\xFF\xFE");
    const auto parsed = test::ParseIni(ini);
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_TRUE(parsed.utf16);
    EXPECT_EQ(parsed.sections.at("MESSAGE").at("Reboot"), u"Neustart n\u00F6tig");
}

TEST(MediaText, IniRefusesWhatAProfileReadWouldChange) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"key", "two\nlines"}, {"a=b", "v"}, {" lead", "v"}, {"", "v"}, {";c", "v"},
    };
    for (const auto& [key, value] : bad) {
        EXPECT_THROW(WriteIni({{"MESSAGE", {{key, value}}}}, IniEncoding::Utf16),
                     std::invalid_argument)
            << key;
    }
    // Cyrillic fits UTF-16 but not the ANSI file.
    EXPECT_NO_THROW(WriteIni({{"MESSAGE", {{"k", "\xD0\x96"}}}}, IniEncoding::Utf16));
    EXPECT_THROW(WriteIni({{"MESSAGE", {{"k", "\xD0\x96"}}}}, IniEncoding::Ansi),
                 std::invalid_argument);
}

}  // namespace
}  // namespace zavro::media
