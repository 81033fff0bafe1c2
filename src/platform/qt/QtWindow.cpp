#include "platform/qt/QtWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <mutex>

#include "platform/qt/QtIpAddress.h"
#include "platform/qt/QtSupport.h"

namespace zavro::qtui {

namespace {

int g_callDepth = 0;  // calls into the core on the UI thread's stack
constexpr char kIdProperty[] = "zavroControlId";

Rect ToRect(const QRect& r) {
    return Rect{r.x(), r.y(), r.width(), r.height()};
}
QRect ToQRect(const Rect& r) {
    return QRect(r.x, r.y, r.w < 0 ? 0 : r.w, r.h < 0 ? 0 : r.h);
}

Qt::CursorShape ToQtCursor(CursorShape shape) {
    switch (shape) {
        case CursorShape::Hand:
            return Qt::PointingHandCursor;
        case CursorShape::Wait:
            return Qt::WaitCursor;
        case CursorShape::Arrow:
            break;
    }
    return Qt::ArrowCursor;
}

// Brings a shown window to the front (the offscreen platform has no stacking to change).
void BringToFront(QWidget* w) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
}

bool SameImage(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a == b;
}

}  // namespace

CBlockingRun& BlockingRun() {
    static CBlockingRun run;
    return run;
}

// Hotspot (reports hover, press and click) or animation canvas (paints only).
class FaceWidget final : public QWidget {
public:
    FaceWidget(PageWidget* page, int id, bool input)
        : QWidget(page), m_page(page), m_id(id), m_input(input) {
        setFocusPolicy(Qt::NoFocus);  // the page's tab order lets hotspots take the keyboard
    }

    bool TakesInput() const { return m_input; }
    // -1: no check; else what the box painted on the picture shows.
    int Check() const { return m_check; }
    void SetCheck(int checked) {
        if (checked == m_check) return;
        m_check = checked;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    // A screen reader's "press": a click, with the rules a mouse click follows.
    void Press() {
        if (m_input && m_page->Alive() && isVisible() && isEnabled())
            m_page->Report(m_id, Notify::Clicked);
    }

    void SetFace(QImage face) {
        if (SameImage(face, m_face)) return;  // a paint that re-sets the face must not loop
        m_face = std::move(face);
        update();
    }
    const QImage& Face() const { return m_face; }

    // The page moved under a still mouse (a page opens, then is placed): a hotspot the
    // mouse entered at the old place is no longer under it.
    void ForgetStaleHover() {
        if (!m_inside || m_pressed) return;
        if (rect().contains(mapFromGlobal(QCursor::pos()))) return;
        m_inside = false;
        Change(HotState::Normal);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_face.isNull()) return;
        QPainter painter(this);
        painter.drawImage(0, 0, m_face);
    }
    void enterEvent(QEnterEvent*) override {
        m_inside = true;
        Change(m_pressed ? HotState::Pressed : HotState::Hover);
    }
    void leaveEvent(QEvent*) override {
        m_inside = false;
        Change(HotState::Normal);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (!m_input || event->button() != Qt::LeftButton) return;
        m_pressed = true;
        m_inside = true;
        Change(HotState::Pressed);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!m_pressed) return;
        m_inside = rect().contains(event->position().toPoint());
        Change(m_inside ? HotState::Pressed : HotState::Normal);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!m_pressed || event->button() != Qt::LeftButton) return;
        m_pressed = false;
        m_inside = rect().contains(event->position().toPoint());
        Change(m_inside ? HotState::Hover : HotState::Normal);
        if (m_inside && m_page->Alive() && isVisible() && isEnabled()) {
            m_page->Report(m_id, Notify::Clicked);
        }
    }
    void focusInEvent(QFocusEvent*) override {
        if (m_input) m_page->Report(m_id, Notify::SetFocus);
    }
    void focusOutEvent(QFocusEvent*) override {
        if (m_input) m_page->Report(m_id, Notify::KillFocus);
    }
    void hideEvent(QHideEvent*) override {
        // Hidden by the core: forget the mouse without calling back into it.
        m_pressed = false;
        m_inside = false;
        m_state = HotState::Normal;
    }

