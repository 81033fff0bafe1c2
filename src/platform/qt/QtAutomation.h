// Automation hook for end-to-end tests and demos.
//
// ZAVRO_AUTOMATION=<file> names a script of one command a line; blank lines and lines
// starting with '#' are skipped. Commands run in order on the UI thread from a zero-time
// timer, so the event loop (and any modal run) keeps going while a script waits:
//
//   await-window <title> [timeoutMs]  wait for a visible window with that title
//                                     (default 10000 ms; on time-out: exit code 97)
//   await-control <id> [timeoutMs]    wait until control <id> of the newest visible window
//                                     is shown and enabled (time-out as await-window)
//   click <id>                        click control <id> of the newest visible window the
//                                     way the mouse does (enter, move, press, release);
//                                     an edit field just takes the focus
//   type <id> <text...>               replace the text of an edit or IP address field by
//                                     key presses, as the user would ("type <id>" clears)
//   select <id> <index>               choose item <index> of a drop-down list as the user
//   check-text <id> <text...>         compare the control's text (mismatch: exit code 98)
//   answer-file [path]                the next file-open dialog returns path (none: cancel)
//   sleep <ms>                        wait that many real milliseconds, without blocking
//   screenshot <path>                 save the newest visible window as PNG
//   screenshot-box <path>             save the open modal box (a message box) as PNG
//   key enter|escape                  press the key in the active modal box or the newest
//                                     visible window
//   quit <code>                       leave the program's event loop with <code>
//   await-busy [timeoutMs]            wait until the program runs blocking work; the
//                                     steps after it run during that wait (by default a
//                                     script, like a patient user, waits for it to end)
//   await-idle [timeoutMs]            wait until the blocking work has ended
//
// A malformed or failing step logs to stderr and ends the program with code 98. With
// ZAVRO_AUTOMATION_VERBOSE set every command is logged to stderr before it runs.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zavro {
class QtToolkit;
}

namespace zavro::qtui {

class PageWidget;

class Automation {
public:
    Automation(QtToolkit& ui, const QString& script, std::function<void(int)> fail, bool verbose);
    void Start();
    bool Finished() const { return m_finished; }

    static constexpr int kTimeoutExit = 97;
    static constexpr int kFailExit = 98;

private:
    struct Line {
        int number = 0;
        QString text;
    };

    void Step();
    void Next(int delayMs);
    bool Fail(int code, const QString& why);  // always false
    void Log(const QString& what) const;
    // Each returns false after Fail.
    bool Click(const QString& args);
    bool Type(const QString& args);
    bool Select(const QString& args);
    bool CheckText(const QString& args);
    bool Screenshot(const QString& args);
    bool ScreenshotBox(const QString& args);
    bool PressKey(const QString& args);
    void AwaitWindow(const QString& args);
    void AwaitControl(const QString& args);
    // Polls the current await line until met or its time is up.
    void Await(bool met, int timeoutMs, const QString& what);
    PageWidget* Window();
    void SendClick(QWidget* target);
    static void SendChar(QWidget* target, QChar c);

    QtToolkit& m_ui;
    std::function<void(int)> m_fail;
    bool m_verbose;
    QList<Line> m_lines;
    qsizetype m_index = 0;
    bool m_finished = false;
    bool m_awaiting = false;
    bool m_duringWait = false;  // after await-busy: steps run during the wait
    QElapsedTimer m_awaitClock;
    QTimer m_timer;
    QPointer<QWidget> m_hovered;
};

}  // namespace zavro::qtui
