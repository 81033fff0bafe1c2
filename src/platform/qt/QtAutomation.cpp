#include "platform/qt/QtAutomation.h"

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <cstdio>

#include "platform/qt/QtIpAddress.h"
#include "platform/qt/QtSupport.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"

namespace zavro::qtui {

namespace {

constexpr int kDefaultAwaitMs = 10000;
constexpr int kPollMs = 10;

// "word rest of the line": the rest keeps its inner spaces (texts may contain them).
std::pair<QString, QString> SplitFirst(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype space = trimmed.indexOf(QLatin1Char(' '));
    if (space < 0) return {trimmed, QString()};
    QString rest = trimmed.mid(space + 1);
    return {trimmed.left(space), rest};
}

int KeyCodeFor(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z') return Qt::Key_A + (u - 'a');
    if (u >= 0x20 && u < 0x7f) return u;  // Qt's codes for printable ASCII are the characters
    return Qt::Key_unknown;
}

}  // namespace

Automation::Automation(QtToolkit& ui, const QString& script, std::function<void(int)> fail,
                       bool verbose)
    : m_ui(ui), m_fail(std::move(fail)), m_verbose(verbose) {
    int number = 0;
    for (const QString& raw : script.split(QLatin1Char('\n'))) {
        ++number;
        QString text = raw;
        if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        // Leading blanks go; trailing ones stay, a typed text may end in a space.
        qsizetype start = 0;
        while (start < text.size() && text[start].isSpace()) ++start;
        m_lines.push_back(Line{number, text.mid(start)});
    }
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Step(); });
}

void Automation::Start() {
    Next(0);
}

void Automation::Next(int delayMs) {
    if (m_index >= m_lines.size()) {
        if (!m_finished && m_verbose) Log(QStringLiteral("end of script"));
        m_finished = true;
        return;
    }
    m_timer.start(delayMs);
}

void Automation::Log(const QString& what) const {
    std::fprintf(stderr, "automation: %s\n", what.toLocal8Bit().constData());
    std::fflush(stderr);
}

bool Automation::Fail(int code, const QString& why) {
    const int number = m_index > 0 && m_index <= m_lines.size() ? m_lines[m_index - 1].number : 0;
    Log(QStringLiteral("line %1: %2").arg(number).arg(why));
    m_index = m_lines.size();
    m_finished = true;
    m_timer.stop();
    if (m_fail) m_fail(code);
    return false;
}

void Automation::Step() {
    if (m_index >= m_lines.size()) return;
    const Line& line = m_lines[m_index];
    const auto [command, args] = SplitFirst(line.text);
    const bool busy = BlockingRun().Busy();
    // Like a patient user, the script does nothing while the program waits, unless it
    // awaited the wait itself to act during it.
    if (busy && !m_duringWait && command != QLatin1String("await-busy")) {
        m_timer.start(kPollMs);
        return;
    }
    if (m_verbose && !m_awaiting) Log(line.text);

    if (command == QLatin1String("await-busy") || command == QLatin1String("await-idle")) {
        const bool wantBusy = command == QLatin1String("await-busy");
        bool ok = true;
        const int timeoutMs = args.trimmed().isEmpty() ? kDefaultAwaitMs : args.toInt(&ok);
        if (!ok) {
            ++m_index;
            Fail(kFailExit, QStringLiteral("bad %1: %2").arg(command, args));
            return;
        }
        if (busy == wantBusy) m_duringWait = wantBusy;
        Await(busy == wantBusy, timeoutMs,
              wantBusy ? QStringLiteral("blocking wait") : QStringLiteral("end of the wait"));
        return;
    }
    if (command == QLatin1String("await-window")) {
        AwaitWindow(args);
        return;
    }
    if (command == QLatin1String("await-control")) {
        AwaitControl(args);
        return;
    }
    ++m_index;
    if (command == QLatin1String("sleep")) {
        bool ok = false;
        const int ms = args.trimmed().toInt(&ok);
        if (!ok || ms < 0) {
            Fail(kFailExit, QStringLiteral("bad sleep: ") + args);
            return;
        }
        Next(ms);
        return;
    }
    if (command == QLatin1String("quit")) {
        bool ok = false;
        const int code = args.trimmed().toInt(&ok);
        if (!ok) {
            Fail(kFailExit, QStringLiteral("bad quit code: ") + args);
            return;
        }
        m_index = m_lines.size();
        m_finished = true;
        m_ui.Quit(code);
        return;
    }
    // Schedule the next step first: an action may open a modal run, and the script must
    // go on inside it.
    Next(0);
    if (command == QLatin1String("click")) {
        Click(args);
    } else if (command == QLatin1String("type")) {
        Type(args);
    } else if (command == QLatin1String("select")) {
        Select(args);
    } else if (command == QLatin1String("check-text")) {
        CheckText(args);
    } else if (command == QLatin1String("answer-file")) {
        const QString path = args.trimmed();
        m_ui.QueueFileAnswer(path.isEmpty() ? std::nullopt
                                            : std::optional<std::string>(path.toStdString()));
    } else if (command == QLatin1String("screenshot-box")) {
        ScreenshotBox(args);
    } else if (command == QLatin1String("screenshot")) {
        Screenshot(args);
    } else if (command == QLatin1String("key")) {
        PressKey(args);
    } else {
        Fail(kFailExit, QStringLiteral("unknown command: ") + command);
    }
}

