#include "hostnet/HostTcpIp.h"

#include <string>
#include <vector>

#include "hostnet/VersionClass.h"
#include "platform/Platform.h"

namespace zavro {
namespace {

// The 98/Me code enumerates subkey names into a 64-character buffer: a longer name does
// not come out of the enumeration, so that binding is left alone.
constexpr std::size_t kNetTransNameMax = 63;

std::vector<std::string> NetTransBindings(IRegistry& reg) {
    std::vector<std::string> names;
    for (std::string& name : reg.SubKeys(kNetTransKey)) {
        if (name.size() <= kNetTransNameMax) names.push_back(std::move(name));
    }
    return names;
}

void StartScripts(IShell& shell) {
    shell.Execute("open", kDhcpScript, "", "", ShowMode::Normal);
    shell.Execute("open", kDnsScript, "", "", ShowMode::Normal);
}

}  // namespace

bool IsHost9xOnDhcp() {
    IRegistry& reg = *Ports().registry;
    bool flag = true;
    for (const std::string& name : NetTransBindings(reg)) {
        const std::optional<std::string> address =
            reg.GetString(std::string(kNetTransKey) + name, "IPAddress");
        if (!address || *address != "0.0.0.0") flag = false;
    }
    const std::optional<std::string> dns = reg.GetString(kMstcpKey, "EnableDNS");
    return flag && dns && *dns == "0";
}

void SetHost9xToDhcp() {
    IRegistry& reg = *Ports().registry;
    for (const std::string& name : NetTransBindings(reg)) {
        const std::string key = std::string(kNetTransKey) + name;
        if (!reg.KeyExists(key)) continue;  // opened for writing, never created
        reg.SetString(key, "IPAddress", "0.0.0.0");
        reg.SetString(key, "IPMask", "0.0.0.0");
        reg.SetString(key, "DefaultGateway", "");
    }
    if (reg.KeyExists(kMstcpKey)) reg.SetString(kMstcpKey, "EnableDNS", "0");
}

void ClearNtDefaultGateways() {
    IRegistry& reg = *Ports().registry;
    const std::string base = kTcpipInterfacesKey;
    for (const std::string& name : reg.SubKeys(base)) {
        const std::string key = base + "\\" + name;
        if (!reg.KeyExists(key)) continue;
        // An empty multi-string: nothing but the terminating zero.
        reg.SetMultiString(key, "DefaultGateway", {});
    }
}

bool RunHidden(const std::string& commandLine) {
    IShell& shell = *Ports().shell;
    const long handle = shell.StartHidden(commandLine);
    if (handle <= 0) return false;  // nothing to wait for
    bool ended = false;
    for (unsigned slice = 0; slice < kRunHiddenMaxSlices && !ended; ++slice) {
        ended = shell.WaitProcess(handle, kRunHiddenSliceMs);
    }
    shell.CloseProcess(handle);
    return ended;
}

int ResetHostTcpIp() {
    const int versionClass = VersionClassOf(Ports().system->Version());
    switch (versionClass) {
        case 5:
        case 6:
        case 9:
            return kHostResetUnsupported;
        case 7:
        case 8:
        case 10:
            if (IsHost9xOnDhcp()) return kHostResetDone;
            SetHost9xToDhcp();
            return kHostResetNeedsRestart;
        case 11:
            ClearNtDefaultGateways();
            StartScripts(*Ports().shell);
            RunHidden("ipconfig /renew");
            return kHostResetDone;
        default:
            StartScripts(*Ports().shell);
            return kHostResetDone;
    }
}

}  // namespace zavro
