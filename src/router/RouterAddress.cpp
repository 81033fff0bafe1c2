#include "router/RouterAddress.h"

#include <algorithm>

namespace zavro::router {

namespace {
std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}
}  // namespace

std::optional<RouterAddress> ParseRouterAddress(std::string_view text, std::uint16_t defaultPort) {
    if (text.empty()) return std::nullopt;
    const bool clean = std::all_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b > 0x20 && b < 0x7F && c != '/' && c != '@';
    });
    if (!clean) return std::nullopt;

    RouterAddress out;
    out.port = defaultPort;
    std::string_view rest;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        out.host = std::string(text.substr(1, close - 1));
        rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return std::nullopt;
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        // A bare IPv6 literal has no port.
        out.host = std::string(text);
    } else {
        const std::size_t colon = text.find(':');
        out.host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) rest = text.substr(colon);
    }
    if (out.host.empty() || out.host.find_first_of("[]") != std::string::npos) return std::nullopt;
    if (!rest.empty()) {
        const auto port = ParsePort(rest.substr(1));
        if (!port) return std::nullopt;
        out.port = *port;
    }
    return out;
}

}  // namespace zavro::router