private:
    void Change(HotState state) {
        if (!m_input || state == m_state) return;
        m_state = state;
        if (!isVisible()) return;
        // While the program waits only the hotspots that end it show their frame.
        if (BlockingRun().Busy() && !m_page->EndsProgram(m_id)) return;
        m_page->Call([&](IWindowEvents& e) { e.OnHotState(m_id, state); });
    }

    PageWidget* m_page;
    int m_id;
    bool m_input;
    QImage m_face;
    bool m_pressed = false;
    bool m_inside = false;
    HotState m_state = HotState::Normal;
    int m_check = -1;
};

// Static text over the picture. A text too long for the rectangle the core gave keeps its
// size and wraps onto more lines below it (at any character where a word is wider than
// the line, as a 64-digit key is), so that it is never cut off nor shrunk.
class TextLabel final : public QLabel {
public:
    explicit TextLabel(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);  // texts from string.ini are never markup
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    // The core's rectangle; the label grows downwards from it when its text needs it.
    void Place(const QRect& r) {
        m_base = r;
        Place();
    }
    void Place() {
        QRect r = m_base;
        const int need = QFontMetrics(font())
                             .boundingRect(QRect(0, 0, r.width(), 100000), Flags(), text())
                             .height();
        if (need > r.height()) r.setHeight(need);
        if (geometry() != r) setGeometry(r);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(rect(), Flags(), text());
    }

private:
    int Flags() const {
        const QFontMetrics metrics(font());
        int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        for (const QString& word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (metrics.horizontalAdvance(word) > m_base.width()) flags |= Qt::TextWrapAnywhere;
        return flags;
    }

    QRect m_base;
};

// Hotspots read as push buttons that can be pressed.
class HotspotAccessible final : public QAccessibleWidget {
public:
    explicit HotspotAccessible(FaceWidget* face) : QAccessibleWidget(face, QAccessible::Button) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const int check = static_cast<FaceWidget*>(widget())->Check();
        s.checkable = check >= 0;
        s.checked = check > 0;
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<FaceWidget*>(widget())->Press();
    }
};

QAccessibleInterface* HotspotAccessibleFactory(const QString&, QObject* object) {
    auto* face = dynamic_cast<FaceWidget*>(object);
    return face != nullptr && face->TakesInput() ? new HotspotAccessible(face) : nullptr;
}

