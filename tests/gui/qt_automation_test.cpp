// The automation hook driving real windows: scripts succeed, fail with 97/98, and go on
// inside a modal run.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include "GuiSupport.h"
#include "platform/qt/QtToolkit.h"

namespace zavro {
namespace {

using test::FakeEvents;

constexpr std::uint32_t kBack = 0xFF336699u;

class QtAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZavroFixIP"});
        page->SetBackground(Image(800, 600, kBack));
        page->CreateControl(1013, ControlKind::Hotspot, {618, 492, 53, 26});
        page->CreateControl(1030, ControlKind::Edit, {100, 100, 150, 21});
        page->CreateControl(1032, ControlKind::IpAddress, {406, 297, 133, 21});
        page->CreateControl(1040, ControlKind::DropList, {405, 376, 133, 21});
        page->CreateControl(1018, ControlKind::StaticText, {107, 155, 94, 21});
        page->SetItems(1040, {"Continuous", "Connect On Demand"});
        page->SetSelection(1040, 0);
        page->Show(true);
    }
    // Runs the script in the program's event loop; a failed step ends the loop with its code.
    int RunScript(const QString& script) {
        ui.RunScript(script, [this](int code) {
            failure = code;
            ui.Quit(code);
        });
        QTimer::singleShot(20000, [this] { ui.Quit(-99); });  // a hung script fails the test
        return ui.Run();
    }

    QtToolkit ui;
    FakeEvents events;
    std::unique_ptr<IWindow> page;
    int failure = 0;
};

TEST_F(QtAutomationTest, ScriptTypesClicksSelectsAndTakesAScreenshot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString shot = dir.filePath(QStringLiteral("page.png"));
    events.onControl = [&](int id, Notify code) {
        if (id == 1013 && code == Notify::Clicked) page->SetText(1018, "applied");
    };
    const QString script = QStringLiteral(
                               "# the fixed-IP page\n"
                               "await-window CZavroFixIP 5000\n"
                               "type 1030 two words\n"
                               "  type 1032 10.0.0.1\n"
                               "\n"
                               "select 1040 1\n"
                               "click 1013\n"
                               "check-text 1018 applied\n"
                               "check-text 1030 two words\n"
                               "check-text 1032 10.0.0.1\n"
                               "answer-file /media/setup/Firmware/Firmware.bin\n"
                               "sleep 1\n"
                               "screenshot ") +
                           shot + QStringLiteral("\nquit 5\n");
    EXPECT_EQ(RunScript(script), 5);
    EXPECT_EQ(failure, 0);
    EXPECT_EQ(events.Count(1030, Notify::Changed), 9);  // one per typed character
    EXPECT_GE(events.Count(1032, Notify::FieldChanged), 4);
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 1);
    EXPECT_EQ(page->GetSelection(1040), 1);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    ASSERT_GE(events.hot.size(), 2u);
    EXPECT_EQ(events.hot[events.hot.size() - 2], std::make_pair(1013, HotState::Pressed));
    EXPECT_EQ(ui.OpenFileDialog("Binary files(*.bin)|*.bin||"),
              "/media/setup/Firmware/Firmware.bin");
    const QImage image(shot);
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_EQ(image.pixel(10, 10), kBack);
    EXPECT_TRUE(ui.ScriptFinished());
}

TEST_F(QtAutomationTest, FailingStepsEndWithTheirCode) {
    struct Case {
        const char* script;
        int code;
    };
    const Case cases[] = {
        {"check-text 1030 not there\nquit 0\n", 98},
        {"await-window CZavroNever 30\nquit 0\n", 97},
        {"click 4242\nquit 0\n", 98},
        {"frobnicate 1\nquit 0\n", 98},
        {"select 1040 7\nquit 0\n", 98},
        {"type 1013 abc\nquit 0\n", 98},
        {"await-control 4242 30\nquit 0\n", 97},
        {"await-control 1013 soon\nquit 0\n", 98},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        failure = 0;
        EXPECT_EQ(RunScript(QString::fromUtf8(c.script)), c.code);
        EXPECT_EQ(failure, c.code);
    }
}

TEST_F(QtAutomationTest, AwaitControlHoldsTheScriptUntilTheControlIsShown) {
    int clicks = 0;
    events.onControl = [&](int id, Notify code) {
        if (id == 1013 && code == Notify::Clicked) ++clicks;
    };
    page->ShowControl(1013, false);
    EXPECT_EQ(RunScript(QStringLiteral("await-control 1013 30\nquit 0\n")), 97);
    failure = 0;
    // A result page shows its Finish hotspot only once the worker has reported.
    QTimer::singleShot(50, [&] { page->ShowControl(1013, true); });
    EXPECT_EQ(RunScript(QStringLiteral("click 1013\n"
                                       "await-control 1013 5000\n"
                                       "click 1013\n"
                                       "quit 4\n")),
              4);
    EXPECT_EQ(failure, 0);
    EXPECT_EQ(clicks, 1);  // the click on the hidden hotspot did nothing
}

TEST_F(QtAutomationTest, ScriptGoesOnInsideAModalRun) {
    FakeEvents dialogEvents;
    std::unique_ptr<IWindow> dialog;
    int modalResult = 0;
    events.onControl = [&](int id, Notify code) {
        if (id != 1013 || code != Notify::Clicked) return;
        // A page that restarts the router shows the wait dialog from its click handler.
        dialog =
            ui.CreateWindow(dialogEvents, {300, 250, 177, 72}, WindowStyle{true, "CZavroWait"});
        dialog->CreateControl(1061, ControlKind::StaticText, {6, 8, 166, 29});
        dialog->SetText(1061, "Restarting");
        modalResult = dialog->RunModal();
        dialog.reset();
        page->SetText(1018, "back");
    };
    EXPECT_EQ(RunScript(QStringLiteral("click 1013\n"
                                       "await-window CZavroWait 5000\n"
                                       "check-text 1061 Restarting\n"
                                       "key escape\n"
                                       "sleep 5\n"
                                       "check-text 1018 back\n"
                                       "quit 3\n")),
              3);
    EXPECT_EQ(failure, 0);
    EXPECT_EQ(modalResult, 2);
    EXPECT_EQ(dialogEvents.keys, (std::vector<Key>{Key::Escape}));
}

}  // namespace
}  // namespace zavro

namespace zavro {
namespace {

TEST(QtAutomationEnvTest, ToolkitRunsTheScriptNamedByTheEnvironment) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("run.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "# written by the test\r\nawait-window CZavroWelcome 5000\r\nclick 1001\r\nquit 7\r\n");
    }
    qputenv("ZAVRO_AUTOMATION", path.toLocal8Bit());
    QtToolkit ui;
    qunsetenv("ZAVRO_AUTOMATION");
    FakeEvents events;
    auto page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZavroWelcome"});
    page->CreateControl(1001, ControlKind::Hotspot, {10, 10, 50, 50});
    QTimer::singleShot(0, [&] { page->Show(true); });  // the page comes after the script starts
    QTimer::singleShot(20000, [&] { ui.Quit(-99); });
    EXPECT_EQ(ui.Run(), 7);
    EXPECT_EQ(events.Count(1001, Notify::Clicked), 1);
}

}  // namespace
}  // namespace zavro