void Automation::AwaitWindow(const QString& args) {
    QStringList words = args.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int timeoutMs = kDefaultAwaitMs;
    if (words.size() >= 2) {
        bool ok = false;
        const int value = words.last().toInt(&ok);
        if (ok) {
            timeoutMs = value;
            words.removeLast();
        }
    }
    const QString title = words.join(QLatin1Char(' '));
    if (title.isEmpty()) {
        ++m_index;
        Fail(kFailExit, QStringLiteral("await-window without a title"));
        return;
    }
    Await(m_ui.FindVisibleWindow(title.toStdString()) != nullptr, timeoutMs,
          QStringLiteral("window \"%1\"").arg(title));
}

void Automation::AwaitControl(const QString& args) {
    const QStringList words = args.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool idOk = false;
    bool timeOk = true;
    const int id = words.value(0).toInt(&idOk);
    const int timeoutMs = words.size() >= 2 ? words[1].toInt(&timeOk) : kDefaultAwaitMs;
    if (words.isEmpty() || words.size() > 2 || !idOk || !timeOk) {
        ++m_index;
        Fail(kFailExit, QStringLiteral("bad await-control: ") + args);
        return;
    }
    // The page may still be on its way, so no window yet is no failure.
    PageWidget* window = m_ui.NewestVisibleWindow();
    const bool met = window != nullptr && window->ControlWidget(id) != nullptr &&
                     window->IsControlVisible(id) && window->IsControlEnabled(id);
    Await(met, timeoutMs, QStringLiteral("control %1 shown").arg(id));
}

void Automation::Await(bool met, int timeoutMs, const QString& what) {
    if (met) {
        m_awaiting = false;
        ++m_index;
        Next(0);
        return;
    }
    if (!m_awaiting) {
        m_awaiting = true;
        m_awaitClock.start();
    }
    if (m_awaitClock.elapsed() >= timeoutMs) {
        m_awaiting = false;
        ++m_index;
        Fail(kTimeoutExit, QStringLiteral("no %1 within %2 ms").arg(what).arg(timeoutMs));
        return;
    }
    m_timer.start(kPollMs);
}

PageWidget* Automation::Window() {
    PageWidget* window = m_ui.NewestVisibleWindow();
    if (window == nullptr) Fail(kFailExit, QStringLiteral("no visible window"));
    return window;
}

