// Native controls of the Qt adapter: edits, password edit, IP address control, drop list.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "GuiSupport.h"
#include "platform/qt/QtIpAddress.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"

namespace zavro {
namespace {

using test::FakeEvents;

class QtControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZavroTest"});
        page->Show(true);
    }
    QWidget* C(int id) { return static_cast<qtui::QtWindow&>(*page).ControlWidget(id); }
    qtui::IpAddressEdit* Ip(int id) { return static_cast<qtui::IpAddressEdit*>(C(id)); }
    // Types the way a user does: each key goes to the field that has the caret now.
    void TypeIp(int id, const char* keys) {
        for (const char* k = keys; *k != '\0'; ++k) {
            QTest::keyClick(Ip(id)->Field(Ip(id)->CurrentField()), *k);
        }
    }

    QtToolkit ui;
    FakeEvents events;
    std::unique_ptr<IWindow> page;
};

TEST_F(QtControlsTest, EditLimitCutsTypingAndEachKeystrokeReportsChanged) {
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    page->SetLimit(1030, 5);
    QTest::keyClicks(C(1030), "abcdefgh");
    EXPECT_EQ(page->GetText(1030), "abcde");
    EXPECT_EQ(events.Count(1030, Notify::Changed), 5);

    page->SetText(1030, "xyz");  // not the user: no notification
    EXPECT_EQ(events.Count(1030, Notify::Changed), 5);
    EXPECT_EQ(page->GetText(1030), "xyz");
    page->SetLimit(1030, 0);  // 0: as long as the field allows
    QTest::keyClicks(C(1030), std::string(300, 'x').c_str());
    EXPECT_EQ(page->GetText(1030).size(), 303u);

    // The limit counts characters, as the fake edits of the page tests do.
    page->SetText(1030, "");
    page->SetLimit(1030, 5);
    for (int i = 0; i < 7; ++i) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier,
                      QString::fromUtf8("\u00FC"));
        QApplication::sendEvent(C(1030), &key);
    }
    EXPECT_EQ(page->GetText(1030), "\u00FC\u00FC\u00FC\u00FC\u00FC");
}

TEST_F(QtControlsTest, PasswordEditMasksWhatItHolds) {
    page->CreateControl(1031, ControlKind::PasswordEdit, {100, 130, 120, 21});
    QTest::keyClicks(C(1031), "s3cret");
    auto* edit = static_cast<QLineEdit*>(C(1031));
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(page->GetText(1031), "s3cret");
    EXPECT_FALSE(edit->displayText().contains(QStringLiteral("s3cret")));
    EXPECT_EQ(edit->displayText().size(), 6);
}

TEST_F(QtControlsTest, IpAddressTextRules) {
    struct Case {
        const char* set;
        const char* read;
    };
    const Case cases[] = {
        {"", "0.0.0.0"},
        {"10.0.0.1", "10.0.0.1"},
        {"192.168.2.1", "192.168.2.1"},
        {"300.1.2.999", "255.1.2.255"},  // over 255 is clamped
        {"10..3", "10.0.3.0"},           // blank fields read as 0
        {"0.0.0.0", "0.0.0.0"},
    };
    page->CreateControl(1032, ControlKind::IpAddress, {406, 297, 133, 21});
    EXPECT_EQ(page->GetText(1032), "0.0.0.0");  // a fresh control is blank
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        page->SetText(1032, c.set);
        EXPECT_EQ(page->GetText(1032), c.read);
    }
    page->SetText(1032, "1.2.3.4");
    page->SetText(1032, "");
    EXPECT_EQ(page->GetText(1032), "0.0.0.0");
    EXPECT_TRUE(Ip(1032)->Field(0)->text().isEmpty());
    EXPECT_EQ(events.Count(1032, Notify::FieldChanged), 0);  // the core's own changes
}

TEST_F(QtControlsTest, IpAddressTypingMovesOnAfterThreeDigitsOrADot) {
    page->CreateControl(1032, ControlKind::IpAddress, {406, 297, 133, 21});
    TypeIp(1032, "192168.2.");
    EXPECT_EQ(Ip(1032)->CurrentField(), 3);
    TypeIp(1032, "7");
    EXPECT_EQ(page->GetText(1032), "192.168.2.7");
    // One report per change of a field's value by the user.
    EXPECT_EQ(events.Count(1032, Notify::FieldChanged), 8);

    page->SetText(1032, "");
    Ip(1032)->FocusField(0);
    TypeIp(1032, "999");
    EXPECT_EQ(page->GetText(1032), "255.0.0.0");
    TypeIp(1032, "4x");  // letters are no octet text
    EXPECT_EQ(page->GetText(1032), "255.4.0.0");

    // Typed over a full address: a dot after three digits never skips a field that
    // holds a value, and one after fewer digits moves on and selects the next field.
    const struct {
        const char* before;
        const char* keys;
        const char* after;
    } overtype[] = {
        {"255.255.255.0", "255.255.255.128", "255.255.255.128"},
        {"10.20.30.40", "192.168.2.1", "192.168.2.1"},
        {"1.2.3.4", "9.8.7.6", "9.8.7.6"},
        {"100.100..100", "100.7..5", "100.7.5.100"},  // a dot in an empty field stays
    };
    for (const auto& c : overtype) {
        SCOPED_TRACE(c.keys);
        page->SetText(1032, c.before);
        Ip(1032)->FocusField(0);
        TypeIp(1032, c.keys);
        EXPECT_EQ(page->GetText(1032), c.after);
    }
}

