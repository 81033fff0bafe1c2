// UI toolkit port on plain Win32: borderless popup page windows painted from the picture,
// owner-drawn hotspot buttons, EDIT, SysIPAddress32, COMBOBOX, static text, timers, posted
// messages from worker threads and the modal wait dialog. Construct it once, on the thread
// that runs the message loop.
//
// This header includes no Windows header, so it can sit beside the core's: windows.h
// turns CreateWindow and MessageBox into macros.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Ui.h"
#include "ui/BlockingRun.h"

namespace zavro::win32 {

class Win32Automation;
struct WindowState;

class Win32Toolkit final : public IUiToolkit {
public:
    // Starts the script named by ZAVRO_AUTOMATION, if that is set (the script language of
    // the Qt adapter: await-window, await-control, await-busy, await-idle, click, type,
    // select, check-text, answer-file, sleep, screenshot, key, quit). With
    // ZAVRO_HEARTBEAT_MS and ZAVRO_TIMING_LOG the message loop logs a beat every so often.
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::unique_ptr<IWindow> CreateWindow(IWindowEvents& events, const Rect& r,
                                          const WindowStyle& style) override;
    // With ZAVRO_MESSAGE_LOG set the box is not shown: one line goes to that file instead.
    void MessageBox(const std::string& utf8Text, const std::string& caption) override;
    // The work runs on a helper thread while this thread keeps dispatching: windows paint,
    // input reaches only the hotspots that end the program, and timers, posted messages
    // and deferred tasks of the pages wait until the work is done.
    void RunBlocking(const std::function<void()>& work) override;
    std::optional<std::string> OpenFileDialog(const std::string& filter) override;
    void Defer(std::function<void()> task) override;
    int Run() override;
    void Quit(int code) override;

    // Handles every message that is waiting, without blocking (tests).
    void Pump();
    // Pumps until done() or the real time is up; true when done() became true (tests).
    bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

    // For the automation and the tests: live page windows, newest last.
    std::vector<std::shared_ptr<WindowState>> LiveWindows() const;
    std::shared_ptr<WindowState> NewestVisibleWindow() const;
    std::shared_ptr<WindowState> FindVisibleWindow(const std::string& name) const;
    // The next OpenFileDialog returns this instead of asking (nullopt: as if cancelled).
    void QueueFileAnswer(std::optional<std::string> path);
    int WaitCursorDepth() const { return m_waitDepth; }
    // Wait cursor over everything (nested calls count).
    void BeginWaitCursor();
    void EndWaitCursor();
    // True while RunBlocking's work runs; the pages' deliveries are held meanwhile.
    bool Busy() const { return m_run.Busy(); }
    CBlockingRun& Blocking() { return m_run; }
    // "Name(*.ext)|*.ext|All files(*.*)|*.*||" with every '|' made a NUL, as the
    // file-open dialog takes it.
    static std::string DialogFilter(const std::string& filter);

    // Message-loop step shared by Run, the modal loop and Pump.
    void Dispatch(void* msg);
    void* MessageWindow() const { return m_messageWindow; }
    void RunDeferred();

private:
    // One turn of the loop during blocking work: waits for a message, then dispatches
    // what is there but the user's input.
    void PumpWhileBusy();

    void* m_messageWindow = nullptr;  // HWND of the message-only window for Defer
    unsigned long m_uiThread = 0;
    std::optional<int> m_quitCode;  // a quit that Pump took off the queue
    std::vector<std::weak_ptr<WindowState>> m_windows;
    std::deque<std::function<void()>> m_deferred;
    std::deque<std::optional<std::string>> m_fileAnswers;
    int m_waitDepth = 0;
    CBlockingRun m_run;
    std::optional<int> m_quitWhileBusy;  // a quit that came during blocking work
    std::unique_ptr<Win32Automation> m_automation;
};

// What the automation and the tests can see of a page window.
void* HwndOf(const WindowState& window);
// The page's class name (WindowStyle::name), not the title the frame shows.
std::string NameOf(const WindowState& window);
bool IsAlive(const WindowState& window);
// Native control window of a control id, or nullptr.
void* ControlHandle(const WindowState& window, int id);
std::optional<ControlKind> KindOf(const WindowState& window, int id);
bool IsControlShown(const WindowState& window, int id);  // visible and enabled
// The control's text as the core reads it ("a.b.c.d" for an IP address control).
std::string ControlText(const WindowState& window, int id);
bool InModal(const WindowState& window);

}  // namespace zavro::win32
