// Qt 6 Widgets adapter of the UI toolkit port. Construct it once a QApplication exists:
//   QApplication app(argc, argv); zavro::QtToolkit ui; Ports().ui = &ui;
#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Ui.h"

namespace zavro {

namespace qtui {
class Automation;
class PageWidget;
}  // namespace qtui

class QtToolkit final : public IUiToolkit {
public:
    // Starts the script named by ZAVRO_AUTOMATION, if that is set (see QtAutomation.h).
    QtToolkit();
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    std::unique_ptr<IWindow> CreateWindow(IWindowEvents& events, const Rect& r,
                                          const WindowStyle& style) override;
    // With ZAVRO_MESSAGE_LOG set the box is not shown: one line goes to that file instead.
    void MessageBox(const std::string& utf8Text, const std::string& caption) override;
    // The work runs on a helper thread while a nested event loop keeps the windows
    // painting; input goes only to the hotspots that end the program.
    void RunBlocking(const std::function<void()>& work) override;
    std::optional<std::string> OpenFileDialog(const std::string& filter) override;
    void Defer(std::function<void()> task) override;
    int Run() override;
    void Quit(int code) override;

    // The window's face as it would be painted now (ARGB32); null for a destroyed window.
    static QImage Grab(IWindow& window);

    // Runs an automation script on the UI thread; `fail` gets the exit code of a failed
    // step (97 time-out, 98 mismatch or bad step). Without it the process ends with it.
    void RunScript(const QString& script, std::function<void(int)> fail = {});
    bool ScriptFinished() const;

    // For the automation hook: live windows, newest last.
    qtui::PageWidget* NewestVisibleWindow() const;
    qtui::PageWidget* FindVisibleWindow(const std::string& title) const;
    // The next OpenFileDialog returns this instead of asking (nullopt: as if cancelled).
    void QueueFileAnswer(std::optional<std::string> path);
    int WaitCursorDepth() const { return m_waitDepth; }
    // Wait cursor over everything (nested calls count); safe from any thread.
    void BeginWaitCursor();
    void EndWaitCursor();

private:
    std::vector<QPointer<qtui::PageWidget>> m_windows;
    std::deque<std::optional<std::string>> m_fileAnswers;
    int m_waitDepth = 0;
    std::unique_ptr<qtui::Automation> m_automation;
    std::unique_ptr<QObject> m_inputGate;
    std::unique_ptr<QTimer> m_heartbeat;
};

}  // namespace zavro
