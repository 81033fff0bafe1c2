#include "platform/posix/NetGuard.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <atomic>
#include <mutex>

namespace zavro::netguard {
namespace {
std::atomic<bool> g_on{false};
std::mutex g_mutex;
std::function<void(const std::string&)> g_handler;
}  // namespace

void SetLoopbackOnly(bool on, std::function<void(const std::string&)> onViolation) {
    std::lock_guard lock(g_mutex);
    g_on = on;
    g_handler = std::move(onViolation);
}

bool LoopbackOnly() { return g_on; }

bool IsLoopback(const std::string& host) {
    if (host == "localhost") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    std::string h = host;
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    in6_addr v6{};
    if (inet_pton(AF_INET6, h.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

bool Allow(const std::string& host) {
    if (!g_on || IsLoopback(host)) return true;
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_handler;
    }
    if (handler) handler(host);
    return false;
}

}  // namespace zavro::netguard
