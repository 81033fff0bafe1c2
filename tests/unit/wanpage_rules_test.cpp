// Input rules of the WAN pages: addresses, masks, gateways, MACs, host names, numbers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "pages/WanPageCommon.h"

namespace zavro::wan {
namespace {

TEST(WanPageRules, DottedQuadParsing) {
    EXPECT_EQ(ParseDottedQuad("192.168.2.1"), (std::array<int, 4>{192, 168, 2, 1}));
    EXPECT_EQ(ParseDottedQuad("0.0.0.0"), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(ParseDottedQuad("255.255.255.255"), (std::array<int, 4>{255, 255, 255, 255}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.4 ",
                            " 1.2.3.4", "1.2.3.-4", "1000.2.3.4", "1.2.3.4."})
        EXPECT_FALSE(ParseDottedQuad(bad)) << bad;
}

TEST(WanPageRules, HostAddressBoundaries) {
    const std::pair<const char*, bool> cases[] = {
        {"1.0.0.1", true},      {"223.255.255.254", true},
        {"10.0.0.1", true},     {"192.168.1.0", false},
        {"10.0.0.255", false},  {"224.0.0.1", false},
        {"0.1.2.3", false},     {"223.0.0.254", true},
        {"223.0.0.255", false}, {"192.0.255.77", true},  // the middle octets are not looked at
        {"0.0.0.0", false},     {"", false},
    };
    for (const auto& [text, ok] : cases) EXPECT_EQ(IsValidHostAddress(text), ok) << text;
}

TEST(WanPageRules, EveryPrefixLengthOneToThirtyOneIsAMask) {
    for (int bits = 0; bits <= 32; ++bits) {
        const std::uint32_t mask = bits == 0 ? 0u : ~0u << (32 - bits);
        const std::string text =
            std::to_string(mask >> 24) + "." + std::to_string((mask >> 16) & 255) + "." +
            std::to_string((mask >> 8) & 255) + "." + std::to_string(mask & 255);
        EXPECT_EQ(IsValidSubnetMask(text), bits >= 1 && bits <= 31) << text;
    }
}

TEST(WanPageRules, MasksWithValidOctetsThatAreNotPrefixesFail) {
    for (const char* bad : {"255.0.255.0", "0.255.255.0", "255.255.0.255", "128.128.0.0",
                            "255.254.255.0", "255.255.255.1", "255.255.250.0", "255.255.255"})
        EXPECT_FALSE(IsValidSubnetMask(bad)) << bad;
    EXPECT_TRUE(IsValidSubnetMask("255.255.255.252"));
    EXPECT_TRUE(IsValidSubnetMask("255.255.255.0"));
}

TEST(WanPageRules, GatewayIsNoneOrAHostAddress) {
    const std::pair<const char*, bool> cases[] = {
        {"0.0.0.0", true},  {"10.0.0.1", true},      {"10.0.0.0", false},      {"224.1.1.1", false},
        {"0.0.0.1", false}, {"192.168.2.254", true}, {"192.168.2.255", false}, {"bogus", false},
    };
    for (const auto& [text, ok] : cases) EXPECT_EQ(IsValidGateway(text), ok) << text;
}

TEST(WanPageRules, MacCharactersAndLength) {
    EXPECT_TRUE(IsHexText(""));
    EXPECT_TRUE(IsHexText("0123456789abcdefABCDEF"));
    for (const char* bad : {"00:11:22:33", "00112233445G", "0011 2233", "g", "-"})
        EXPECT_FALSE(IsHexText(bad)) << bad;
    for (std::size_t n = 0; n <= 13; ++n)
        EXPECT_EQ(IsCloneMacLength(std::string(n, 'A')), n == 0 || n == 12) << n;
}

TEST(WanPageRules, QuotesInHostNames) {
    EXPECT_FALSE(HasQuoteCharacter(""));
    EXPECT_FALSE(HasQuoteCharacter("my-host_1 `x`"));
    EXPECT_TRUE(HasQuoteCharacter("o'neil"));
    EXPECT_TRUE(HasQuoteCharacter("\"host\""));
    EXPECT_TRUE(HasQuoteCharacter("end'"));
}

TEST(WanPageRules, NumbersReadLikeAtoi) {
    const std::pair<const char*, int> cases[] = {
        {"1392", 1392},
        {"", 0},
        {"abc", 0},
        {"  42", 42},
        {"\t7", 7},
        {"+12", 12},
        {"-5", -5},
        {"600x", 600},
        {"12 3", 12},
        {"0512", 512},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"- 3", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(AtoiValue(text), value) << text;
}

}  // namespace
}  // namespace zavro::wan
