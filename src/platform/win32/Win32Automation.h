// Automation hook of the Win32 toolkit for end-to-end runs and demos: the script language
// of the Qt adapter (ZAVRO_AUTOMATION=<file>, one command a line; see QtAutomation.h),
// acted out with the window messages a user's mouse and keyboard produce. While the program
// runs blocking work the script waits, as a patient user would, unless it said await-busy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zavro::win32 {

class Win32Toolkit;

class Win32Automation {
public:
    static constexpr std::uintptr_t kTimerId = 0x5A56;  // on the toolkit's message window
    static constexpr int kTimeoutExit = 97;
    static constexpr int kFailExit = 98;

    // nullptr when the file cannot be read. A failing step ends the process with its code.
    static std::unique_ptr<Win32Automation> FromFile(Win32Toolkit& ui, const char* path);
    // `fail` gets the exit code of a failed step instead (tests).
    Win32Automation(Win32Toolkit& ui, const std::string& script, std::function<void(int)> fail,
                    bool verbose);
    ~Win32Automation();
    Win32Automation(const Win32Automation&) = delete;
    Win32Automation& operator=(const Win32Automation&) = delete;

    void Start();
    void Step();  // from the message window's timer
    bool Finished() const { return m_finished; }
    static Win32Automation* Current();

private:
    struct Line {
        int number = 0;
        std::string text;
    };

    void Next(unsigned delayMs);
    bool Fail(int code, const std::string& why);  // always false
    void Log(const std::string& what) const;
    void Await(bool met, int timeoutMs, const std::string& what);
    bool Click(const std::string& args);
    bool Type(const std::string& args);
    bool Select(const std::string& args);
    bool CheckText(const std::string& args);
    bool Screenshot(const std::string& args);
    bool PressKey(const std::string& args);

    Win32Toolkit& m_ui;
    std::function<void(int)> m_fail;
    bool m_verbose;
    std::vector<Line> m_lines;
    std::size_t m_index = 0;
    bool m_finished = false;
    bool m_awaiting = false;
    bool m_duringWait = false;  // after await-busy: steps run during the wait
    unsigned long long m_awaitStart = 0;
    void* m_hovered = nullptr;  // HWND the last click moved the mouse over
};

}  // namespace zavro::win32
