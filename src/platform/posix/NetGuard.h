// Loopback guard of the network adapters. The test main switches it on; then every
// connection to an address outside 127.0.0.0/8 and ::1 is refused before a packet is
// sent, and the violation is reported through the handler (the tests fail on it).
#pragma once

#include <functional>
#include <string>

namespace zavro::netguard {

void SetLoopbackOnly(bool on, std::function<void(const std::string&)> onViolation = {});
bool LoopbackOnly();
// Numeric address text (IPv4 dotted or IPv6) or "localhost".
bool IsLoopback(const std::string& host);
// True when a connection to host may go ahead; reports and refuses otherwise.
bool Allow(const std::string& host);

}  // namespace zavro::netguard
