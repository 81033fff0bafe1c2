// Headless UI toolkit for page tests: windows keep their controls as plain state, and the
// test clicks, types and reads them. Timers run on the test clock.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Ui.h"
#include "support/TestClock.h"

namespace zavro::test {

class FakeToolkit;

struct FakeControl {
    ControlKind kind = ControlKind::Hotspot;
    Rect rect;
    bool visible = true;
    bool enabled = true;
    std::string text;
    int limit = 0;  // 0: none
    Image face;
    std::vector<std::string> items;
    int selection = -1;
    int progress = 0;
    std::optional<TextStyle> style;
    std::string accessName;  // what a screen reader reads
    int accessCheck = -1;    // a toggling hotspot's state as a screen reader reads it
};

class FakeWindow final : public IWindow {
public:
    FakeWindow(FakeToolkit& toolkit, IWindowEvents& events, const Rect& r, WindowStyle style);
    ~FakeWindow() override;

    void SetBackground(const Image& picture) override { m_background = picture; }
    Rect Geometry() const override { return m_geometry; }
    void SetGeometry(const Rect& r) override { m_geometry = r; }
    Rect WorkArea() const override;
    void Show(bool visible) override;
    bool IsVisible() const override { return m_visible && !m_destroyed; }
    void Invalidate() override;
    void Destroy() override;

    void CreateControl(int id, ControlKind kind, const Rect& r) override;
    void MoveControl(int id, const Rect& r) override;
    Rect ControlRect(int id) const override;
    void ShowControl(int id, bool visible) override;
    bool IsControlVisible(int id) const override;
    void EnableControl(int id, bool enabled) override;
    bool IsControlEnabled(int id) const override;
    void SetText(int id, const std::string& utf8) override;
    std::string GetText(int id) const override;
    void SetLimit(int id, int maxChars) override;
    void SetFocus(int id) override;
    void SetFace(int id, const Image& face) override;
    void SetItems(int id, const std::vector<std::string>& items) override;
    void SetSelection(int id, int index) override;
    int GetSelection(int id) const override;
    void SetProgress(int id, int percent) override;
    void SetTextStyle(int id, const TextStyle& style) override;
    void SetTimer(int timerId, unsigned milliseconds) override;
    void KillTimer(int timerId) override;
    std::shared_ptr<IPoster> Poster() override;
    int RunModal() override;
    void EndModal(int code) override;
    void SetIcon(const Image& icon) override { m_icon = icon; }
    void SetTabOrder(const std::vector<int>& ids) override { m_tabOrder = ids; }
    int FocusedControl() const override { return m_focus; }
    void SetAccessibleText(int id, const std::string& name,
                           const std::string& description) override;
    void SetAccessibleCheck(int id, int checked) override {
        if (auto it = m_controls.find(id); it != m_controls.end()) it->second.accessCheck = checked;
    }

