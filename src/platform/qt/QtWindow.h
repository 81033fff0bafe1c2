// Qt Widgets page window: background picture, controls by id, timers, posted messages.
//
// The core decides what is shown; these classes only put it on the screen and report the
// user's input through IWindowEvents. Every call into the core goes through
// PageWidget::Call, which counts the calls in progress: a window destroyed from inside
// one (a click that closes its page) is deleted later, once the stack has unwound.
#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "platform/Ui.h"
#include "ui/BlockingRun.h"

class QEventLoop;
class QTimer;

namespace zavro::qtui {

// The toolkit's one blocking run: windows hold back their timers and posted messages,
// and report no input but the program-ending hotspots, while it is busy.
CBlockingRun& BlockingRun();
// True for the widget of a hotspot that ends the program (Exit, back to the menu).
bool IsProgramEndHotspot(const QObject* object);
// True for a key that clicks the focused hotspot (Enter, Space).
bool IsHotspotKey(const QEvent* event);

// What a window's widgets share with its owner; `alive` drops when the window is destroyed.
struct WindowLink {
    IWindowEvents* events = nullptr;
    bool alive = true;
};

class FaceWidget;

class PageWidget final : public QWidget {
public:
    PageWidget(std::shared_ptr<WindowLink> link, const Rect& r, const WindowStyle& style);
    ~PageWidget() override;

    bool IsModalFrame() const { return m_modalFrame; }
    bool Alive() const { return m_link->alive; }
    // The page's class name, which automation and tests look windows up by.
    std::string Title() const { return objectName().toStdString(); }

    void SetBackground(const Image& picture);
    void SetPageGeometry(const Rect& r);
    void Invalidate();

    void CreateControl(int id, ControlKind kind, const Rect& r);
    QWidget* ControlWidget(int id) const;
    std::optional<ControlKind> KindOf(int id) const;
    void MoveControl(int id, const Rect& r);
    Rect ControlRect(int id) const;
    void ShowControl(int id, bool visible);
    bool IsControlVisible(int id) const;
    void EnableControl(int id, bool enabled);
    bool IsControlEnabled(int id) const;
    void SetText(int id, const std::string& utf8);
    std::string GetText(int id) const;
    void SetLimit(int id, int maxChars);
    void FocusControl(int id);
    void SetFace(int id, const Image& face);
    void SetItems(int id, const std::vector<std::string>& items);
    void SetSelection(int id, int index);
    int GetSelection(int id) const;
    void SetProgress(int id, int percent);
    void SetTextStyle(int id, const TextStyle& style);
    void SetTabOrder(const std::vector<int>& ids);
    int FocusedControl() const;
    void SetAccessibleText(int id, const std::string& name, const std::string& description);
    void SetAccessibleCheck(int id, int checked);

    void SetTimer(int timerId, unsigned milliseconds);
    void KillTimer(int timerId);

    int RunModal();
    void EndModal(int code);
    bool InModal() const { return m_modalLoop != nullptr; }

    // Queued delivery of a posted message (UI thread); held back during blocking work.
    void DeliverPosted(unsigned message);
    void FireTimer(int timerId);
    // Stops timers and the modal run; the window takes no more input.
    void Shutdown();

    // Calls into the core while the window is alive; nested calls are counted.
    template <class F>
    void Call(F&& f) {
        if (!m_link->alive || m_link->events == nullptr) return;
        CallScope scope;
        f(*m_link->events);
    }
    void Report(int id, zavro::Notify code);
    // The page's answer: does a click on hotspot id end the program?
    bool EndsProgram(int id);
    // True while some call into the core is on the stack.
    static bool InCall();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    struct CallScope {
        CallScope();
        ~CallScope();
        CallScope(const CallScope&) = delete;
        CallScope& operator=(const CallScope&) = delete;
    };
    struct Control {
        ControlKind kind = ControlKind::StaticText;
        QPointer<QWidget> widget;
    };

    void Adopt(int id, ControlKind kind, QWidget* widget);
    int ControlIdOf(QObject* object) const;
    bool HandleKey(QObject* watched, QEvent* event);
    bool HandleFocus(QObject* watched, QEvent* event);
    void UpdateCursor(QWidget* widget);

    std::shared_ptr<WindowLink> m_link;
    bool m_modalFrame = false;
    QImage m_background;
    QHash<int, Control> m_controls;
    QHash<int, QTimer*> m_timers;  // children of this widget
    bool m_inPaint = false;
    bool m_paintLogged = false;
    bool m_forwardingFocus = false;
    bool m_forwardingKey = false;
    QEventLoop* m_modalLoop = nullptr;  // the running modal loop, on RunModal's stack
};

// The IWindow the core holds. After Destroy every call does nothing.
class QtWindow final : public IWindow {
public:
    QtWindow(IWindowEvents& events, const Rect& r, const WindowStyle& style);
    ~QtWindow() override;

    PageWidget* Widget() const { return m_page.data(); }
    QWidget* ControlWidget(int id) const;

    void SetBackground(const Image& picture) override;
    Rect Geometry() const override;
    void SetGeometry(const Rect& r) override;
    Rect WorkArea() const override;
    void Show(bool visible) override;
    bool IsVisible() const override;
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
    void SetTabOrder(const std::vector<int>& ids) override;
    int FocusedControl() const override;
    void SetAccessibleText(int id, const std::string& name, const std::string& description) override;
    void SetAccessibleCheck(int id, int checked) override;

    void SetTimer(int timerId, unsigned milliseconds) override;
    void KillTimer(int timerId) override;

    std::shared_ptr<IPoster> Poster() override;

    int RunModal() override;
    void EndModal(int code) override;

    void SetIcon(const Image& icon) override;

private:
    struct PostGate;
    class WindowPoster;

    std::shared_ptr<WindowLink> m_link;
    std::shared_ptr<PostGate> m_gate;
    std::shared_ptr<IPoster> m_poster;
    QPointer<PageWidget> m_page;
};

}  // namespace zavro::qtui