TEST_F(QtControlsTest, IpAddressReportsFocusOnlyWhenEnteringOrLeavingTheWholeControl) {
    page->CreateControl(1032, ControlKind::IpAddress, {406, 297, 133, 21});
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    QApplication::setActiveWindow(static_cast<qtui::QtWindow&>(*page).Widget());
    page->SetFocus(1032);
    TypeIp(1032, "10.");  // moving between fields stays inside the control
    page->SetFocus(1030);
    EXPECT_EQ(events.Count(1032, Notify::SetFocus), 1);
    EXPECT_EQ(events.Count(1032, Notify::KillFocus), 1);
    EXPECT_EQ(events.Count(1030, Notify::SetFocus), 1);
}

// Without a tab order the hotspots take no focus; with one, Tab walks it, a hotspot
// reports its focus, and a click still gives a hotspot none.
TEST_F(QtControlsTest, TabWalksTheTabOrderWithHotspots) {
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    page->CreateControl(1009, ControlKind::Hotspot, {14, 22, 79, 75});
    page->CreateControl(1031, ControlKind::PasswordEdit, {100, 130, 120, 21});
    QApplication::setActiveWindow(static_cast<qtui::QtWindow&>(*page).Widget());
    page->SetFocus(1030);
    ASSERT_TRUE(C(1030)->hasFocus());
    QTest::keyClick(C(1030), Qt::Key_Tab);
    EXPECT_TRUE(C(1031)->hasFocus());
    EXPECT_EQ(events.Count(1030, Notify::KillFocus), 1);
    EXPECT_EQ(events.Count(1031, Notify::SetFocus), 1);
    EXPECT_EQ(events.keys, (std::vector<Key>{Key::Tab}));  // reported once, then delivered

    page->SetTabOrder({1031, 1009, 1030});
    QTest::keyClick(C(1031), Qt::Key_Tab);
    EXPECT_TRUE(C(1009)->hasFocus());
    EXPECT_EQ(page->FocusedControl(), 1009);
    EXPECT_EQ(events.Count(1009, Notify::SetFocus), 1);
    QTest::keyClick(C(1009), Qt::Key_Backtab);
    EXPECT_TRUE(C(1031)->hasFocus());
    EXPECT_EQ(events.Count(1009, Notify::KillFocus), 1);
    QTest::mouseClick(C(1009), Qt::LeftButton);
    EXPECT_TRUE(C(1031)->hasFocus());
    EXPECT_EQ(events.Count(1009, Notify::Clicked), 1);
}

// What assistive technology gets: a hotspot is a push button that can be pressed (a press
// is its click), a field and a drop-down list carry their names, the window its title and
// description, the progress bar its value.
TEST_F(QtControlsTest, ScreenReadersGetRolesNamesAndValues) {
    page->CreateControl(1013, ControlKind::Hotspot, {618, 492, 53, 26});
    page->CreateControl(1036, ControlKind::Edit, {481, 255, 133, 21});
    page->CreateControl(1040, ControlKind::DropList, {481, 389, 133, 21});
    page->CreateControl(1050, ControlKind::Progress, {10, 10, 200, 20});
    page->SetItems(1040, {"Continuous"});
    page->SetSelection(1040, 0);
    page->CreateControl(1019, ControlKind::Hotspot, {145, 399, 19, 19});
    page->SetAccessibleCheck(1019, 1);
    page->SetAccessibleText(0, "PPPoE", "Enter the user name.");
    page->SetAccessibleText(1013, "Next", "");
    page->SetAccessibleText(1036, "User name", "");
    page->SetAccessibleText(1040, "Connection mode", "");
    page->SetProgress(1050, 40);

    QAccessibleInterface* window =
        QAccessible::queryAccessibleInterface(static_cast<qtui::QtWindow&>(*page).Widget());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text(QAccessible::Name), "PPPoE");
    EXPECT_EQ(window->text(QAccessible::Description), "Enter the user name.");

    QAccessibleInterface* next = QAccessible::queryAccessibleInterface(C(1013));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->role(), QAccessible::Button);
    EXPECT_EQ(next->text(QAccessible::Name), "Next");
    ASSERT_NE(next->actionInterface(), nullptr);
    EXPECT_TRUE(
        next->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    page->EnableControl(1013, false);
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);  // a disabled hotspot is not pressed

    EXPECT_FALSE(next->state().checkable);
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(C(1019));
    EXPECT_TRUE(box->state().checkable);
    EXPECT_TRUE(box->state().checked);
    page->SetAccessibleCheck(1019, 0);
    EXPECT_FALSE(box->state().checked);

    EXPECT_EQ(QAccessible::queryAccessibleInterface(C(1036))->text(QAccessible::Name), "User name");
    // The list's label (hidden: the picture shows it) names the list.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(C(1040));
    const auto labels = list->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Connection mode");
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(C(1050));
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 40);
}

