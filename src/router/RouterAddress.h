// Router address override ("host", "host:port", "[v6]:port").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zavro::router {

struct RouterAddress {
    std::string host;  // IPv6 literals without brackets
    std::uint16_t port = 80;
    bool operator==(const RouterAddress&) const = default;
};

// nullopt for an empty host, an unclosed bracket, a port that is not 1..65535 in decimal,
// or text with spaces or control bytes.
std::optional<RouterAddress> ParseRouterAddress(std::string_view text, std::uint16_t defaultPort);

}  // namespace zavro::router
