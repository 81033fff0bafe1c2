// A loopback port for "nothing answers here" cases.
#pragma once

#include <cstdint>

namespace zavro::test {

// A loopback port with nothing listening on it (bound, then released).
std::uint16_t UnusedLoopbackPort();

}  // namespace zavro::test
