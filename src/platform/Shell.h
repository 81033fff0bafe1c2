// Shell port: open documents and programs, run hidden processes, restart the PC.
#pragma once

#include <string>

namespace zavro {

enum class ShowMode { Normal, Show, Hidden };

class IShell {
public:
    virtual ~IShell() = default;
    // Opens file (a document, a program or a web address) with verb "open". Returns the
    // numeric result of the platform: above 32 success; 0 out of memory, 2 file not
    // found, 3 path not found, 31 no program for the file type.
    virtual long Execute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& folder,
                         ShowMode mode) = 0;
    // Starts a command line hidden. Returns a handle > 0, or 0 when it did not start.
    virtual long StartHidden(const std::string& commandLine) = 0;
    // Waits up to ms for the process; true when it has ended. Releases nothing.
    virtual bool WaitProcess(long handle, unsigned ms) = 0;
    virtual void CloseProcess(long handle) = 0;
    // Asks the system to restart the PC (shutdown privilege enabled first where needed).
    virtual void RestartSystem() = 0;
};

}  // namespace zavro