    // Test side.
    // The page's class name (what tests find windows by); Caption() is what the user sees.
    const std::string& Title() const { return m_style.name; }
    const std::string& Caption() const { return m_style.title; }
    IWindowEvents* Events() const { return m_events; }
    const WindowStyle& Style() const { return m_style; }
    bool Destroyed() const { return m_destroyed; }
    const Image& Background() const { return m_background; }
    const Image& Icon() const { return m_icon; }
    const FakeControl* Control(int id) const;
    bool HasControl(int id) const { return Control(id) != nullptr; }
    int Focus() const { return m_focus; }
    std::size_t ControlCount() const { return m_controls.size(); }
    // A user's click: hover, press, release over the control. Ignored (false) when the
    // control is hidden, disabled or missing, and during blocking work unless the
    // control ends the program. Typing, selecting, focusing and keys are dropped then too.
    bool Click(int id);
    // A user's typing: replaces the text (cut to the limit) and reports the change.
    bool Type(int id, const std::string& text);
    bool Select(int id, int index);
    void Focus(int id);
    bool PressKey(Key key);  // true when the page swallowed it
    const std::vector<int>& TabOrder() const { return m_tabOrder; }
    const std::string& AccessName() const { return m_accessName; }
    const std::string& AccessDescription() const { return m_accessDescription; }
    CursorShape CursorOver(int id);
    void Paint();
    std::map<int, unsigned> Timers() const;  // id -> interval of running timers
    // Fires timers whose time has come (the toolkit does it on every clock advance).
    void FireDueTimers(std::uint64_t now);
    void DeliverPosted();

private:
    friend class FakeToolkit;
    FakeToolkit& m_toolkit;
    IWindowEvents* m_events;
    Rect m_geometry;
    WindowStyle m_style;
    Image m_background;
    Image m_icon;
    bool m_visible = false;
    bool m_destroyed = false;
    std::map<int, FakeControl> m_controls;
    int m_focus = 0;
    std::vector<int> m_tabOrder;
    std::string m_accessName;
    std::string m_accessDescription;
    struct Timer {
        unsigned interval;
        std::uint64_t due;
    };
    std::map<int, Timer> m_timers;
    std::optional<int> m_modalResult;
    struct PostBox;
    std::shared_ptr<PostBox> m_postBox;
};

class FakeToolkit final : public IUiToolkit {
public:
    explicit FakeToolkit(TestClock* clock = nullptr);
    ~FakeToolkit() override;

    std::unique_ptr<IWindow> CreateWindow(IWindowEvents& events, const Rect& r,
                                          const WindowStyle& style) override;
    void MessageBox(const std::string& utf8Text, const std::string& caption) override;
    // Runs work inline so that tests stay deterministic; duringWait (if set) runs first,
    // inside the wait, where a test can click. Timers, posts and deferred tasks that come
    // due meanwhile are held until the work has ended.
    void RunBlocking(const std::function<void()>& work) override;
    std::optional<std::string> OpenFileDialog(const std::string& filter) override;
    void Defer(std::function<void()> task) override;
    int Run() override;
    void Quit(int code) override { m_quitCode = code; }

    // Test side.
    struct Message {
        std::string text, caption;
    };
    std::vector<Message> Messages();
    void ClearMessages();
    // Texts of the boxes shown so far.
    std::vector<std::string> MessageTexts();
    // Windows made so far that are still alive, oldest first.
    std::vector<FakeWindow*> Windows() const;
    // The newest visible window, or null.
    FakeWindow* Top() const;
    // Titles of every window ever made, in order.
    const std::vector<std::string>& History() const { return m_history; }
    // Runs deferred tasks and posted messages until none are left.
    void RunPending();
    int WaitCursorDepth() const { return m_waitDepth; }
    bool Waiting() const { return m_waitDepth > 0; }
    // The toolkit's tick during a wait: every window hears OnWaitTick (call it from
    // duringWait, after moving the test clock).
    void TickWait();
    // Called once, inside the next blocking wait, then cleared.
    std::function<void()> duringWait;
    int blockingRuns = 0;
    // Answers of the next file dialogs (nullopt: cancelled).
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<std::string> fileFilters;
    // Called while a modal window runs; it must end the run (EndModal) or the run ends
    // with 0. Default: ends it with 1.
    std::function<void(FakeWindow&)> onModal;
    // Called inside Run(); default returns at once.
    std::function<void()> onRun;
    // CreateWindow fails (returns null) while set.
    bool failCreate = false;
    int quitCode() const { return m_quitCode; }

private:
    friend class FakeWindow;
    void Forget(FakeWindow* w);
    TestClock* m_clock;
    std::vector<FakeWindow*> m_windows;
    std::vector<std::string> m_history;
    std::mutex m_mutex;  // messages may come from workers
    std::vector<Message> m_messages;
    std::deque<std::function<void()>> m_deferred;
    int m_waitDepth = 0;
    int m_quitCode = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace zavro::test
