// PC TCP/IP reset to automatic addressing, per Windows generation. Works through the
// registry, shell, system and clock ports; runs on the UI thread and blocks it.
#pragma once

#include <string>

namespace zavro {

// Results of ResetHostTcpIp.
enum : int {
    kHostResetDone = 0,          // no restart needed
    kHostResetNeedsRestart = 1,  // the 98/Me registry was changed
    kHostResetUnsupported = 2,   // 95 and NT 4.0
};

int ResetHostTcpIp();
bool IsHost9xOnDhcp();
void SetHost9xToDhcp();
void ClearNtDefaultGateways();
// Starts commandLine hidden and waits for it in 10 ms slices, at most 65535 of them.
// Returns the last wait result (true: the process has ended); false when it did not start.
bool RunHidden(const std::string& commandLine);

// Registry keys and scripts, shared with the tests.
inline constexpr const char* kNetTransKey =
    "SYSTEM\\CurrentControlSet\\Services\\Class\\NetTrans\\";
inline constexpr const char* kMstcpKey = "SYSTEM\\CurrentControlSet\\Services\\VxD\\MSTCP\\";
inline constexpr const char* kTcpipInterfacesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
inline constexpr const char* kDhcpScript = "dhcpsetting.vbs";
inline constexpr const char* kDnsScript = "dns-replaceserverlist.vbs";
inline constexpr unsigned kRunHiddenSliceMs = 10;
inline constexpr unsigned kRunHiddenMaxSlices = 65535;

}  // namespace zavro
