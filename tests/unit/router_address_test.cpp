// ZAVRO_ROUTER parsing.
#include <gtest/gtest.h>

#include "router/RouterAddress.h"

namespace zavro::router {
namespace {

TEST(RouterAddressParse, GoodAndBadValues) {
    using R = RouterAddress;
    const struct {
        const char* text;
        std::optional<R> want;
    } cases[] = {
        {"127.0.0.1", R{"127.0.0.1", 80}},
        {"127.0.0.1:8080", R{"127.0.0.1", 8080}},
        {"localhost:1", R{"localhost", 1}},
        {"[::1]:65535", R{"::1", 65535}},
        {"[::1]", R{"::1", 80}},
        {"::1", R{"::1", 80}},
        {"", std::nullopt},
        {":80", std::nullopt},
        {"127.0.0.1:", std::nullopt},
        {"127.0.0.1:0", std::nullopt},
        {"127.0.0.1:65536", std::nullopt},
        {"127.0.0.1:80x", std::nullopt},
        {"127.0.0.1:-1", std::nullopt},
        {"[::1", std::nullopt},
        {"[]:80", std::nullopt},
        {"[::1]80", std::nullopt},
        {"host name", std::nullopt},
        {"http://127.0.0.1", std::nullopt},
        {"user@127.0.0.1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRouterAddress(c.text, 80), c.want) << c.text;
}

}  // namespace
}  // namespace zavro::router