bool IsHotspotKey(const QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

bool IsProgramEndHotspot(const QObject* object) {
    const auto* face = dynamic_cast<const FaceWidget*>(object);
    if (face == nullptr) return false;
    const QVariant id = object->property(kIdProperty);
    auto* page = dynamic_cast<PageWidget*>(face->parentWidget());
    return id.isValid() && page != nullptr && page->EndsProgram(id.toInt());
}

PageWidget::CallScope::CallScope() {
    ++g_callDepth;
}
PageWidget::CallScope::~CallScope() {
    --g_callDepth;
}
bool PageWidget::InCall() {
    return g_callDepth > 0;
}

PageWidget::PageWidget(std::shared_ptr<WindowLink> link, const Rect& r, const WindowStyle& style)
    : QWidget(nullptr), m_link(std::move(link)), m_modalFrame(style.modalFrame) {
    if (m_modalFrame) {
        // Fixed size: window managers offer neither maximise nor minimise.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    } else {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }
    static const bool factory = [] {
        QAccessible::installFactory(HotspotAccessibleFactory);
        return true;
    }();
    (void)factory;
    setObjectName(QString::fromStdString(style.name));
    setWindowTitle(QString::fromStdString(style.title));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    installEventFilter(this);
    SetPageGeometry(r);
}

PageWidget::~PageWidget() {
    m_link->alive = false;
    if (m_modalLoop != nullptr) m_modalLoop->exit(-1);
}

void PageWidget::SetBackground(const Image& picture) {
    QImage image = ToQImage(picture);
    if (SameImage(image, m_background)) return;
    m_background = std::move(image);
    if (!m_inPaint) update();  // a paint in progress draws it anyway
}

void PageWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    for (const Control& c : std::as_const(m_controls))
        if (auto* face = dynamic_cast<FaceWidget*>(c.widget.data())) face->ForgetStaleHover();
}

void PageWidget::SetPageGeometry(const Rect& r) {
    const QRect target = ToQRect(r);
    if (geometry() == target && minimumSize() == target.size() && maximumSize() == target.size()) {
        return;
    }
    setFixedSize(target.size());  // neither pages nor the wait dialog can be resized
    setGeometry(target);
}

void PageWidget::Invalidate() {
    if (m_inPaint) return;  // the core asked from its own paint handler
    update();
}

void PageWidget::paintEvent(QPaintEvent*) {
    if (!m_inPaint) {
        m_inPaint = true;
        Call([](IWindowEvents& e) { e.OnPaint(); });
        m_inPaint = false;
        if (!Alive()) return;
    }
    if (!m_background.isNull()) {
        QPainter painter(this);
        painter.drawImage(0, 0, m_background);
    }
    if (!m_paintLogged) {
        m_paintLogged = true;
        LogTiming("paint", objectName());
    }
}

void PageWidget::closeEvent(QCloseEvent* event) {
    // Pages close only through the core; closing the wait dialog's frame cancels it.
    event->ignore();
    if (m_modalFrame && m_modalLoop != nullptr) EndModal(2);
}

void PageWidget::Adopt(int id, ControlKind kind, QWidget* widget) {
    QList<QWidget*> parts = widget->findChildren<QWidget*>();
    parts.prepend(widget);
    for (QWidget* part : parts) {
        part->setProperty(kIdProperty, id);
        part->setMouseTracking(true);
        // The window decides the cursor over its children; their own events stay theirs.
        part->setAttribute(Qt::WA_NoMousePropagation);
        part->installEventFilter(this);
    }
    m_controls.insert(id, Control{kind, widget});
}

void PageWidget::CreateControl(int id, ControlKind kind, const Rect& r) {
    if (auto old = m_controls.take(id); old.widget) {
        old.widget->hide();
        old.widget->deleteLater();
    }
    QWidget* widget = nullptr;
    switch (kind) {
        case ControlKind::Hotspot:
            widget = new FaceWidget(this, id, true);
            break;
        case ControlKind::Animation:
            widget = new FaceWidget(this, id, false);
            break;
        case ControlKind::Edit:
        case ControlKind::PasswordEdit: {
            auto* edit = new QLineEdit(this);
            if (kind == ControlKind::PasswordEdit) edit->setEchoMode(QLineEdit::Password);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id] { Report(id, Notify::Changed); });
            widget = edit;
            break;
        }
        case ControlKind::IpAddress: {
            auto* ip = new IpAddressEdit(this);
            ip->onFieldChanged = [this, id](int) { Report(id, Notify::FieldChanged); };
            ip->onFocusIn = [this, id] { Report(id, Notify::SetFocus); };
            ip->onFocusOut = [this, id] { Report(id, Notify::KillFocus); };
            widget = ip;
            break;
        }
        case ControlKind::DropList: {
            auto* list = new QComboBox(this);
            list->setEditable(false);
            connect(list, &QComboBox::activated, this,
                    [this, id] { Report(id, Notify::SelChange); });
            widget = list;
            break;
        }
        case ControlKind::StaticText:
            widget = new TextLabel(this);
            break;
        case ControlKind::Progress: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            widget = bar;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { Report(id, Notify::Clicked); });
            widget = button;
            break;
        }
    }
    Adopt(id, kind, widget);
    widget->setGeometry(ToQRect(r));
    if (auto* label = dynamic_cast<TextLabel*>(widget)) label->Place(ToQRect(r));
    widget->show();
}

QWidget* PageWidget::ControlWidget(int id) const {
    auto it = m_controls.constFind(id);
    return it == m_controls.constEnd() ? nullptr : it->widget.data();
}

