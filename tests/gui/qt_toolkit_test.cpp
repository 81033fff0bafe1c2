// Toolkit-wide parts of the Qt adapter: filters, time scale, message log, wait cursor,
// file answers.
#include <gtest/gtest.h>

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <thread>

#include "GuiSupport.h"
#include "platform/qt/QtSupport.h"
#include "platform/qt/QtToolkit.h"
#include "platform/posix/TimeScale.h"

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

TEST_F(QtToolkitTest, WaitCursorIsCountedAndBalanced) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ui.BeginWaitCursor();
    ui.BeginWaitCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.EndWaitCursor();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    ui.EndWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ui.EndWaitCursor();  // one too many restores nothing of anyone else's
    EXPECT_EQ(ui.WaitCursorDepth(), 0);

    std::thread worker([&] { ui.BeginWaitCursor(); });
    worker.join();
    test::Pump();
    EXPECT_EQ(ui.WaitCursorDepth(), 1);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    ui.EndWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
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
