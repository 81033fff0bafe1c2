// System, registry, profile-string and adapter-list ports on the Win32 calls.
#pragma once

#include <string>

#include "platform/Adapters.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace zavro::win32 {

// GetModuleFileNameA, GetCommandLineA, GetVersionExA; '\\' paths, ".exe" programs.
class Win32System final : public ISystem {
public:
    std::string ProgramPath() override;
    std::string CommandLine() override;
    OsVersion Version() override;
    char PathSeparator() override { return '\\'; }
    std::string ExecutableSuffix() override { return ".exe"; }
    void ExitProcess(int code) override;
};

// HKEY_LOCAL_MACHINE through RegOpenKeyExA / RegEnumKeyExA / RegQueryValueExA /
// RegSetValueExA. Values are the ANSI bytes the calls carry.
class Win32Registry final : public IRegistry {
public:
    bool KeyExists(const std::string& key) override;
    std::vector<std::string> SubKeys(const std::string& key) override;
    std::optional<std::string> GetString(const std::string& key, const std::string& name) override;
    std::optional<std::vector<std::string>> GetMultiString(const std::string& key,
                                                           const std::string& name) override;
    bool SetString(const std::string& key, const std::string& name,
                   const std::string& value) override;
    bool SetMultiString(const std::string& key, const std::string& name,
                        const std::vector<std::string>& value) override;
};

// GetPrivateProfileStringA / GetPrivateProfileStringW.
class Win32Profile final : public IProfile {
public:
    std::string ReadA(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& def, std::size_t maxBytes) override;
    std::u16string ReadW(const std::u16string& path, const std::u16string& section,
                         const std::u16string& key, const std::u16string& def,
                         std::size_t maxChars) override;
};

// GetAdaptersInfo: the first adapter of the list that is not loopback.
class Win32Adapters final : public IAdapterList {
public:
    std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() override;
    // Size of the first call's buffer (one IP_ADAPTER_INFO record), as the wizard asks it.
    static constexpr unsigned long kFirstBufferBytes = 648;
};

// UTF-8 <-> UTF-16 for the wide calls.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace zavro::win32