std::optional<ControlKind> PageWidget::KindOf(int id) const {
    auto it = m_controls.constFind(id);
    if (it == m_controls.constEnd() || !it->widget) return std::nullopt;
    return it->kind;
}

void PageWidget::MoveControl(int id, const Rect& r) {
    QWidget* w = ControlWidget(id);
    if (auto* label = dynamic_cast<TextLabel*>(w)) {
        label->Place(ToQRect(r));
    } else if (w != nullptr && w->geometry() != ToQRect(r)) {
        w->setGeometry(ToQRect(r));
    }
}

Rect PageWidget::ControlRect(int id) const {
    const QWidget* w = ControlWidget(id);
    return w == nullptr ? Rect{} : ToRect(w->geometry());
}

void PageWidget::ShowControl(int id, bool visible) {
    if (QWidget* w = ControlWidget(id)) w->setVisible(visible);
}

bool PageWidget::IsControlVisible(int id) const {
    const QWidget* w = ControlWidget(id);
    return w != nullptr && !w->isHidden();
}

void PageWidget::EnableControl(int id, bool enabled) {
    if (QWidget* w = ControlWidget(id)) w->setEnabled(enabled);
}

bool PageWidget::IsControlEnabled(int id) const {
    const QWidget* w = ControlWidget(id);
    return w != nullptr && w->isEnabledTo(this);
}

void PageWidget::SetText(int id, const std::string& utf8) {
    QWidget* w = ControlWidget(id);
    if (w == nullptr) return;
    const QString text = QString::fromStdString(utf8);
    switch (m_controls.value(id).kind) {
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
            static_cast<QLineEdit*>(w)->setText(text);
            break;
        case ControlKind::IpAddress:
            static_cast<IpAddressEdit*>(w)->SetText(text);
            break;
        case ControlKind::StaticText:
            static_cast<TextLabel*>(w)->setText(text);
            static_cast<TextLabel*>(w)->Place();
            break;
        case ControlKind::PushButton:
            static_cast<QPushButton*>(w)->setText(text);
            break;
        case ControlKind::Progress:
            break;  // a bar without text
        case ControlKind::DropList:
            break;  // a drop-down list without an edit part has no text of its own
        case ControlKind::Hotspot:
        case ControlKind::Animation:
            w->setAccessibleName(text);  // no caption is drawn; screen readers still get it
            break;
    }
}

std::string PageWidget::GetText(int id) const {
    const QWidget* w = ControlWidget(id);
    if (w == nullptr) return {};
    switch (m_controls.value(id).kind) {
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
            return static_cast<const QLineEdit*>(w)->text().toStdString();
        case ControlKind::IpAddress:
            return static_cast<const IpAddressEdit*>(w)->Text().toStdString();
        case ControlKind::StaticText:
            return static_cast<const QLabel*>(w)->text().toStdString();
        case ControlKind::PushButton:
            return static_cast<const QPushButton*>(w)->text().toStdString();
        case ControlKind::Progress:
            return std::to_string(static_cast<const QProgressBar*>(w)->value());
        case ControlKind::DropList:
            return static_cast<const QComboBox*>(w)->currentText().toStdString();
        case ControlKind::Hotspot:
        case ControlKind::Animation:
            return w->accessibleName().toStdString();
    }
    return {};
}

