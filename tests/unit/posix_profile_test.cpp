#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/posix/ProfileReader.h"

namespace zavro {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zavro-profile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& bytes, const std::string& name = "string.ini") {
        const fs::path p = m_dir / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string A(const std::string& bytes, const std::string& section, const std::string& key,
                  const std::string& def = "<def>", std::size_t max = 512) {
        return reader.ReadA(Write(bytes), section, key, def, max);
    }

    fs::path m_dir;
    ProfileReader reader;
};

// UTF-16 file bytes with a byte-order mark.
std::string Utf16File(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF"s : "\xFF\xFE"s;
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

TEST_F(ProfileTest, AnsiLookupRules) {
    struct Case {
        const char* what;
        std::string file, section, key, expected;
    };
    const Case cases[] = {
        {"CRLF lines", "[MESSAGE]\r\nfailed_setting=Try again\r\n", "MESSAGE", "failed_setting",
         "Try again"},
        {"LF lines", "[MESSAGE]\nk=v\n", "MESSAGE", "k", "v"},
        {"CR lines", "[MESSAGE]\rk=v\r", "MESSAGE", "k", "v"},
        {"no final newline", "[S]\nk=last", "S", "k", "last"},
        {"section and key ignore ASCII case", "[message]\nKEY=x\n", "MESSAGE", "key", "x"},
        {"blanks around key and value", "[S]\n \t key \t=  \t value here \t \n", "S", "key",
         "value here"},
        {"blanks in section brackets", "[ S ]\nk=v\n", "S", "k", "v"},
        {"indented section", "  [S]\nk=v\n", "S", "k", "v"},
        {"surrounding quotes removed", "[S]\nk=\"  spaced  \"\n", "S", "k", "  spaced  "},
        {"inner quotes kept", "[S]\nk=say \"hi\" now\n", "S", "k", "say \"hi\" now"},
        {"one lone quote kept", "[S]\nk=\"\n", "S", "k", "\""},
        {"empty quotes", "[S]\nk=\"\"\n", "S", "k", ""},
        {"empty value is not the default", "[S]\nk=\n", "S", "k", ""},
        {"value holding '='", "[S]\nk=a=b\n", "S", "k", "a=b"},
        {"first key wins", "[S]\nk=1\nk=2\n", "S", "k", "1"},
        {"first section wins", "[S]\nj=1\n[S]\nk=2\n", "S", "k", "<def>"},
        {"first section still read", "[S]\nk=1\n[T]\n[S]\nk=2\n", "S", "k", "1"},
        {"comment lines", "[S]\n;k=1\n  ; k=2\nk=3\n", "S", "k", "3"},
        {"';' later in a line is text", "[S]\nk=a;b\n", "S", "k", "a;b"},
        {"key before any section", "k=1\n[S]\nj=2\n", "S", "k", "<def>"},
        {"other section", "[T]\nk=1\n", "S", "k", "<def>"},
        {"key in a later section", "[S]\nj=1\n[T]\nk=2\n", "S", "k", "<def>"},
        {"missing key", "[S]\nj=1\n", "S", "k", "<def>"},
        {"line without '='", "[S]\nk\nk=v\n", "S", "k", "v"},
        {"prefix of a key is not the key", "[S]\nkey2=v\n", "S", "key", "<def>"},
        {"section without ']'", "[S\nk=v\n", "S", "k", "v"},
        {"high bytes stored as they are", "[S]\nk=\xE9t\xE9\n", "S", "k", "\xE9t\xE9"},
        {"UTF-8 BOM belongs to the first line", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "<def>"},
        {"UTF-8 BOM before a comment line", "\xEF\xBB\xBF; c\n[S]\nk=v\n", "S", "k", "v"},
        {"zero byte ends the value", "[S]\nk=ab\0cd\n"s, "S", "k", "ab"},
        {"empty file", "", "S", "k", "<def>"},
        {"no sections at all", "k=v\nj=w\n", "S", "k", "<def>"},
    };
    for (const Case& c : cases) EXPECT_EQ(A(c.file, c.section, c.key), c.expected) << c.what;
}

TEST_F(ProfileTest, AnsiTruncatesValueAndDefaultToOneLessThanTheBuffer) {
    const std::string file = "[S]\nk=abcdef\n";
    EXPECT_EQ(A(file, "S", "k", "", 512), "abcdef");
    EXPECT_EQ(A(file, "S", "k", "", 7), "abcdef");
    EXPECT_EQ(A(file, "S", "k", "", 6), "abcde");
    EXPECT_EQ(A(file, "S", "k", "", 2), "a");
    EXPECT_EQ(A(file, "S", "k", "", 1), "");
    EXPECT_EQ(A(file, "S", "k", "", 0), "");
    // The default follows the same limit and loses its trailing blanks.
    EXPECT_EQ(A(file, "S", "missing", "fallback  ", 512), "fallback");
    EXPECT_EQ(A(file, "S", "missing", "fallback", 4), "fal");
    EXPECT_EQ(A(file, "S", "missing", "", 512), "");
}

TEST_F(ProfileTest, MissingFileOrFolderGivesTheDefault) {
    EXPECT_EQ(reader.ReadA((m_dir / "none.ini").string(), "S", "k", "d", 512), "d");
    EXPECT_EQ(reader.ReadA((m_dir / "no" / "dir" / "x.ini").string(), "S", "k", "d", 512), "d");
    EXPECT_EQ(reader.ReadA(m_dir.string(), "S", "k", "d", 512), "d");  // a folder
    EXPECT_EQ(reader.ReadA("", "S", "k", "d", 512), "d");
    EXPECT_EQ(reader.ReadW(u"/no/such/file.ini", u"S", u"k", u"dw", 512), u"dw");
}

TEST_F(ProfileTest, HugeLinesAndTheFourMegabyteCap) {
    const std::string big(1 << 20, 'x');
    EXPECT_EQ(A("[S]\nk=" + big + "\n", "S", "k", "", 512), std::string(511, 'x'));
    EXPECT_EQ(A("[S]\nk=" + big + "\n", "S", "k", "", big.size() + 1), big);

    // A key that lies past the cap is not seen; one before it is.
    const std::string filler = "; " + std::string(profile::kMaxFileBytes, '-') + "\n";
    EXPECT_EQ(A("[S]\nk=early\n" + filler + "j=late\n", "S", "k"), "early");
    EXPECT_EQ(A("[S]\nk=early\n" + filler + "j=late\n", "S", "j"), "<def>");
}

TEST_F(ProfileTest, BinaryGarbageNeverCrashesAndKeepsLaterLinesReadable) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 50; ++round) {
        std::string junk(static_cast<std::size_t>(rng() % 5000), '\0');
        for (char& c : junk) c = static_cast<char>(byte(rng));
        if (round % 2) junk = "\xFF\xFE"s + junk;  // as UTF-16 too
        const std::string path = Write(junk);
        const std::string a = reader.ReadA(path, "MESSAGE", "k", "", 512);
        EXPECT_LE(a.size(), 511u);
        const std::u16string w = reader.ReadW(u"" + std::u16string(path.begin(), path.end()),
                                              u"MESSAGE", u"k", u"", 512);
        EXPECT_LE(w.size(), 511u);
    }
    std::string junk = "\x01\x02\x80\xff\x00\x7f[\x1b"s;
    EXPECT_EQ(A(junk + "\n[S]\nk=v\n", "S", "k"), "v");
}

