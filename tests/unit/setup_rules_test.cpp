// Input rules of the setup pages (and of zavro-cli): numbers, dotted addresses, masks, MACs,
// and each page's checks in the order the page makes them.
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

// Each check names the first input it refuses, in its page's order: a later rule never
// hides an earlier one, and what passes goes to the router as typed.
TEST(SetupRules, PageChecksNameTheFirstRefusedInputInThePagesOrder) {
    using B = BadInput;
    const std::string mac = "001122AABBCC";
    const struct {
        const char* what;
        BadInput got, expected;
    } cases[] = {
        {"account ok", CheckAccount("u", "p", "1392", 0, ""), B::None},
        {"mtu bounds", CheckAccount("u", "p", "512", 0, ""), B::None},
        {"mtu 1492", CheckAccount("u", "p", "1492", 1, "1000"), B::None},
        {"mtu 511 before all", CheckAccount("", "", "511", 1, "0"), B::Mtu},
        {"mtu 1493", CheckAccount("u", "p", "1493", 0, ""), B::Mtu},
        {"mtu letters", CheckAccount("u", "p", "abc", 0, ""), B::Mtu},
        {"idle 0 on demand", CheckAccount("", "p", "1392", 1, "0"), B::IdleTime},
        {"idle 1001", CheckAccount("u", "p", "1392", 1, "1001"), B::IdleTime},
        {"idle 1", CheckAccount("u", "p", "1392", 1, "1"), B::None},
        {"idle unchecked continuous", CheckAccount("u", "p", "1392", 0, "x"), B::None},
        {"idle unchecked manual", CheckAccount("u", "p", "1392", 2, "0"), B::None},
        {"user before password", CheckAccount("", "", "1392", 0, ""), B::User},
        {"password", CheckAccount("u", "", "1392", 0, ""), B::Password},
        {"fixed ok", CheckFixedIp("10.0.0.1", "255.255.255.0", "0.0.0.0", "0.0.0.0"), B::None},
        {"ip first", CheckFixedIp("10.0.0.0", "1.1.1.1", "0.0.0.0", "x"), B::Ip},
        {"mask", CheckFixedIp("10.0.0.1", "255.0.255.0", "0.0.0.0", "x"), B::Mask},
        {"gateway", CheckFixedIp("10.0.0.1", "255.255.255.252", "0.0.0.0", "10.0.0.0"), B::Gateway},
        {"dns", CheckFixedIp("10.0.0.1", "255.255.255.0", "", "10.0.0.2"), B::Dns},
        {"cable ok", CheckCableModem("host", mac), B::None},
        {"cable no mac", CheckCableModem("", ""), B::None},
        {"mac length before quote", CheckCableModem("o'neil", "00112"), B::MacLength},
        {"quote before digits", CheckCableModem("o'neil", "00112233445G"), B::HostNameQuote},
        {"mac digits", CheckCableModem("host", "00:11:22:33:"), B::MacDigits},
        {"tunnel none", CheckTunnelAddress(3, "", "", "", "", ""), B::AddressMode},
        {"tunnel dynamic skips addresses", CheckTunnelAddress(0, "h", mac, "", "", ""), B::None},
        {"tunnel mac length",
         CheckTunnelAddress(1, "h", "0011", "10.0.0.1", "255.0.0.0", "0.0.0.0"), B::MacLength},
        {"tunnel quote", CheckTunnelAddress(1, "\"", "", "bad", "", ""), B::HostNameQuote},
        {"tunnel fixed ip", CheckTunnelAddress(1, "", "", "224.0.0.1", "255.0.0.0", "0.0.0.0"),
         B::Ip},
        {"tunnel fixed mask", CheckTunnelAddress(1, "", "", "10.0.0.1", "0.0.0.0", "0.0.0.0"),
         B::Mask},
        {"tunnel addresses before digits",
         CheckTunnelAddress(1, "", "00112233445G", "10.0.0.1", "255.0.0.0", "10.0.0.255"),
         B::Gateway},
        {"tunnel digits", CheckTunnelAddress(0, "", "00112233445G", "", "", ""), B::MacDigits},
        {"bigpond", CheckTelstra("", "p"), B::User},
        {"bigpond password", CheckTelstra("u", ""), B::Password},
        {"ssid", CheckSsid(""), B::Ssid},
        {"ssid given", CheckSsid(" "), B::None},
        {"key 7", CheckWpaKey(std::string(7, 'k')), B::WpaKey},
        {"key 8", CheckWpaKey(std::string(8, 'k')), B::None},
        {"key 63", CheckWpaKey(std::string(63, 'k')), B::None},
        {"key 64", CheckWpaKey(std::string(64, 'k')), B::WpaKey},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(c.got), static_cast<int>(c.expected)) << c.what;
}

}  // namespace
}  // namespace zavro
