// Toolkit-wide parts of the Qt adapter: filters, time scale, message log, blocking work,
// file answers.
#include <gtest/gtest.h>

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "GuiSupport.h"
#include "platform/posix/TimeScale.h"
#include "platform/qt/QtSupport.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"

namespace zavro {
namespace {

TEST(QtSupportTest, FileFilterBecomesQtFilter) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Binary files(*.bin)|*.bin|All files(*.*)|*.*||", "Binary files (*.bin);;All files (*)"},
        {"Pictures (*.jpg;*.gif)|*.jpg;*.gif||", "Pictures (*.jpg *.gif)"},
        {"Text|*.txt", "Text (*.txt)"},
        {"|*.txt||", "*.txt (*.txt)"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(qtui::ConvertFileFilter(c.in).toStdString(), c.out);
    }
}

TEST(QtSupportTest, TimeScaleAcceptsOnlyPositiveDecimals) {
    struct Case {
        const char* text;
        double scale;
    };
    const Case cases[] = {{nullptr, 1.0}, {"", 1.0},    {"0.01", 0.01}, {"2", 2.0},
                          {"0", 1.0},     {"-3", 1.0},  {"fast", 1.0},  {"0.5x", 1.0},
                          {"inf", 1.0},   {"nan", 1.0}, {" 0.25", 0.25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "(unset)" : c.text);
        EXPECT_DOUBLE_EQ(ParseTimeScale(c.text ? c.text : "").value_or(1.0), c.scale);
    }
    EXPECT_EQ(qtui::ScaledInterval(50000, 0.001), 50);
    EXPECT_EQ(qtui::ScaledInterval(120000, 1.0), 120000);
    EXPECT_EQ(qtui::ScaledInterval(1, 0.001), 1);  // never a spinning 0 ms timer
    EXPECT_EQ(qtui::ScaledInterval(0, 1.0), 1);
    EXPECT_EQ(qtui::ScaledInterval(4000000000u, 10.0), 2147483647);
}

TEST(QtSupportTest, MessageLogLineKeepsTheTextOnOneLine) {
    EXPECT_EQ(qtui::MessageLogLine("Zavro", "failed"), "Zavro\tfailed");
    EXPECT_EQ(qtui::MessageLogLine("Zavro", "one\ntwo\r\nthree\rfour"),
              "Zavro\tone\\ntwo\\nthree\\nfour");
    EXPECT_EQ(qtui::MessageLogLine("", ""), "\t");
}

TEST(QtSupportTest, ImageConversionKeepsPixelsAndRefusesShortBuffers) {
    Image image(3, 2, 0xFF000000u);
    image.At(2, 1) = 0x80FF8040u;
    const QImage q = qtui::ToQImage(image);
    ASSERT_EQ(q.size(), QSize(3, 2));
    EXPECT_EQ(q.pixel(2, 1), 0x80FF8040u);
    EXPECT_EQ(q.pixel(0, 0), 0xFF000000u);
    image.pixels.resize(2);  // a broken picture must not be read past its end
    EXPECT_TRUE(qtui::ToQImage(image).isNull());
}

class QtToolkitTest : public ::testing::Test {
protected:
    static QWidget* Control(IWindow& w, int id) {
        return static_cast<qtui::QtWindow&>(w).ControlWidget(id);
    }
    // Through the page's native window, as the platform hands Qt a real press: Qt picks
    // the widget under it only after the window object has seen it.
    static QWindow* Native(IWindow& w) {
        return static_cast<qtui::QtWindow&>(w).Widget()->windowHandle();
    }
    static QPoint Centre(IWindow& w, int id) { return Control(w, id)->geometry().center(); }
    static void Click(IWindow& w, int id) {
        QTest::mouseClick(Native(w), Qt::LeftButton, {}, Centre(w, id));
    }
    QtToolkit ui;
};

TEST_F(QtToolkitTest, MessageLogGetsOneLinePerBoxFromAnyThread) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("messages.txt"));
    qputenv("ZAVRO_MESSAGE_LOG", log.toLocal8Bit());
    ui.MessageBox("Please enter the information\ncompletely", "Zavro Wizard");
    std::thread worker([&] { ui.MessageBox("failed_setting text", "Zavro Wizard"); });
    worker.join();
    qunsetenv("ZAVRO_MESSAGE_LOG");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              "Zavro Wizard\tPlease enter the information\\ncompletely\n"
              "Zavro Wizard\tfailed_setting text\n");
}

