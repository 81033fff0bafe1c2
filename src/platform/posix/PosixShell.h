// Shell port for Linux: documents and web addresses go to xdg-open, executables are
// spawned directly (never through a shell), hidden processes are spawned with their output
// dropped. Every child is reaped: a waited one by WaitProcess, any other by a reaper.
#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace zavro {

class PosixShell final : public IShell {
public:
    PosixShell() = default;
    ~PosixShell() override;
    PosixShell(const PosixShell&) = delete;
    PosixShell& operator=(const PosixShell&) = delete;

    long Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& folder, ShowMode mode) override;
    long StartHidden(const std::string& commandLine) override;
    bool WaitProcess(long handle, unsigned ms) override;
    void CloseProcess(long handle) override;
    void RestartSystem() override;

private:
    struct Child {
        pid_t pid = -1;
        bool ended = false;
    };
    std::mutex m_mutex;
    std::map<long, Child> m_children;
    long m_nextHandle = 1;
};

// Splits a command line the way Windows programs see their arguments: blanks separate,
// quotes group (a doubled quote inside quotes is one quote), backslashes escape a quote
// only. With firstIsProgram the first word follows the program-name rule: quoted up to
// the next quote, or up to the first blank, backslashes as they are.
std::vector<std::string> SplitWindowsCommandLine(const std::string& line, bool firstIsProgram);
// First executable regular file name found in the ':'-separated folder list.
std::optional<std::string> FindInPath(const std::string& name, const std::string& pathList);

}  // namespace zavro