TEST_F(QtControlsTest, DropListSelectionAndUserChange) {
    page->CreateControl(1040, ControlKind::DropList, {405, 376, 133, 21});
    page->SetItems(1040, {"Continuous", "Connect On Demand"});
    EXPECT_EQ(page->GetSelection(1040), -1);
    page->SetSelection(1040, 0);
    EXPECT_EQ(page->GetSelection(1040), 0);
    EXPECT_EQ(page->GetText(1040), "Continuous");
    page->SetSelection(1040, 5);
    EXPECT_EQ(page->GetSelection(1040), -1);
    page->SetSelection(1040, 0);
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 0);  // the core's own choice

    QTest::keyClick(C(1040), Qt::Key_Down);  // the user picks the next item
    EXPECT_EQ(page->GetSelection(1040), 1);
    EXPECT_EQ(page->GetText(1040), "Connect On Demand");
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 1);
    EXPECT_FALSE(static_cast<QComboBox*>(C(1040))->isEditable());
}

// Right end of the dark ink a control shows, in pixels from its left edge (-1: none).
int InkRight(QWidget* w) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = right + 1; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 128) right = x;
    return right;
}

TEST_F(QtControlsTest, LabelsShowAmpersandsAndWholeKeys) {
    // The summary's fields: every "&" is a character, never a mnemonic.
    page->CreateControl(1015, ControlKind::StaticText, {158, 364, 392, 23});
    page->SetText(1015, "AB&C");
    const int mnemonicWidth = InkRight(C(1015));
    page->SetText(1015, "A&B&&C&");
    const QFontMetrics metrics(C(1015)->font());
    EXPECT_GT(InkRight(C(1015)), mnemonicWidth + metrics.horizontalAdvance(QLatin1Char('&')));

    // A 63-character key shows whole at the page's font: too wide for its rectangle and
    // without a space, it wraps within itself onto a second line below; its last
    // character shows too.
    const QFont pageFont = static_cast<qtui::QtWindow&>(*page).Widget()->font();
    page->CreateControl(1075, ControlKind::StaticText, {243, 390, 309, 23});
    const std::string key = "Kq7&Wm2" + std::string(55, 'x') + "Z";
    ASSERT_EQ(key.size(), 63u);
    page->SetText(1075, key.substr(0, 62));
    const QImage without = C(1075)->grab().toImage();
    page->SetText(1075, key);
    EXPECT_NE(C(1075)->grab().toImage(), without);
    EXPECT_EQ(C(1075)->font(), pageFont);
    const QFontMetrics metrics2(pageFont);
    ASSERT_GT(metrics2.horizontalAdvance(QString::fromStdString(key)), 309);
    const Rect grown = page->ControlRect(1075);
    EXPECT_EQ(grown.y, 390);
    EXPECT_EQ(grown.w, 309);
    EXPECT_GE(grown.h, 2 * metrics2.height());
    page->SetText(1075, "short");  // a text that fits keeps the rectangle it was given
    EXPECT_EQ(page->ControlRect(1075), (Rect{243, 390, 309, 23}));
    EXPECT_EQ(C(1075)->font(), pageFont);
}

TEST_F(QtControlsTest, LabelsAndButtonsCarryTheirTextAndMove) {
    page->CreateControl(1018, ControlKind::StaticText, {107, 155, 94, 21});
    page->CreateControl(1060, ControlKind::PushButton, {51, 39, 72, 28});
    page->SetText(1018, "<b>ZR-8</b>");  // texts are shown as they are, never as markup
    page->SetText(1060, "OK");
    EXPECT_EQ(page->GetText(1018), "<b>ZR-8</b>");
    EXPECT_EQ(page->GetText(1060), "OK");
    EXPECT_EQ(page->ControlRect(1018), (Rect{107, 155, 94, 21}));
    page->MoveControl(1018, {10, 20, 130, 40});
    EXPECT_EQ(page->ControlRect(1018), (Rect{10, 20, 130, 40}));
    page->ShowControl(1060, false);
    EXPECT_FALSE(page->IsControlVisible(1060));
    page->ShowControl(1060, true);
    EXPECT_TRUE(page->IsControlVisible(1060));
    QTest::mouseClick(C(1060), Qt::LeftButton);
    EXPECT_EQ(events.Count(1060, Notify::Clicked), 1);
}

}  // namespace
}  // namespace zavro