void PageWidget::SetLimit(int id, int maxChars) {
    const auto kind = KindOf(id);
    if (kind != ControlKind::Edit && kind != ControlKind::PasswordEdit) return;
    // A limit of 0 or less means "as long as the control allows".
    static_cast<QLineEdit*>(ControlWidget(id))->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

void PageWidget::FocusControl(int id) {
    QWidget* w = ControlWidget(id);
    if (w == nullptr) return;
    if (KindOf(id) == ControlKind::IpAddress) {
        static_cast<IpAddressEdit*>(w)->FocusField(0);
    } else {
        w->setFocus(Qt::OtherFocusReason);
    }
}

void PageWidget::SetFace(int id, const Image& face) {
    const auto kind = KindOf(id);
    if (kind != ControlKind::Hotspot && kind != ControlKind::Animation) return;
    static_cast<FaceWidget*>(ControlWidget(id))->SetFace(ToQImage(face));
}

void PageWidget::SetItems(int id, const std::vector<std::string>& items) {
    if (KindOf(id) != ControlKind::DropList) return;
    auto* list = static_cast<QComboBox*>(ControlWidget(id));
    list->clear();
    for (const std::string& item : items) list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(-1);  // a freshly filled list has no selection until one is set
}

void PageWidget::SetSelection(int id, int index) {
    if (KindOf(id) != ControlKind::DropList) return;
    auto* list = static_cast<QComboBox*>(ControlWidget(id));
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int PageWidget::GetSelection(int id) const {
    if (KindOf(id) != ControlKind::DropList) return -1;
    return static_cast<const QComboBox*>(ControlWidget(id))->currentIndex();
}

void PageWidget::SetProgress(int id, int percent) {
    if (KindOf(id) != ControlKind::Progress) return;
    static_cast<QProgressBar*>(ControlWidget(id))->setValue(std::clamp(percent, 0, 100));
}

void PageWidget::SetTextStyle(int id, const TextStyle& style) {
    if (KindOf(id) != ControlKind::StaticText) return;
    auto* label = static_cast<TextLabel*>(ControlWidget(id));
    QFont font(QString::fromStdString(style.family));
    if (style.family.empty()) font = label->font();
    if (style.pixelSize > 0) font.setPixelSize(style.pixelSize);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(static_cast<QRgb>(style.rgb)));
    label->setPalette(palette);
    label->Place();
}

void PageWidget::SetTabOrder(const std::vector<int>& ids) {
    QWidget* previous = nullptr;
    for (const int id : ids) {
        QWidget* w = ControlWidget(id);
        if (w == nullptr) continue;
        if (KindOf(id) == ControlKind::Hotspot) w->setFocusPolicy(Qt::TabFocus);
        if (previous != nullptr) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

int PageWidget::FocusedControl() const {
    // Also the control that gets the focus once a window not yet active is activated.
    QWidget* focused = focusWidget();
    return focused == nullptr ? 0 : ControlIdOf(focused);
}

void PageWidget::SetAccessibleText(int id, const std::string& name,
                                   const std::string& description) {
    QWidget* w = id == 0 ? this : ControlWidget(id);
    if (w == nullptr) return;
    w->setAccessibleName(QString::fromStdString(name));
    w->setAccessibleDescription(QString::fromStdString(description));
    // A drop-down list reads its choice as its name: a label names it, as in a dialog.
    if (KindOf(id) == ControlKind::DropList) {
        auto* label = w->property("zavroLabel").value<QLabel*>();
        if (label == nullptr) {
            label = new QLabel(this);  // hidden: the picture shows the label
            label->setBuddy(w);
            label->hide();
            w->setProperty("zavroLabel", QVariant::fromValue(label));
        }
        label->setText(QString::fromStdString(name));
    }
    // The four parts of an address field are each read with the field's name.
    if (KindOf(id) == ControlKind::IpAddress)
        for (QLineEdit* part : w->findChildren<QLineEdit*>())
            part->setAccessibleName(QString::fromStdString(name));
}

void PageWidget::SetAccessibleCheck(int id, int checked) {
    if (KindOf(id) == ControlKind::Hotspot)
        static_cast<FaceWidget*>(ControlWidget(id))->SetCheck(checked > 0 ? 1 : 0);
}

void PageWidget::SetTimer(int timerId, unsigned milliseconds) {
    QTimer* timer = m_timers.value(timerId, nullptr);
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] { FireTimer(timerId); });
        m_timers.insert(timerId, timer);
    }
    timer->start(ScaledInterval(milliseconds, TimeScaleFromEnvironment()));
}

