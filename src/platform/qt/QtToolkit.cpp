#include "platform/qt/QtToolkit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/QtAutomation.h"
#include "platform/qt/QtSupport.h"
#include "platform/qt/QtWindow.h"
#include "ui/BlockingRun.h"

namespace zavro {

namespace {

constexpr int kWaitTickMs = 250;

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Runs f on the UI thread: at once when already there, else queued (or waited for).
template <class F>
void OnUi(F&& f, bool wait) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    if (OnUiThread()) {
        f();
    } else {
        QMetaObject::invokeMethod(app, std::forward<F>(f),
                                  wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
    }
}

// The page window an object belongs to: a page's native window (where Qt delivers the
// user's input first) or one of its widgets. Null for message boxes and file dialogs.
qtui::PageWidget* PageOf(QObject* object) {
    QWidget* widget = nullptr;
    if (object->isWidgetType()) {
        widget = static_cast<QWidget*>(object)->window();
    } else if (object->isWindowType()) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == object) widget = top;
    }
    return dynamic_cast<qtui::PageWidget*>(widget);
}

// During blocking work: drops the user's input to the pages, but for the hotspots that
// end the program. A real press reaches the page's native window before Qt picks the
// widget under it, so the gate picks that widget itself there: a press on Exit goes on,
// any other is dropped before Qt gives a focus or a grab to anything.
class InputGate final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
                return !PassMouse(watched, static_cast<QMouseEvent*>(event));
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
                // Enter or Space on a focused hotspot that ends the program still acts.
                if (qtui::PageWidget* page = PageOf(watched);
                    page != nullptr && qtui::IsHotspotKey(event) &&
                    qtui::IsProgramEndHotspot(page->focusWidget()))
                    return false;
                return PageOf(watched) != nullptr;
            case QEvent::Shortcut:
            case QEvent::InputMethod:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
                return PageOf(watched) != nullptr;
            default:
                return false;
        }
    }

private:
    bool PassMouse(QObject* watched, QMouseEvent* event) {
        qtui::PageWidget* page = PageOf(watched);
        if (page == nullptr) return true;  // a box shown meanwhile takes its clicks
        if (watched->isWidgetType()) return qtui::IsProgramEndHotspot(watched);
        const bool release = event->type() == QEvent::MouseButtonRelease;
        if (release) {
            // Only the release of a press that went on: it ends that click.
            const bool pass = m_pressed != nullptr;
            if (event->buttons() == Qt::NoButton) m_pressed = nullptr;
            return pass;
        }
        QWidget* target = page->childAt(event->position().toPoint());
        if (target == nullptr || !qtui::IsProgramEndHotspot(target)) return false;
        m_pressed = target;
        return true;
    }

    QPointer<QWidget> m_pressed;
};

}  // namespace

QtToolkit::QtToolkit() {
    QCoreApplication::setApplicationName(QStringLiteral("zavro"));
    // ZAVRO_HEARTBEAT_MS with ZAVRO_TIMING_LOG: a beat from the UI thread's event loop,
    // so a benchmark can see how long the loop ever stood still.
    const char* beat = std::getenv("ZAVRO_HEARTBEAT_MS");
    if (beat != nullptr && std::atoi(beat) > 0 && QCoreApplication::instance() != nullptr) {
        m_heartbeat = std::make_unique<QTimer>();
        m_heartbeat->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_heartbeat.get(), &QTimer::timeout,
                         [] { qtui::LogTiming("beat", QStringLiteral("-")); });
        m_heartbeat->start(std::atoi(beat));
    }
    const char* script = std::getenv("ZAVRO_AUTOMATION");
    if (script == nullptr || *script == '\0') return;
    QFile file(QString::fromLocal8Bit(script));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "automation: cannot read %s\n", script);
        std::fflush(stderr);
        std::_Exit(98);
    }
    RunScript(QString::fromUtf8(file.readAll()));
}

QtToolkit::~QtToolkit() {
    m_automation.reset();
    while (m_waitDepth > 0) EndWaitCursor();
}

std::unique_ptr<IWindow> QtToolkit::CreateWindow(IWindowEvents& events, const Rect& r,
                                                 const WindowStyle& style) {
    auto window = std::make_unique<qtui::QtWindow>(events, r, style);
    std::erase_if(m_windows, [](const QPointer<qtui::PageWidget>& w) { return w.isNull(); });
    m_windows.emplace_back(window->Widget());
    return window;
}

void QtToolkit::MessageBox(const std::string& utf8Text, const std::string& caption) {
    if (LogMessageBox(caption, utf8Text)) return;
    if (QCoreApplication::instance() == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), utf8Text.c_str());
        return;
    }
    OnUi(
        [text = QString::fromStdString(utf8Text), title = QString::fromStdString(caption)] {
            QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
            box.setTextFormat(Qt::PlainText);
            box.setWindowModality(Qt::ApplicationModal);
            // The box wants an answer, so it shows the arrow even during a busy action.
            const bool busy = QGuiApplication::overrideCursor() != nullptr;
            if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
            box.exec();
            if (busy) QGuiApplication::restoreOverrideCursor();
        },
        true);
}

