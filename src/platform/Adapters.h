// Network adapter list port.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zavro {

class IAdapterList {
public:
    virtual ~IAdapterList() = default;
    // Hardware address bytes of the first non-loopback adapter; nullopt when none.
    virtual std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() = 0;
};

}  // namespace zavro