void PageWidget::KillTimer(int timerId) {
    if (QTimer* timer = m_timers.value(timerId, nullptr)) timer->stop();
}

int PageWidget::RunModal() {
    if (m_modalLoop != nullptr || !Alive()) return -1;
    QPointer<PageWidget> self(this);
    if (isVisible()) hide();  // modality only takes effect when the window is shown
    setWindowModality(Qt::ApplicationModal);
    show();
    BringToFront(this);
    QEventLoop loop;
    m_modalLoop = &loop;
    const int code = loop.exec(QEventLoop::DialogExec);
    if (self) {
        self->m_modalLoop = nullptr;
        if (self->Alive()) {
            self->hide();
            self->setWindowModality(Qt::NonModal);
        }
    }
    return code;
}

void PageWidget::EndModal(int code) {
    if (m_modalLoop != nullptr) m_modalLoop->exit(code);
}

void PageWidget::DeliverPosted(unsigned message) {
    QPointer<PageWidget> self(this);
    if (!OnlyRepaints(message) && BlockingRun().Hold([self, message] {
            if (self) self->DeliverPosted(message);
        }))
        return;
    Call([message](IWindowEvents& e) { e.OnPosted(message); });
}

void PageWidget::FireTimer(int timerId) {
    QTimer* timer = m_timers.value(timerId, nullptr);
    if (timer == nullptr || !timer->isActive()) return;  // killed while held back
    QPointer<PageWidget> self(this);
    // One pending tick per timer, as a message queue keeps it.
    const auto key = reinterpret_cast<std::uintptr_t>(timer);
    if (BlockingRun().Hold(
            [self, timerId] {
                if (self) self->FireTimer(timerId);
            },
            key))
        return;
    Call([timerId](IWindowEvents& e) { e.OnTimer(timerId); });
}

void PageWidget::Shutdown() {
    for (QTimer* timer : std::as_const(m_timers)) timer->stop();
    if (m_modalLoop != nullptr) m_modalLoop->exit(-1);
}

void PageWidget::Report(int id, zavro::Notify code) {
    // Dropped while the program waits, but for the hotspots that end it.
    if (BlockingRun().Busy() && !(EndsProgram(id) && code == zavro::Notify::Clicked)) return;
    Call([id, code](IWindowEvents& e) { e.OnControl(id, code); });
}

bool PageWidget::EndsProgram(int id) {
    bool ends = false;
    Call([&](IWindowEvents& e) { ends = e.EndsProgram(id); });
    return ends;
}

