// Network ports on Windows: HTTP on WinINet, TCP on Winsock, the shell on ShellExecuteA /
// CreateProcessA / ExitWindowsEx.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Http.h"
#include "platform/Shell.h"
#include "platform/Tcp.h"

namespace zavro::win32 {

// InternetOpenA with the preconfigured proxy and the connect time-out; connections by
// InternetConnectA with the account (WinINet answers the Basic challenge itself);
// requests with INTERNET_FLAG_EXISTING_CONNECT. Failures come back as HttpResult{ok=false}.
class WinInetClient final : public IHttpClient {
public:
    std::unique_ptr<IHttpSession> Open(const std::string& userAgent,
                                       std::uint32_t connectTimeoutMs) override;
};

// WSAStartup for the lifetime of the factory; blocking sockets, cancelled by closing them.
class WinsockFactory final : public ITcpFactory {
public:
    WinsockFactory();
    ~WinsockFactory() override;
    WinsockFactory(const WinsockFactory&) = delete;
    WinsockFactory& operator=(const WinsockFactory&) = delete;
    std::unique_ptr<ITcpSocket> Create() override;
    bool Startup() override { return m_started; }

private:
    bool m_started = false;
};

class Win32Shell final : public IShell {
public:
    ~Win32Shell() override;
    long Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& folder, ShowMode mode) override;
    long StartHidden(const std::string& commandLine) override;
    bool WaitProcess(long handle, unsigned ms) override;
    void CloseProcess(long handle) override;
    void RestartSystem() override;

    // Enables "SeShutdownPrivilege" on the own process token; true when it is enabled.
    static bool EnableShutdownPrivilege();

private:
    std::mutex m_mutex;
    std::map<long, void*> m_processes;  // our handle -> process HANDLE
    long m_next = 1;
};

// The object name as WinINet gets it: a leading "/" added where missing; blanks, control
// bytes, DEL and bytes >= 0x80 percent-encoded, as the Linux adapter does.
std::string RequestObject(const std::string& object);

}  // namespace zavro::win32
