// Escaping, Base64, address and MAC splitting, dialect grouping, multipart bodies.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/CurlHttp.h"
#include "router/Encoding.h"
#include "router/Function.h"

namespace zavro::router {
namespace {

using namespace std::string_literals;

TEST(RouterEscape, EachPunctuationCharacterAndWhatPasses) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"!\"#$%&'()*+", "%21%22%23%24%25%26%27%28%29%2A%2B"},
        {",-./:;<=>?@", "%2C%2D%2E%2F%3A%3B%3C%3D%3E%3F%40"},
        {"[\\]^_{|}~", "%5B%5C%5D%5E%5F%7B%7C%7D%7E"},
        {"a b&c", "a b%26c"},
        {"AZaz09`", "AZaz09`"},
        {"\t\x01\x7f", "\t\x01\x7f"},
        {"\x80\xe9\xff", "\x80\xe9\xff"},
        {"", ""},
        {"100%", "100%25"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeText(c.in), c.out) << c.in;
}

TEST(RouterEscape, SpecialCharsAppendAcrossCalls) {
    CFunction f;
    f.EscapeSpecialChars("my net");
    f.EscapeSpecialChars("a.b");
    EXPECT_EQ(f.m_strEscaped, "my neta%2Eb");
}

TEST(RouterBase64, Vectors) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"admin:", "YWRtaW46"},
        {"admin:5820", "YWRtaW46NTgyMA=="},
        {"foobar", "Zm9vYmFy"},
        {"\xff\xfe\x00"s, "//4A"},
        {"\xfb\xff", "+/8="},
    };
    for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.in), c.out) << c.in;
}

TEST(RouterOctets, SplitAtDots) {
    using A = std::array<std::string, 4>;
    EXPECT_EQ(SplitOctets("192.168.2.100"), (A{"192", "168", "2", "100"}));
    EXPECT_EQ(SplitOctets("1.2.3.4.5"), (A{"1", "2", "3", "4.5"}));
    EXPECT_EQ(SplitOctets("010.0.0.1"), (A{"010", "0", "0", "1"}));
    EXPECT_EQ(SplitOctets("..."), (A{"", "", "", ""}));
    EXPECT_EQ(SplitOctets("10.1"), (A{"10", "1", "", ""}));
    EXPECT_EQ(SplitOctets(""), (A{"", "", "", ""}));
}

TEST(RouterMacPairs, TwoCharactersEach) {
    using P = std::array<std::string, 6>;
    EXPECT_EQ(MacPairs("001122AABBCC"), (P{"00", "11", "22", "AA", "BB", "CC"}));
    EXPECT_EQ(MacPairs("0011223"), (P{"00", "11", "22", "3", "", ""}));
    EXPECT_EQ(MacPairs(""), (P{"", "", "", "", "", ""}));
}

TEST(RouterDialect, ModelGrouping) {
    const Dialect expected[] = {Dialect::None,     Dialect::FormPost, Dialect::Query,
                                Dialect::FormPost, Dialect::FormPost, Dialect::FormPost,
                                Dialect::Query,    Dialect::Query,    Dialect::FormEncoded,
                                Dialect::None};
    for (int model = 0; model <= 9; ++model) EXPECT_EQ(DialectOf(model), expected[model]) << model;
    EXPECT_EQ(DialectOf(-1), Dialect::None);
}

TEST(RouterFormPost, SingleFieldLayoutWithZeroByte) {
    const std::string body = FormPostBody().Text("ssid", "abc").Finish();
    const std::string expected =
        "--/////////////////\r\nContent-Disposition: form-data; name=\"ssid\"\r\n\r\nabc\r\n"
        "--/////////////////--\0"s;
    EXPECT_EQ(body, expected);
    EXPECT_EQ(FormPostBody::Header(),
              "Content-Type: multipart/form-data; boundary=/////////////////");
}

TEST(RouterFormPost, NumbersAndEmptyValues) {
    const std::string body = FormPostBody().Number("method", -2).Text("x", "").Finish();
    const std::string expected =
        "--/////////////////\r\nContent-Disposition: form-data; name=\"method\"\r\n\r\n-2\r\n"
        "--/////////////////\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n\r\n"
        "--/////////////////--\0"s;
    EXPECT_EQ(body, expected);
}

TEST(RouterJudge, StatusMapping) {
    CFunction f;
    const struct {
        int status, result;
    } cases[] = {{200, 0}, {204, 0}, {302, 0}, {399, 0}, {400, 1}, {401, 3},
                 {403, 1}, {404, 1}, {500, 1}, {199, 1}, {0, 1}};
    for (const auto& c : cases) EXPECT_EQ(f.JudgeResponse(c.status), c.result) << c.status;
}

TEST(RouterRequestTarget, EncodesOnlyWhatCannotStandInARequestLine) {
    using posix::RequestTarget;
    const struct {
        std::string in, out;
    } cases[] = {
        {"index.asp", "/index.asp"},
        {"/goform/formReboot", "/goform/formReboot"},
        {"/goform/asp_setWlanBasic?ssid0=my net", "/goform/asp_setWlanBasic?ssid0=my%20net"},
        {"/a?cryptType0=2\t\t\t\t\t&b=0", "/a?cryptType0=2%09%09%09%09%09&b=0"},
        {"/x?k=%2F%26+", "/x?k=%2F%26+"},
        {"/x?\x7f\x80\xff", "/x?%7F%80%FF"},
        {"/x?a\r\nHost: evil", "/x?a%0D%0AHost:%20evil"},
        {"", "/"},
    };
    for (const auto& c : cases) EXPECT_EQ(RequestTarget(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace zavro::router