int PageWidget::ControlIdOf(QObject* object) const {
    const QVariant id = object->property(kIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

void PageWidget::UpdateCursor(QWidget* widget) {
    int id = widget == this ? 0 : ControlIdOf(widget);
    // A hidden or disabled control is not under the mouse as far as the page is concerned.
    if (id != 0 && (!IsControlVisible(id) || !IsControlEnabled(id))) id = 0;
    CursorShape shape = CursorShape::Arrow;
    bool asked = false;
    Call([&](IWindowEvents& e) {
        shape = e.OnSetCursor(id);
        asked = true;
    });
    if (asked && Alive()) widget->setCursor(ToQtCursor(shape));
}

bool PageWidget::HandleKey(QObject* watched, QEvent* event) {
    if (m_forwardingKey) return false;  // already reported; let the widget have it
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    Key key = Key::Other;
    switch (keyEvent->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = Key::Enter;
            break;
        case Qt::Key_Escape:
            key = Key::Escape;
            break;
        case Qt::Key_Space:
            key = Key::Space;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            key = Key::Tab;
            break;
        default:
            break;
    }
    bool swallowed = false;
    Call([&](IWindowEvents& e) { swallowed = e.OnKeyDown(key); });
    // Accepted, so that Qt does not offer it to the parents as well.
    event->accept();
    if (swallowed || !Alive()) return true;
    if ((key == Key::Enter || key == Key::Escape) && m_modalLoop != nullptr) {
        EndModal(key == Key::Enter ? 1 : 2);
        return true;
    }
    // Deliver it once to the widget it was meant for; parents it propagates to must not
    // report the same key again.
    m_forwardingKey = true;
    QCoreApplication::sendEvent(watched, event);
    m_forwardingKey = false;
    event->accept();
    return true;
}

// A field hears of its focus before the page is told: what the page does then (a check that
// moves the focus back and shows a box) must come after the field has started its caret,
// or the field that lost the focus meanwhile would start it anyway and show a second one.
bool PageWidget::HandleFocus(QObject* watched, QEvent* event) {
    if (m_forwardingFocus) return false;
    const int id = ControlIdOf(watched);
    const auto kind = KindOf(id);
    const bool reports = kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
                         kind == ControlKind::DropList;
    if (id == 0 || !reports || ControlWidget(id) != watched) return false;
    QPointer<PageWidget> self(this);
    m_forwardingFocus = true;
    QCoreApplication::sendEvent(watched, event);
    if (!self) return true;
    m_forwardingFocus = false;
    Report(id, Notify::SetFocus);
    return true;
}

bool PageWidget::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::KeyPress:
            return HandleKey(watched, event);
        case QEvent::MouseMove:
        case QEvent::Enter:
            UpdateCursor(widget);
            break;
        case QEvent::FocusIn:
            return HandleFocus(watched, event);
        case QEvent::FocusOut: {
            const int id = ControlIdOf(watched);
            const auto kind = KindOf(id);
            const bool reports = kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
                                 kind == ControlKind::DropList;
            if (id != 0 && reports && ControlWidget(id) == widget) {
                Report(id, Notify::KillFocus);
            }
            break;
        }
        default:
            break;
    }
    return false;
}

// --- IWindow facade -----------------------------------------------------------------------

struct QtWindow::PostGate {
    std::mutex mutex;
    bool alive = true;
    PageWidget* target = nullptr;  // valid while alive; cleared under the mutex
};

class QtWindow::WindowPoster final : public IPoster {
public:
    explicit WindowPoster(std::shared_ptr<PostGate> gate) : m_gate(std::move(gate)) {}
    bool Post(unsigned message) override {
        std::lock_guard lock(m_gate->mutex);
        if (!m_gate->alive || m_gate->target == nullptr) return false;
        PageWidget* target = m_gate->target;
        // Queued on the window's own thread; dropped by Qt if the widget is deleted first.
        return QMetaObject::invokeMethod(
            target, [target, message] { target->DeliverPosted(message); }, Qt::QueuedConnection);
    }

private:
    std::shared_ptr<PostGate> m_gate;
};

QtWindow::QtWindow(IWindowEvents& events, const Rect& r, const WindowStyle& style)
    : m_link(std::make_shared<WindowLink>()), m_gate(std::make_shared<PostGate>()) {
    m_link->events = &events;
    m_page = new PageWidget(m_link, r, style);  // top-level; deleted by Destroy
    m_gate->target = m_page.data();
    m_poster = std::make_shared<WindowPoster>(m_gate);
}

QtWindow::~QtWindow() {
    Destroy();
}

QWidget* QtWindow::ControlWidget(int id) const {
    return m_page ? m_page->ControlWidget(id) : nullptr;
}

void QtWindow::SetBackground(const Image& picture) {
    if (m_page) m_page->SetBackground(picture);
}
Rect QtWindow::Geometry() const {
    return m_page ? ToRect(m_page->geometry()) : Rect{};
}
void QtWindow::SetGeometry(const Rect& r) {
    if (m_page) m_page->SetPageGeometry(r);
}
Rect QtWindow::WorkArea() const {
    QScreen* screen = m_page ? m_page->screen() : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen == nullptr ? Rect{0, 0, 800, 600} : ToRect(screen->availableGeometry());
}
void QtWindow::Show(bool visible) {
    if (!m_page) return;
    if (!visible) {
        m_page->hide();
        return;
    }
    m_page->show();
    BringToFront(m_page);
}
bool QtWindow::IsVisible() const {
    return m_page && m_page->isVisible();
}
void QtWindow::Invalidate() {
    if (m_page) m_page->Invalidate();
}

