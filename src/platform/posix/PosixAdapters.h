// Adapter list port: the hardware address of the first interface by index that is not
// loopback and has a real (not all-zero) address. Asks getifaddrs, which sees the
// process's own network namespace; sysfs (which shows the namespace it was mounted in)
// only when getifaddrs fails.
#pragma once

#include <string>

#include "platform/Adapters.h"

namespace zavro {

class PosixAdapters final : public IAdapterList {
public:
    PosixAdapters() = default;
    // Reads only this folder laid out as /sys/class/net (one subfolder per interface).
    explicit PosixAdapters(std::string sysClassNet);
    std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() override;

private:
    std::string m_root;  // empty: getifaddrs first
};

// "aa:bb:cc:dd:ee:ff" (any count of two-digit groups) to bytes; nullopt when malformed.
std::optional<std::vector<std::uint8_t>> ParseHardwareAddress(const std::string& text);

}  // namespace zavro
