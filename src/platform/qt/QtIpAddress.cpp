#include "platform/qt/QtIpAddress.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpressionValidator>

namespace zavro::qtui {

namespace {

QString ClampOctet(const QString& text) {
    if (text.isEmpty()) return text;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) return QString();
    return QString::number(value > 255 ? 255 : value);
}

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFields; ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->setMinimumWidth(8);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { FieldEdited(i); });
        m_fields[static_cast<std::size_t>(i)] = field;
        layout->addWidget(field, 1);
        if (i + 1 < kFields) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot, 0);
        }
    }
    setFocusProxy(m_fields[0]);
}

QString IpAddressEdit::Text() const {
    QStringList parts;
    for (const QLineEdit* field : m_fields) {
        const QString value = ClampOctet(field->text());
        parts << (value.isEmpty() ? QStringLiteral("0") : value);
    }
    return parts.join(QLatin1Char('.'));
}

void IpAddressEdit::SetText(const QString& text) {
    m_advancedTo = -1;
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < kFields; ++i) {
        const QString part = i < parts.size() ? parts[i].trimmed() : QString();
        m_fields[static_cast<std::size_t>(i)]->setText(ClampOctet(part));
    }
}

void IpAddressEdit::ClearByUser() {
    m_advancedTo = -1;
    for (int i = 0; i < kFields; ++i) {
        QLineEdit* field = m_fields[static_cast<std::size_t>(i)];
        if (field->text().isEmpty()) continue;
        field->clear();
        if (onFieldChanged) onFieldChanged(i);
    }
    m_current = 0;
}

void IpAddressEdit::FocusField(int index) {
    if (index < 0 || index >= kFields) return;
    m_current = index;
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void IpAddressEdit::FieldEdited(int index) {
    QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
    // Leading zeros stay while typing; only a value over 255 is corrected at once.
    if (field->text().toInt() > 255) field->setText(QStringLiteral("255"));
    m_current = index;
    if (onFieldChanged) onFieldChanged(index);
    m_advancedTo = -1;
    if (field->text().size() == 3 && index + 1 < kFields) {
        FocusField(index + 1);
        m_advancedTo = index + 1;
    }
}

int IpAddressEdit::IndexOf(QObject* field) const {
    for (int i = 0; i < kFields; ++i) {
        if (m_fields[static_cast<std::size_t>(i)] == field) return i;
    }
    return -1;
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            QLineEdit* field = m_fields[static_cast<std::size_t>(index)];
            if (key->text() == QLatin1String(".")) {
                // After three digits the caret has moved on already: the dot the user
                // types next is that move, even over a field that holds a value.
                const bool advanced = index == m_advancedTo;
                m_advancedTo = -1;
                if (!advanced && !field->text().isEmpty()) FocusField(index + 1);
                return true;  // the dot is the separator, never field text
            }
            if (!key->text().isEmpty() || key->key() < Qt::Key_Shift ||
                key->key() > Qt::Key_ScrollLock)
                m_advancedTo = -1;
            if (key->key() == Qt::Key_Backspace && field->cursorPosition() == 0 &&
                !field->hasSelectedText() && index > 0) {
                FocusField(index - 1);
                m_fields[static_cast<std::size_t>(index - 1)]->end(false);
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
            if (index != m_advancedTo) m_advancedTo = -1;
            m_current = index;
            if (!m_hasFocus) {
                m_hasFocus = true;
                if (onFocusIn) onFocusIn();
            }
            break;
        case QEvent::FocusOut: {
            const QWidget* next = QApplication::focusWidget();
            if (m_hasFocus && (next == nullptr || !isAncestorOf(next))) {
                m_hasFocus = false;
                if (onFocusOut) onFocusOut();
            }
            break;
        }
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace zavro::qtui