// What a user meets while the program waits for the router: the page keeps painting, the
// wait cursor shows, Next, a press into a field and typing do nothing (then or afterwards),
// Exit works at once, and the page's timer and a worker's message arrive after the wait,
// in order, once each. Every click goes through the native window, as a real one does.
TEST_F(QtToolkitTest, BlockingWorkKeepsThePageLiveButLetsOnlyExitAct) {
    test::FakeEvents events;
    auto page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZavroSetPwd"});
    for (int id : {1013, 1008})
        page->CreateControl(id, ControlKind::Hotspot, {(id - 1000) * 40, 10, 40, 20});
    page->CreateControl(1020, ControlKind::Edit, {100, 100, 120, 20});
    page->CreateControl(1021, ControlKind::Edit, {100, 140, 120, 20});
    page->Show(true);
    page->SetFocus(1020);
    page->SetTimer(5, 60000);
    test::Pump();
    auto* w = static_cast<qtui::QtWindow&>(*page).Widget();
    events.controls.clear();
    events.paints = 0;

    std::promise<void> gate;
    std::vector<std::string> seen;  // what each step saw, checked after the run
    const auto step = [&](std::function<void()> f) { QTimer::singleShot(0, w, std::move(f)); };
    auto afterPaint = std::make_shared<std::function<void()>>();
    int tries = 0;
    step([&] {
        seen.push_back(QGuiApplication::overrideCursor() &&
                               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor
                           ? "wait-cursor"
                           : "no-wait-cursor");
        Click(*page, 1013);
        Click(*page, 1021);  // no focus, no grab
        seen.push_back(w->focusWidget() == Control(*page, 1020) ? "focus stays" : "focus moved");
        QTest::keyClick(Native(*page), 'a');
        // Pressed now, released once the wait is over: no click either.
        QTest::mousePress(Native(*page), Qt::LeftButton, {}, Centre(*page, 1013));
        w->FireTimer(5);
        w->FireTimer(5);  // a second tick before the first was delivered
        std::thread([poster = page->Poster()] {
            poster->Post(77);
            poster->Post(kFirstRepaintMessage + 1);  // an animation's frame plays on
        }).join();
        page->Invalidate();
        // The event loop turns on during the wait until the page has painted.
        *afterPaint = [&] {
            if (events.paints == 0 && ++tries < 1000) {
                QTimer::singleShot(1, w, *afterPaint);
                return;
            }
            seen.push_back("paints " + std::to_string(events.paints));
            seen.push_back("frames " + std::to_string(events.posted.size()));
            Click(*page, 1008);
            seen.push_back("controls " + std::to_string(events.controls.size()));
            gate.set_value();
        };
        step(*afterPaint);
    });
    std::thread::id workThread;
    ui.RunBlocking([&] {
        workThread = std::this_thread::get_id();
        gate.get_future().wait();
    });
    EXPECT_NE(workThread, std::this_thread::get_id());
    EXPECT_EQ(seen, (std::vector<std::string>{"wait-cursor", "focus stays", "paints 1", "frames 1",
                                              "controls 1"}));
    *afterPaint = nullptr;
    EXPECT_EQ(events.controls, (std::vector<std::pair<int, Notify>>{{1008, Notify::Clicked}}));
    EXPECT_EQ(page->GetText(1020), "");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(events.timers.empty()) << "held until the caller is done";
    EXPECT_EQ(events.posted, std::vector<unsigned>{kFirstRepaintMessage + 1});
    test::Pump();
    EXPECT_EQ(events.timers, std::vector<int>{5});
    EXPECT_EQ(events.posted, (std::vector<unsigned>{kFirstRepaintMessage + 1, 77}));
    QTest::mouseRelease(Native(*page), Qt::LeftButton, {}, Centre(*page, 1013));
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 0);
    // Input works again once the wait is over, at the first click; nothing of the wait is
    // replayed.
    Click(*page, 1013);
    EXPECT_EQ(events.controls.back(), (std::pair<int, Notify>{1013, Notify::Clicked}));
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    Click(*page, 1021);
    EXPECT_EQ(w->focusWidget(), Control(*page, 1021));
}

// The summary page names its own Exit: the page, not a fixed id, says which hotspot ends
// the program. Work that throws leaves no gate, wait cursor or held delivery behind.
TEST_F(QtToolkitTest, BlockingWorkThatThrowsRestoresInputAndPageEndsByItsOwnIds) {
    test::FakeEvents events;
    events.endsProgram = [](int id) { return id == 1073; };
    auto page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZvWPAconfigure"});
    page->CreateControl(1008, ControlKind::Hotspot, {100, 10, 40, 20});
    page->CreateControl(1073, ControlKind::Hotspot, {700, 10, 40, 20});
    page->Show(true);
    page->SetTimer(5, 60000);
    test::Pump();
    auto* w = static_cast<qtui::QtWindow&>(*page).Widget();
    events.controls.clear();
    std::promise<void> gate;
    QTimer::singleShot(0, w, [&] {
        Click(*page, 1008);
        w->FireTimer(5);
        Click(*page, 1073);
        gate.set_value();
    });
    EXPECT_THROW(ui.RunBlocking([&] {
        gate.get_future().wait();
        throw std::runtime_error("work failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(events.controls, (std::vector<std::pair<int, Notify>>{{1073, Notify::Clicked}}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    test::Pump();
    EXPECT_EQ(events.timers, std::vector<int>{5});
    Click(*page, 1008);
    EXPECT_EQ(events.controls.back(), (std::pair<int, Notify>{1008, Notify::Clicked}));
}

TEST_F(QtToolkitTest, QueuedFileAnswersReplaceTheDialogInOrder) {
    ui.QueueFileAnswer(std::string("/media/setup/Firmware/Firmware.bin"));
    ui.QueueFileAnswer(std::nullopt);
    const std::string filter = "Binary files(*.bin)|*.bin|All files(*.*)|*.*||";
    EXPECT_EQ(ui.OpenFileDialog(filter), "/media/setup/Firmware/Firmware.bin");
    EXPECT_EQ(ui.OpenFileDialog(filter), std::nullopt);
}

}  // namespace
}  // namespace zavro
