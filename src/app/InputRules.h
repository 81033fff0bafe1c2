// Input rules of the router settings, shared by every front end: the pages check typed
// text with them and the command line checks its options with the same functions, so a
// value one front end refuses the other refuses too.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zavro {

// atoi: optional blanks and sign, then leading digits; no digits gives 0. Values beyond
// the int range stop at its ends instead of overflowing.
int AtoiLike(const std::string& text);

using Octets = std::array<int, 4>;
// "a.b.c.d" with four decimal fields of 0..255; nullopt for anything else.
std::optional<Octets> ParseDotted(const std::string& text);
// First octet 1..223, last 1..254 (a host address, not a network or broadcast one).
bool IsHostAddress(const Octets& o);
// Every octet a mask octet, and 1 to 31 contiguous leading ones.
bool IsSubnetMask(const Octets& o);
bool IsMaskOctet(int octet);
// "0.0.0.0" (no gateway) or a host address.
bool IsGatewayAddress(const std::string& text);
bool IsHexDigits(const std::string& text);
// The MAC to clone: empty (no cloning) or exactly 12 characters.
bool IsCloneMacLength(std::string_view text);
// A double-quote character or an apostrophe, which the router's pages cannot carry.
bool HasQuoteCharacter(std::string_view text);

// Bounds of the numbers and texts the pages take (the texts' limits are their fields').
inline constexpr int kMtuMin = 512, kMtuMax = 1492;
inline constexpr int kIdleMin = 1, kIdleMax = 1000;
inline constexpr std::size_t kWpaKeyMin = 8, kWpaKeyMax = 63;
inline constexpr std::size_t kAccountLimit = 64;       // WAN user name and password
inline constexpr std::size_t kServiceLimit = 30;       // PPPoE service name
inline constexpr std::size_t kHostNameLimit = 30;      // WAN host name
inline constexpr std::size_t kConnectionIdLimit = 30;  // tunnel connection ID
inline constexpr std::size_t kSsidLimit = 32;
inline constexpr std::size_t kNewPasswordLimit = 30;  // new admin password
inline constexpr int kLanguageMin = 1, kLanguageMax = 16;

// The first input a rule refuses. Every one but HostNameQuote shows "Input_The_Info" on
// the pages; HostNameQuote has the "Error" box of its own.
enum class BadInput {
    None,
    AddressMode,  // tunnel: neither dynamic nor fixed address chosen
    MacLength,
    HostNameQuote,
    Ip,
    Mask,
    Gateway,
    Dns,
    MacDigits,
    Mtu,
    IdleTime,
    User,
    Password,
    Ssid,
    WpaKey,
    // A typed text with a character that Windows-1252 cannot carry: the router gets its
    // ANSI bytes, never a '?' in its place.
    UserNotAnsi,
    PasswordNotAnsi,
    HostNameNotAnsi,
    ServiceNotAnsi,
    ConnectionIdNotAnsi,
};

// kind when text (UTF-8, as typed) has a character outside Windows-1252, else None. The
// rules below apply it to the texts they get; the PPPoE service name and the tunnels'
// connection ID are checked with it by their callers.
BadInput CheckAnsiText(const std::string& text, BadInput kind);

// Connection modes (the pages' drop-down index; 2 is the requests' manual mode).
inline constexpr int kConnectContinuous = 0, kConnectOnDemand = 1, kConnectManual = 2;

// PPPoE page and the tunnels' account page: MTU, idle time (on demand only), user, password
// (given, then ANSI).
BadInput CheckAccount(const std::string& user, const std::string& password, const std::string& mtu,
                      int connectMode, const std::string& idleTime);
// Fixed-IP page: IP, mask, gateway, then no empty field.
BadInput CheckFixedIp(const std::string& ip, const std::string& mask, const std::string& dns,
                      const std::string& gateway);
// Cable-modem page: MAC length, quotes in the host name, an ANSI host name, MAC digits.
BadInput CheckCableModem(const std::string& hostName, const std::string& mac);
// Tunnels' address page; the mode is 0 dynamic, 1 fixed, anything else none. The address,
// mask and gateway count only in fixed mode.
BadInput CheckTunnelAddress(int addrMode, const std::string& hostName, const std::string& mac,
                            const std::string& ip, const std::string& mask,
                            const std::string& gateway);
// BigPond page: user and password given, then ANSI.
BadInput CheckTelstra(const std::string& user, const std::string& password);
// Wireless name page: a name given.
BadInput CheckSsid(const std::string& ssid);
// Wireless security page with a key: 8 to 63 characters.
BadInput CheckWpaKey(const std::string& key);

}  // namespace zavro
