#include <windows.h>
// after windows.h
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Net.h"

namespace zavro::win32 {

namespace {

int ShowCommand(ShowMode mode) {
    switch (mode) {
        case ShowMode::Show:
            return SW_SHOW;
        case ShowMode::Hidden:
            return SW_HIDE;
        case ShowMode::Normal:
            break;
    }
    return SW_SHOWNORMAL;
}

const char* OrNull(const std::string& s) {
    return s.empty() ? nullptr : s.c_str();
}

// ShellExecute wants COM on its thread; the pages call it from helper threads too (the
// PC reset's scripts run in a blocking wait). Balanced per call; a thread already in
// another apartment keeps it.
class ComForShell {
public:
    ComForShell()
        : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComForShell() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    ComForShell(const ComForShell&) = delete;
    ComForShell& operator=(const ComForShell&) = delete;

private:
    HRESULT m_hr;
};

}  // namespace

Win32Shell::~Win32Shell() {
    for (auto& [id, process] : m_processes) CloseHandle(process);
}

long Win32Shell::Execute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& folder, ShowMode mode) {
    const ComForShell com;
    // The result is an instance-handle value that only carries a number (> 32: success).
    const HINSTANCE result = ShellExecuteA(nullptr, OrNull(verb), file.c_str(), OrNull(parameters),
                                           OrNull(folder), ShowCommand(mode));
    return static_cast<long>(reinterpret_cast<INT_PTR>(result));
}

long Win32Shell::StartHidden(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    // CreateProcessA may write into the command line buffer.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    std::lock_guard lock(m_mutex);
    const long id = m_next++;
    m_processes[id] = info.hProcess;
    return id;
}

bool Win32Shell::WaitProcess(long handle, unsigned ms) {
    HANDLE process = nullptr;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_processes.find(handle);
        if (it == m_processes.end()) return true;
        process = it->second;
    }
    return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
}

void Win32Shell::CloseProcess(long handle) {
    std::lock_guard lock(m_mutex);
    const auto it = m_processes.find(handle);
    if (it == m_processes.end()) return;
    CloseHandle(it->second);
    m_processes.erase(it);
}

bool Win32Shell::EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok =
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

void Win32Shell::RestartSystem() {
    EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace zavro::win32
