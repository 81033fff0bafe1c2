// Input rules of the setup pages: numbers, dotted addresses, masks, MACs.
#include <gtest/gtest.h>

#include <climits>

#include "pages/SetupPageCommon.h"

namespace zavro {
namespace {

TEST(SetupRules, AtoiLikeReadsLeadingDigits) {
    const std::pair<const char*, int> cases[] = {
        {"1392", 1392}, {"", 0},          {"abc", 0},         {"12ab", 12},
        {" 600", 600},  {"\t7", 7},       {"+5", 5},          {"-3", -3},
        {"- 3", 0},     {"1 2", 1},       {"0001000", 1000},  {"2147483647", INT_MAX},
        // Past the int range: held at its ends, never wrapped into the valid band.
        {"99999999999", INT_MAX},         {"4294968788", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(AtoiLike(text), value) << text;
}

TEST(SetupRules, ParseDottedTakesOnlyFourDecimalFields) {
    EXPECT_EQ(ParseDotted("10.0.0.255"), (Octets{10, 0, 0, 255}));
    EXPECT_EQ(ParseDotted("0.0.0.0"), (Octets{0, 0, 0, 0}));
    EXPECT_EQ(ParseDotted("001.002.003.004"), (Octets{1, 2, 3, 4}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1..3.4", ".1.2.3", "1.2.3.", "256.0.0.1",
                            "1.2.3.4x", "a.b.c.d", "1.2.3.1000", " 1.2.3.4", "1,2.3.4"})
        EXPECT_FALSE(ParseDotted(bad).has_value()) << bad;
}

TEST(SetupRules, HostAddressBounds) {
    const std::pair<Octets, bool> cases[] = {
        {{1, 0, 0, 1}, true},      {{223, 255, 255, 254}, true}, {{0, 1, 1, 1}, false},
        {{224, 0, 0, 1}, false},   {{10, 0, 0, 0}, false},       {{10, 0, 0, 255}, false},
        {{10, 255, 0, 254}, true},
    };
    for (const auto& [o, ok] : cases) EXPECT_EQ(IsHostAddress(o), ok) << o[0] << "." << o[3];
}

TEST(SetupRules, MasksAreOneToThirtyOneContiguousBits) {
    for (int bits = 0; bits <= 32; ++bits) {
        const std::uint32_t m = bits == 0 ? 0u : ~0u << (32 - bits);
        const Octets o{int(m >> 24), int(m >> 16 & 255), int(m >> 8 & 255), int(m & 255)};
        EXPECT_EQ(IsSubnetMask(o), bits >= 1 && bits <= 31) << bits;
    }
    EXPECT_FALSE(IsSubnetMask({255, 0, 255, 0}));    // valid octets, not contiguous
    EXPECT_FALSE(IsSubnetMask({255, 255, 253, 0}));  // not a mask octet
    EXPECT_FALSE(IsSubnetMask({0, 255, 255, 0}));
    int valid = 0;
    for (int octet = 0; octet <= 255; ++octet) valid += IsMaskOctet(octet);
    EXPECT_EQ(valid, 9);
}

TEST(SetupRules, GatewayIsNoneOrAHost) {
    EXPECT_TRUE(IsGatewayAddress("0.0.0.0"));
    EXPECT_TRUE(IsGatewayAddress("10.0.0.1"));
    EXPECT_FALSE(IsGatewayAddress("10.0.0.0"));
    EXPECT_FALSE(IsGatewayAddress("0.0.0.1"));
    EXPECT_FALSE(IsGatewayAddress("224.0.0.1"));
    EXPECT_FALSE(IsGatewayAddress(""));
}

TEST(SetupRules, HexDigitsAndResultKeys) {
    EXPECT_TRUE(IsHexDigits("0123456789abcdefABCDEF"));
    EXPECT_TRUE(IsHexDigits(""));
    for (const char* bad : {"00:11", "g", "0x12", " 1", "12-34"}) EXPECT_FALSE(IsHexDigits(bad)) << bad;
    EXPECT_EQ(WanResultKey(0, "X"), nullptr);
    EXPECT_STREQ(WanResultKey(1, "X"), "failed_setting");
    for (int r : {2, 3, -1, 7}) EXPECT_STREQ(WanResultKey(r, "X"), "X") << r;
}

}  // namespace
}  // namespace zavro
