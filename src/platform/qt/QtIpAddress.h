// Four-octet address control: fields 0..255 with dots between them.
#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QString>
#include <array>
#include <functional>

namespace zavro::qtui {

class IpAddressEdit final : public QFrame {
public:
    explicit IpAddressEdit(QWidget* parent);

    // "a.b.c.d"; a blank field reads as 0, so a blank control reads "0.0.0.0".
    QString Text() const;
    // "" clears every field; otherwise up to four dotted values, each clamped to 255.
    void SetText(const QString& text);
    // Clears the fields as the user would, reporting the fields that held something.
    void ClearByUser();
    void FocusField(int index);

    int CurrentField() const { return m_current; }
    QLineEdit* Field(int index) const { return m_fields[static_cast<std::size_t>(index)]; }
    static constexpr int kFields = 4;

    // Called when the user changed a field, and when the focus enters or leaves the control.
    std::function<void(int field)> onFieldChanged;
    std::function<void()> onFocusIn;
    std::function<void()> onFocusOut;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FieldEdited(int index);
    int IndexOf(QObject* field) const;

    std::array<QLineEdit*, kFields> m_fields{};  // children of this frame
    int m_current = 0;
    bool m_hasFocus = false;
    // The field the caret moved to after three digits; a dot typed next is that move.
    int m_advancedTo = -1;
};

}  // namespace zavro::qtui
