#include "app/InputRules.h"

#include <climits>
#include <cstdint>

#include "app/Texts.h"

namespace zavro {

int AtoiLike(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

std::optional<Octets> ParseDotted(const std::string& text) {
    Octets out{};
    std::size_t field = 0, digits = 0;
    int value = 0;
    for (char ch : text) {
        if (ch == '.') {
            if (digits == 0 || field == 3) return std::nullopt;
            out[field++] = value;
            value = 0;
            digits = 0;
        } else if (ch >= '0' && ch <= '9') {
            if (++digits > 3) return std::nullopt;
            value = value * 10 + (ch - '0');
            if (value > 255) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (field != 3 || digits == 0) return std::nullopt;
    out[3] = value;
    return out;
}

bool IsHostAddress(const Octets& o) {
    return o[0] >= 1 && o[0] <= 223 && o[3] >= 1 && o[3] <= 254;
}

bool IsMaskOctet(int octet) {
    switch (octet) {
        case 0:
        case 128:
        case 192:
        case 224:
        case 240:
        case 248:
        case 252:
        case 254:
        case 255:
            return true;
        default:
            return false;
    }
}

bool IsSubnetMask(const Octets& o) {
    for (int octet : o)
        if (!IsMaskOctet(octet)) return false;
    const std::uint32_t mask =
        static_cast<std::uint32_t>(o[0]) << 24 | static_cast<std::uint32_t>(o[1]) << 16 |
        static_cast<std::uint32_t>(o[2]) << 8 | static_cast<std::uint32_t>(o[3]);
    if (mask == 0 || (mask & 1u) != 0) return false;
    // From the lowest set bit upward every bit must be set: ~mask + 1 is then that bit.
    const std::uint32_t inverted = ~mask;
    return (inverted & (inverted + 1)) == 0;
}

bool IsGatewayAddress(const std::string& text) {
    const auto o = ParseDotted(text);
    if (!o) return false;
    if (*o == Octets{0, 0, 0, 0}) return true;
    return IsHostAddress(*o);
}

bool IsHexDigits(const std::string& text) {
    for (char ch : text) {
        const bool hex =
            (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (!hex) return false;
    }
    return true;
}

bool IsCloneMacLength(std::string_view text) {
    return text.empty() || text.size() == 12;
}

bool HasQuoteCharacter(std::string_view text) {
    return text.find_first_of("\"'") != std::string_view::npos;
}

namespace {
bool InRange(const std::string& text, int low, int high) {
    const int value = AtoiLike(text);
    return value >= low && value <= high;
}

// A fixed WAN address: host address, mask, gateway (none or a host address).
BadInput CheckAddressGroup(const std::string& ip, const std::string& mask,
                           const std::string& gateway) {
    const auto ipOctets = ParseDotted(ip);
    if (!ipOctets || !IsHostAddress(*ipOctets)) return BadInput::Ip;
    const auto maskOctets = ParseDotted(mask);
    if (!maskOctets || !IsSubnetMask(*maskOctets)) return BadInput::Mask;
    if (!IsGatewayAddress(gateway)) return BadInput::Gateway;
    return BadInput::None;
}

BadInput CheckUserPassword(const std::string& user, const std::string& password) {
    if (user.empty()) return BadInput::User;
    if (password.empty()) return BadInput::Password;
    if (const BadInput bad = CheckAnsiText(user, BadInput::UserNotAnsi); bad != BadInput::None)
        return bad;
    return CheckAnsiText(password, BadInput::PasswordNotAnsi);
}
}  // namespace

BadInput CheckAnsiText(const std::string& text, BadInput kind) {
    return Utf8ToAnsiExact(text) ? BadInput::None : kind;
}

BadInput CheckAccount(const std::string& user, const std::string& password, const std::string& mtu,
                      int connectMode, const std::string& idleTime) {
    if (!InRange(mtu, kMtuMin, kMtuMax)) return BadInput::Mtu;
    // The idle time counts only on demand; otherwise its text goes out unchecked.
    if (connectMode == kConnectOnDemand && !InRange(idleTime, kIdleMin, kIdleMax))
        return BadInput::IdleTime;
    return CheckUserPassword(user, password);
}

BadInput CheckFixedIp(const std::string& ip, const std::string& mask, const std::string& dns,
                      const std::string& gateway) {
    if (const BadInput bad = CheckAddressGroup(ip, mask, gateway); bad != BadInput::None)
        return bad;
    if (dns.empty()) return BadInput::Dns;
    return BadInput::None;
}

BadInput CheckCableModem(const std::string& hostName, const std::string& mac) {
    // Length first, then the host name, then the digits: the page's order of messages.
    if (!IsCloneMacLength(mac)) return BadInput::MacLength;
    if (HasQuoteCharacter(hostName)) return BadInput::HostNameQuote;
    if (!Utf8ToAnsiExact(hostName)) return BadInput::HostNameNotAnsi;
    if (!IsHexDigits(mac)) return BadInput::MacDigits;
    return BadInput::None;
}

BadInput CheckTunnelAddress(int addrMode, const std::string& hostName, const std::string& mac,
                            const std::string& ip, const std::string& mask,
                            const std::string& gateway) {
    if (addrMode != 0 && addrMode != 1) return BadInput::AddressMode;
    // The MAC to clone is empty or whole in both modes.
    if (!IsCloneMacLength(mac)) return BadInput::MacLength;
    if (HasQuoteCharacter(hostName)) return BadInput::HostNameQuote;
    if (!Utf8ToAnsiExact(hostName)) return BadInput::HostNameNotAnsi;
    if (addrMode == 1)
        if (const BadInput bad = CheckAddressGroup(ip, mask, gateway); bad != BadInput::None)
            return bad;
    if (!IsHexDigits(mac)) return BadInput::MacDigits;
    return BadInput::None;
}

BadInput CheckTelstra(const std::string& user, const std::string& password) {
    return CheckUserPassword(user, password);
}

BadInput CheckSsid(const std::string& ssid) {
    return ssid.empty() ? BadInput::Ssid : BadInput::None;
}

BadInput CheckWpaKey(const std::string& key) {
    return key.size() < kWpaKeyMin || key.size() > kWpaKeyMax ? BadInput::WpaKey : BadInput::None;
}

}  // namespace zavro