TEST_F(ProfileTest, WideReadOfUtf16Files) {
    // U+4E2D U+6587, a pair for U+1F600, an unpaired high surrogate, e-acute.
    const std::u16string value = u"\u4E2D\u6587 \xD83D\xDE00 \xD800 \u00E9";
    const std::u16string text = u"; texts\r\n[Message]\r\nReboot_Complete = \"" + value +
                                u"\"\r\nNoQuotes=  \u0416  \r\n[Other]\r\nk=no\r\n";
    for (bool bigEndian : {false, true}) {
        const std::string path = Write(Utf16File(text, bigEndian));
        const std::u16string wpath(path.begin(), path.end());
        EXPECT_EQ(reader.ReadW(wpath, u"MESSAGE", u"reboot_complete", u"", 512), value);
        EXPECT_EQ(reader.ReadW(wpath, u"MESSAGE", u"NOQUOTES", u"", 512), u"\u0416");
        EXPECT_EQ(reader.ReadW(wpath, u"MESSAGE", u"k", u"dflt", 512), u"dflt");
        // Units, not characters: a cut may split the pair.
        EXPECT_EQ(reader.ReadW(wpath, u"MESSAGE", u"Reboot_Complete", u"", 5),
                  u"\u4E2D\u6587 \xD83D");
        EXPECT_EQ(reader.ReadW(wpath, u"MESSAGE", u"Reboot_Complete", u"", 1), u"");
    }
}

TEST_F(ProfileTest, Utf16OddTrailingByteIsIgnored) {
    const std::string file = Utf16File(u"[S]\nk=ab", false) + "\x41";
    const std::string path = Write(file);
    EXPECT_EQ(reader.ReadW(std::u16string(path.begin(), path.end()), u"S", u"k", u"", 512), u"ab");
    EXPECT_EQ(reader.ReadA(path, "S", "k", "", 512), "ab");
}

TEST_F(ProfileTest, WideReadOfAnAnsiFileWidensEachByte) {
    const std::string path = Write("[S]\r\nk=caf\xE9 \x80\r\n");
    const std::u16string wpath(path.begin(), path.end());
    EXPECT_EQ(reader.ReadW(wpath, u"s", u"K", u"", 512), u"caf\u00E9 \u0080");
    EXPECT_EQ(reader.ReadW(wpath, u"S", u"k", u"", 4), u"caf");
    // A key that no byte file can hold cannot match.
    EXPECT_EQ(reader.ReadW(wpath, u"S", u"\u4E2D", u"d", 512), u"d");
}

TEST_F(ProfileTest, AnsiReadOfAUtf16FileGivesLatin1OrQuestionMarks) {
    const std::u16string text = u"[S]\r\nk=caf\u00E9 \u4E2D \xD83D\xDE00 \xDC00!\r\n";
    for (bool bigEndian : {false, true}) {
        const std::string path = Write(Utf16File(text, bigEndian));
        EXPECT_EQ(reader.ReadA(path, "S", "K", "", 512), "caf\xE9 ? ? ?!");
        EXPECT_EQ(reader.ReadA(path, "S", "k", "", 5), "caf\xE9");
        EXPECT_EQ(reader.ReadA(path, "S", "j", "d", 512), "d");
    }
}

TEST_F(ProfileTest, WidePathIsTakenAsUtf8) {
    const std::string path = Write("[S]\nk=found\n", "d\xC3\xA9j\xC3\xA0/\xE4\xB8\xAD.ini");
    const std::u16string wide = (m_dir.u16string()) + u"/d\u00E9j\u00E0/\u4E2D.ini";
    EXPECT_EQ(reader.ReadW(wide, u"S", u"k", u"", 512), u"found");
}

TEST(ProfileEncoding, Utf8OfUtf16Units) {
    EXPECT_EQ(profile::ToUtf8(u"a\u00E9\u4E2D"), "a\xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(profile::ToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(profile::ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");  // unpaired
    EXPECT_EQ(profile::ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace zavro
