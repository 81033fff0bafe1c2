#include "platform/posix/PosixAdapters.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace zavro {
namespace {

struct Candidate {
    long index = 0;
    std::string name;
    std::vector<std::uint8_t> address;
};

std::optional<std::string> ReadLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

std::optional<long> ReadNumber(const std::filesystem::path& file) {
    const auto line = ReadLine(file);
    if (!line || line->empty()) return std::nullopt;
    try {
        std::size_t used = 0;
        const long value = std::stol(*line, &used, 0);  // flags are written in hex
        if (used != line->size()) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool Usable(const std::vector<std::uint8_t>& address) {
    return std::any_of(address.begin(), address.end(), [](std::uint8_t b) { return b != 0; });
}

std::optional<std::vector<Candidate>> FromSysfs(const std::string& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(root, ec);
    if (ec) return std::nullopt;
    std::vector<Candidate> found;
    for (const fs::directory_entry& entry : it) {
        const fs::path dir = entry.path();
        const auto type = ReadNumber(dir / "type");
        const auto flags = ReadNumber(dir / "flags");
        if ((type && *type == ARPHRD_LOOPBACK) || (flags && (*flags & IFF_LOOPBACK))) continue;
        const auto text = ReadLine(dir / "address");
        if (!text) continue;
        auto address = ParseHardwareAddress(*text);
        if (!address || !Usable(*address)) continue;
        const auto index = ReadNumber(dir / "ifindex");
        found.push_back({index.value_or(0x7fffffff), dir.filename().string(), std::move(*address)});
    }
    return found;
}

std::optional<std::vector<Candidate>> FromGetifaddrs() {
    std::vector<Candidate> found;
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0) return std::nullopt;
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(raw, &::freeifaddrs);
    for (const ifaddrs* a = list.get(); a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET) continue;
        if (a->ifa_flags & IFF_LOOPBACK) continue;
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
        const std::size_t len = std::min<std::size_t>(ll->sll_halen, sizeof ll->sll_addr);
        std::vector<std::uint8_t> address(ll->sll_addr, ll->sll_addr + len);
        if (!Usable(address)) continue;
        found.push_back({ll->sll_ifindex, a->ifa_name ? a->ifa_name : "", std::move(address)});
    }
    return found;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseHardwareAddress(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    while (i < text.size()) {
        if (i + 1 >= text.size()) return std::nullopt;
        const int hi = hex(text[i]);
        const int lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        i += 2;
        if (i < text.size()) {
            if (text[i] != ':' || i + 1 == text.size()) return std::nullopt;
            ++i;
        }
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

PosixAdapters::PosixAdapters(std::string sysClassNet) : m_root(std::move(sysClassNet)) {}

std::optional<std::vector<std::uint8_t>> PosixAdapters::FirstAdapterAddress() {
    std::optional<std::vector<Candidate>> listed;
    if (m_root.empty()) {
        listed = FromGetifaddrs();
        if (!listed) listed = FromSysfs("/sys/class/net");
    } else {
        listed = FromSysfs(m_root);
    }
    if (!listed || listed->empty()) return std::nullopt;
    std::vector<Candidate>& found = *listed;
    const auto first =
        std::min_element(found.begin(), found.end(), [](const auto& a, const auto& b) {
            return a.index != b.index ? a.index < b.index : a.name < b.name;
        });
    return first->address;
}

}  // namespace zavro