void QtToolkit::BeginWaitCursor() {
    OnUi(
        [this] {
            if (++m_waitDepth == 1) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        },
        false);
}

void QtToolkit::EndWaitCursor() {
    OnUi(
        [this] {
            if (m_waitDepth == 0) return;  // unbalanced End: nothing to restore
            if (--m_waitDepth == 0) QGuiApplication::restoreOverrideCursor();
        },
        false);
}

std::optional<std::string> QtToolkit::OpenFileDialog(const std::string& filter) {
    if (!m_fileAnswers.empty()) {
        std::optional<std::string> answer = std::move(m_fileAnswers.front());
        m_fileAnswers.pop_front();
        return answer;
    }
    const QString path = QFileDialog::getOpenFileName(nullptr, QString(), QString(),
                                                      qtui::ConvertFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

void QtToolkit::RunBlocking(const std::function<void()>& work) {
    if (!OnUiThread()) {
        work();
        return;
    }
    CBlockingRun& run = qtui::BlockingRun();
    QCoreApplication* app = QCoreApplication::instance();
    // Undone however the work ends, a throw included: gate, cursor, then the held
    // deliveries, which go after the caller's event in their order.
    struct Scope {
        QtToolkit& ui;
        CBlockingRun& run;
        QCoreApplication* app;
        bool outermost;
        Scope(QtToolkit& t, CBlockingRun& r, QCoreApplication* a)
            : ui(t), run(r), app(a), outermost(!r.Busy()) {
            ui.BeginWaitCursor();
            if (!outermost) return;
            ui.m_inputGate = std::make_unique<InputGate>();
            app->installEventFilter(ui.m_inputGate.get());
        }
        ~Scope() {
            if (outermost) {
                app->removeEventFilter(ui.m_inputGate.get());
                ui.m_inputGate.reset();
            }
            ui.EndWaitCursor();
            for (auto& task : run.TakeHeld())
                QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    } scope(*this, run, app);
    if (scope.outermost) qtui::LogTiming("wait", QStringLiteral("begin"));
    // The pages' tick, so that a long wait can say so; it goes with the wait.
    QTimer tick;
    if (scope.outermost) {
        QObject::connect(&tick, &QTimer::timeout, [this] {
            for (const QPointer<qtui::PageWidget>& window : m_windows)
                if (window && window->Alive())
                    window->Call([](IWindowEvents& events) { events.OnWaitTick(); });
        });
        tick.start(kWaitTickMs);
    }
    run.Run(
        work, [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); },
        // An empty queued call wakes the loop from the helper thread.
        [app] {
            QMetaObject::invokeMethod(
                app, [] {}, Qt::QueuedConnection);
        });
    if (scope.outermost) qtui::LogTiming("wait", QStringLiteral("end"));
}

void QtToolkit::Defer(std::function<void()> task) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [task = std::move(task)]() mutable {
            if (!qtui::BlockingRun().Hold(task)) task();
        },
        Qt::QueuedConnection);
}

int QtToolkit::Run() {
    return QApplication::exec();
}

void QtToolkit::Quit(int code) {
    QCoreApplication::exit(code);
}

QImage QtToolkit::Grab(IWindow& window) {
    auto* qtWindow = dynamic_cast<qtui::QtWindow*>(&window);
    if (qtWindow == nullptr || qtWindow->Widget() == nullptr) return {};
    return qtWindow->Widget()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

void QtToolkit::RunScript(const QString& script, std::function<void(int)> fail) {
    if (!fail) {
        fail = [](int code) {
            std::fflush(nullptr);
            std::_Exit(code);
        };
    }
    const bool verbose = std::getenv("ZAVRO_AUTOMATION_VERBOSE") != nullptr;
    m_automation = std::make_unique<qtui::Automation>(*this, script, std::move(fail), verbose);
    m_automation->Start();
}

bool QtToolkit::ScriptFinished() const {
    return !m_automation || m_automation->Finished();
}

qtui::PageWidget* QtToolkit::NewestVisibleWindow() const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) {
        if (*it && (*it)->Alive() && (*it)->isVisible()) return it->data();
    }
    return nullptr;
}

qtui::PageWidget* QtToolkit::FindVisibleWindow(const std::string& title) const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it) {
        if (*it && (*it)->Alive() && (*it)->isVisible() && (*it)->Title() == title) {
            return it->data();
        }
    }
    return nullptr;
}

void QtToolkit::QueueFileAnswer(std::optional<std::string> path) {
    m_fileAnswers.push_back(std::move(path));
}

}  // namespace zavro