void Automation::SendClick(QWidget* target) {
    QPointer<QWidget> alive(target);
    if (m_hovered && m_hovered != target) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_hovered, &leave);
    }
    m_hovered = target;
    if (!alive) return;
    const QPointF local(target->width() / 2.0, target->height() / 2.0);
    const QPointF scene = target->mapTo(target->window(), local);
    const QPointF global = target->mapToGlobal(local);
    QEnterEvent enter(local, scene, global);
    QCoreApplication::sendEvent(target, &enter);
    if (!alive) return;
    QMouseEvent move(QEvent::MouseMove, local, scene, global, Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    if (!alive) return;
    QMouseEvent press(QEvent::MouseButtonPress, local, scene, global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    if (!alive) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, scene, global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

void Automation::SendChar(QWidget* target, QChar c) {
    QKeyEvent press(QEvent::KeyPress, KeyCodeFor(c), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(target, &press);
}

bool Automation::Click(const QString& args) {
    bool ok = false;
    const int id = args.trimmed().toInt(&ok);
    if (!ok) return Fail(kFailExit, QStringLiteral("bad control id: ") + args);
    PageWidget* window = Window();
    if (window == nullptr) return false;
    QWidget* control = window->ControlWidget(id);
    if (control == nullptr) {
        return Fail(kFailExit, QStringLiteral("no control %1 in %2")
                                   .arg(id)
                                   .arg(QString::fromStdString(window->Title())));
    }
    if (!window->IsControlVisible(id) || !window->IsControlEnabled(id)) {
        Log(QStringLiteral("control %1 is hidden or disabled; the click does nothing").arg(id));
        return true;
    }
    const auto kind = window->KindOf(id);
    if (kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
        kind == ControlKind::IpAddress) {
        window->FocusControl(id);
        return true;
    }
    LogTiming("click", QString::number(id));
    SendClick(control);
    return true;
}

bool Automation::Type(const QString& args) {
    const auto [idText, text] = SplitFirst(args);
    bool ok = false;
    const int id = idText.toInt(&ok);
    if (!ok) return Fail(kFailExit, QStringLiteral("bad control id: ") + idText);
    PageWidget* window = Window();
    if (window == nullptr) return false;
    QPointer<QWidget> control = window->ControlWidget(id);
    const auto kind = window->KindOf(id);
    if (kind == ControlKind::Edit || kind == ControlKind::PasswordEdit) {
        auto* edit = static_cast<QLineEdit*>(control.data());
        window->FocusControl(id);
        if (!edit->text().isEmpty()) {
            edit->selectAll();
            QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QCoreApplication::sendEvent(edit, &del);
        }
        for (QChar c : text) {
            if (!control) break;  // the core may close the page while the user types
            SendChar(control, c);
        }
        return true;
    }
    if (kind == ControlKind::IpAddress) {
        auto* ip = static_cast<IpAddressEdit*>(control.data());
        ip->ClearByUser();
        if (control) ip->FocusField(0);
        for (QChar c : text) {
            if (!control) break;
            SendChar(ip->Field(ip->CurrentField()), c);
        }
        return true;
    }
    return Fail(kFailExit, QStringLiteral("control %1 takes no typing").arg(id));
}

bool Automation::Select(const QString& args) {
    const QStringList words = args.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool idOk = false;
    bool indexOk = false;
    const int id = words.value(0).toInt(&idOk);
    const int index = words.value(1).toInt(&indexOk);
    if (words.size() != 2 || !idOk || !indexOk) {
        return Fail(kFailExit, QStringLiteral("bad select: ") + args);
    }
    PageWidget* window = Window();
    if (window == nullptr) return false;
    if (window->KindOf(id) != ControlKind::DropList) {
        return Fail(kFailExit, QStringLiteral("control %1 is no drop-down list").arg(id));
    }
    auto* list = static_cast<QComboBox*>(window->ControlWidget(id));
    if (index < 0 || index >= list->count()) {
        return Fail(kFailExit, QStringLiteral("list %1 has no item %2").arg(id).arg(index));
    }
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);  // what the list reports when the user picks an item
    return true;
}

bool Automation::CheckText(const QString& args) {
    const auto [idText, expected] = SplitFirst(args);
    bool ok = false;
    const int id = idText.toInt(&ok);
    if (!ok) return Fail(kFailExit, QStringLiteral("bad control id: ") + idText);
    PageWidget* window = Window();
    if (window == nullptr) return false;
    const QString actual = QString::fromStdString(window->GetText(id));
    if (actual != expected) {
        return Fail(kFailExit, QStringLiteral("check-text %1: expected \"%2\", found \"%3\"")
                                   .arg(id)
                                   .arg(expected, actual));
    }
    return true;
}

bool Automation::Screenshot(const QString& args) {
    const QString path = args.trimmed();
    if (path.isEmpty()) return Fail(kFailExit, QStringLiteral("screenshot without a path"));
    PageWidget* window = Window();
    if (window == nullptr) return false;
    if (!window->grab().toImage().save(path, "PNG")) {
        return Fail(kFailExit, QStringLiteral("cannot write ") + path);
    }
    return true;
}

bool Automation::ScreenshotBox(const QString& args) {
    const QString path = args.trimmed();
    if (path.isEmpty()) return Fail(kFailExit, QStringLiteral("screenshot-box without a path"));
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return Fail(kFailExit, QStringLiteral("screenshot-box: no modal box"));
    if (!box->grab().toImage().save(path, "PNG")) {
        return Fail(kFailExit, QStringLiteral("cannot write ") + path);
    }
    return true;
}

bool Automation::PressKey(const QString& args) {
    const QString name = args.trimmed().toLower();
    int key = 0;
    QString text;
    if (name == QLatin1String("enter")) {
        key = Qt::Key_Return;
        text = QStringLiteral("\r");
    } else if (name == QLatin1String("escape")) {
        key = Qt::Key_Escape;
        text = QString(QChar(0x1b));
    } else {
        return Fail(kFailExit, QStringLiteral("unknown key: ") + args);
    }
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr) target = Window();
    if (target == nullptr) return false;
    QWidget* focus = target->focusWidget();
    if (focus != nullptr && target->isAncestorOf(focus)) target = focus;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    return true;
}

}  // namespace zavro::qtui