void QtWindow::Destroy() {
    {
        std::lock_guard lock(m_gate->mutex);
        m_gate->alive = false;
        m_gate->target = nullptr;
    }
    m_link->alive = false;
    m_link->events = nullptr;
    if (!m_page) return;
    PageWidget* page = m_page.data();
    m_page.clear();
    page->Shutdown();
    page->hide();
    // Inside a call from this window's own handlers the widget is still on the stack.
    if (PageWidget::InCall()) {
        page->deleteLater();
    } else {
        delete page;
    }
}

void QtWindow::CreateControl(int id, ControlKind kind, const Rect& r) {
    if (m_page) m_page->CreateControl(id, kind, r);
}
void QtWindow::MoveControl(int id, const Rect& r) {
    if (m_page) m_page->MoveControl(id, r);
}
Rect QtWindow::ControlRect(int id) const {
    return m_page ? m_page->ControlRect(id) : Rect{};
}
void QtWindow::ShowControl(int id, bool visible) {
    if (m_page) m_page->ShowControl(id, visible);
}
bool QtWindow::IsControlVisible(int id) const {
    return m_page && m_page->IsControlVisible(id);
}
void QtWindow::EnableControl(int id, bool enabled) {
    if (m_page) m_page->EnableControl(id, enabled);
}
bool QtWindow::IsControlEnabled(int id) const {
    return m_page && m_page->IsControlEnabled(id);
}
void QtWindow::SetText(int id, const std::string& utf8) {
    if (m_page) m_page->SetText(id, utf8);
}
std::string QtWindow::GetText(int id) const {
    return m_page ? m_page->GetText(id) : std::string();
}
void QtWindow::SetLimit(int id, int maxChars) {
    if (m_page) m_page->SetLimit(id, maxChars);
}
void QtWindow::SetFocus(int id) {
    if (m_page) m_page->FocusControl(id);
}
void QtWindow::SetFace(int id, const Image& face) {
    if (m_page) m_page->SetFace(id, face);
}
void QtWindow::SetItems(int id, const std::vector<std::string>& items) {
    if (m_page) m_page->SetItems(id, items);
}
void QtWindow::SetSelection(int id, int index) {
    if (m_page) m_page->SetSelection(id, index);
}
int QtWindow::GetSelection(int id) const {
    return m_page ? m_page->GetSelection(id) : -1;
}
void QtWindow::SetProgress(int id, int percent) {
    if (m_page) m_page->SetProgress(id, percent);
}
void QtWindow::SetTextStyle(int id, const TextStyle& style) {
    if (m_page) m_page->SetTextStyle(id, style);
}
void QtWindow::SetTabOrder(const std::vector<int>& ids) {
    if (m_page) m_page->SetTabOrder(ids);
}
int QtWindow::FocusedControl() const {
    return m_page ? m_page->FocusedControl() : 0;
}
void QtWindow::SetAccessibleText(int id, const std::string& name, const std::string& description) {
    if (m_page) m_page->SetAccessibleText(id, name, description);
}
void QtWindow::SetAccessibleCheck(int id, int checked) {
    if (m_page) m_page->SetAccessibleCheck(id, checked);
}
void QtWindow::SetTimer(int timerId, unsigned milliseconds) {
    if (m_page) m_page->SetTimer(timerId, milliseconds);
}
void QtWindow::KillTimer(int timerId) {
    if (m_page) m_page->KillTimer(timerId);
}
std::shared_ptr<IPoster> QtWindow::Poster() {
    return m_poster;
}
int QtWindow::RunModal() {
    return m_page ? m_page->RunModal() : -1;
}
void QtWindow::EndModal(int code) {
    if (m_page) m_page->EndModal(code);
}
void QtWindow::SetIcon(const Image& icon) {
    if (m_page) m_page->setWindowIcon(QIcon(QPixmap::fromImage(ToQImage(icon))));
}

}  // namespace zavro::qtui
