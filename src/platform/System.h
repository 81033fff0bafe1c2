// System port: program path, command line, Windows version record, time and process end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace zavro {

// The version record the version class is computed from.
struct OsVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned platformId = 2;  // 1: 9x platform, 2: NT platform
    std::string csdVersion;   // service-pack text
};

// Manual-reset event whose timed waits go through the clock, so tests drive them.
class ManualResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_cv.notify_all();
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }
    bool IsSet() const {
        std::lock_guard lock(m_mutex);
        return m_set;
    }
    // For clock implementations.
    std::mutex& Mutex() const { return m_mutex; }
    std::condition_variable& Cv() const { return m_cv; }
    bool SetLocked() const { return m_set; }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    bool m_set = false;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
    // Waits until the event is set or ms have passed; true when the event was set.
    virtual bool Wait(ManualResetEvent& event, std::uint32_t ms) = 0;
};

class ISystem {
public:
    virtual ~ISystem() = default;
    virtual std::string ProgramPath() = 0;  // full path of the running program
    virtual std::string CommandLine() = 0;  // the whole command line, program path first
    virtual OsVersion Version() = 0;
    virtual char PathSeparator() = 0;       // '\\' on Windows, '/' elsewhere
    virtual std::string ExecutableSuffix() = 0;  // ".exe" on Windows, "" elsewhere
    // Ends the process. The real adapter does not return; a test double records the code
    // and returns, so callers return straight after calling it.
    virtual void ExitProcess(int code) = 0;
};

}  // namespace zavro
