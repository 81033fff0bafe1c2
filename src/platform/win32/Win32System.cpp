#include "platform/win32/Win32System.h"

#include "platform/posix/RunLogs.h"

#include <windows.h>
#include <winsock2.h>
// after windows.h
#include <iphlpapi.h>

#include <cstdio>
#include <string>
#include <memory>
#include <vector>

namespace zavro::win32 {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// ---- system

std::string Win32System::ProgramPath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);  // truncated: the path is longer than MAX_PATH
    }
}

std::string Win32System::CommandLine() {
    const char* line = GetCommandLineA();
    return line ? line : "";
}

OsVersion Win32System::Version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return OsVersion{};
#pragma GCC diagnostic pop
    return OsVersion{static_cast<unsigned>(info.dwMajorVersion),
                     static_cast<unsigned>(info.dwMinorVersion),
                     static_cast<unsigned>(info.dwPlatformId), info.szCSDVersion};
}

void Win32System::ExitProcess(int code) {
    LogTiming("exit", std::to_string(code));
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(code));
}

// ---- registry

namespace {

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

Key OpenKey(const std::string& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return Key(key);
}

Key CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return Key(key);
}

// The raw bytes of a value of one of the given types.
std::optional<std::string> QueryRaw(const std::string& keyPath, const std::string& name,
                                    std::initializer_list<DWORD> types) {
    Key key = OpenKey(keyPath, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    bool wanted = false;
    for (DWORD t : types) wanted = wanted || t == type;
    if (!wanted) return std::nullopt;
    std::string data(size, '\0');
    if (size > 0 && RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

bool SetRaw(const std::string& keyPath, const std::string& name, DWORD type,
            const std::string& data) {
    Key key = CreateKey(keyPath);
    return key && RegSetValueExA(key.get(), name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

}  // namespace

bool Win32Registry::KeyExists(const std::string& key) {
    return OpenKey(key, KEY_READ) != nullptr;
}

std::vector<std::string> Win32Registry::SubKeys(const std::string& keyPath) {
    std::vector<std::string> names;
    Key key = OpenKey(keyPath, KEY_ENUMERATE_SUB_KEYS);
    if (!key) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        const LONG rc =
            RegEnumKeyExA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS ends the list
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<std::string> Win32Registry::GetString(const std::string& key,
                                                    const std::string& name) {
    auto data = QueryRaw(key, name, {REG_SZ, REG_EXPAND_SZ});
    if (!data) return std::nullopt;
    // The stored size may or may not count the terminator.
    const std::size_t end = data->find('\0');
    if (end != std::string::npos) data->resize(end);
    return data;
}

std::optional<std::vector<std::string>> Win32Registry::GetMultiString(const std::string& key,
                                                                      const std::string& name) {
    const auto data = QueryRaw(key, name, {REG_MULTI_SZ});
    if (!data) return std::nullopt;
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < data->size()) {
        std::size_t end = data->find('\0', start);
        if (end == std::string::npos) end = data->size();
        if (end == start) break;  // the empty string that ends the list
        items.push_back(data->substr(start, end - start));
        start = end + 1;
    }
    return items;
}

bool Win32Registry::SetString(const std::string& key, const std::string& name,
                              const std::string& value) {
    return SetRaw(key, name, REG_SZ, value + '\0');
}

bool Win32Registry::SetMultiString(const std::string& key, const std::string& name,
                                   const std::vector<std::string>& value) {
    std::string data;
    for (const std::string& item : value) {
        data += item;
        data += '\0';
    }
    data += '\0';
    return SetRaw(key, name, REG_MULTI_SZ, data);
}

// ---- profile strings

std::string Win32Profile::ReadA(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& def,
                                std::size_t maxBytes) {
    if (maxBytes == 0) return {};
    std::string buffer(maxBytes, '\0');
    const DWORD n =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                 static_cast<DWORD>(maxBytes), path.c_str());
    buffer.resize(n);
    return buffer;
}

std::u16string Win32Profile::ReadW(const std::u16string& path, const std::u16string& section,
                                   const std::u16string& key, const std::u16string& def,
                                   std::size_t maxChars) {
    if (maxChars == 0) return {};
    std::u16string buffer(maxChars, u'\0');
    auto w = [](const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); };
    const DWORD n = GetPrivateProfileStringW(w(section), w(key), w(def),
                                             reinterpret_cast<wchar_t*>(buffer.data()),
                                             static_cast<DWORD>(maxChars), w(path));
    buffer.resize(n);
    return buffer;
}

// ---- adapters

std::optional<std::vector<std::uint8_t>> Win32Adapters::FirstAdapterAddress() {
    ULONG size = kFirstBufferBytes;
    std::vector<std::uint8_t> buffer(size);
    DWORD rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (rc == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
        rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    for (const auto* a = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        if (a->Type == MIB_IF_TYPE_LOOPBACK || a->AddressLength == 0) continue;
        const std::size_t length = a->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH
                                       ? a->AddressLength
                                       : MAX_ADAPTER_ADDRESS_LENGTH;
        return std::vector<std::uint8_t>(a->Address, a->Address + length);
    }
    return std::nullopt;
}

}  // namespace zavro::win32
