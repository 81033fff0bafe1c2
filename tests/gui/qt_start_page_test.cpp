// The real pages in real Qt windows, painted from the generated demo medium: the wizard
// start page as a user meets it, and a check hotspot's icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "GuiSupport.h"
#include "app/Messages.h"
#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "pages/ZavroWait.h"
#include "platform/posix/ProfileReader.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"
#include "support/TestEnv.h"
#include "ui/ButtonST.h"

namespace zavro {
namespace {

using test::Pump;

class QtStartPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The medium's own pictures, so the screenshot shows what a user sees.
        const std::filesystem::path medium = std::filesystem::path(ZAVRO_PROGRAM_DIR) / "image";
        ASSERT_TRUE(std::filesystem::exists(medium / "1" / "02.jpg")) << medium;
        std::filesystem::copy(medium, env.programDir / "image",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        Ports().ui = &ui;
        hub = std::make_unique<CZavroDlg>();
        hub->OnInitDialog();
        Pump();
    }
    void TearDown() override {
        StopAllWorkers();
        hub.reset();
        Pump();
        theApp.m_hHubWnd = nullptr;
    }
    // The visible page window with that title, or null.
    static qtui::PageWidget* Shown(const char* title) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == QLatin1String(title))
                if (auto* page = dynamic_cast<qtui::PageWidget*>(w)) return page;
        return nullptr;
    }
    // Which of the two check icons the hotspot's face shows (0: neither).
    static int ShownIcon(QWidget* control) {
        const QImage face = control->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        for (int icon : {166, 165}) {
            const Image& i = LoadIconResource(icon);
            const int ox = (face.width() - i.width) / 2, oy = (face.height() - i.height) / 2;
            int opaque = 0, same = 0;
            for (int y = 0; y < i.height; ++y)
                for (int x = 0; x < i.width; ++x) {
                    const std::uint32_t p = i.At(x, y);
                    if ((p >> 24) != 0xFF) continue;
                    ++opaque;
                    same += (face.pixel(ox + x, oy + y) | 0xFF000000u) == p ? 1 : 0;
                }
            if (opaque > 0 && same == opaque) return icon;
        }
        return 0;
    }

    test::TestEnv env;
    QtToolkit ui;
    std::unique_ptr<CZavroDlg> hub;
};

TEST_F(QtStartPageTest, StartPageIsAFramelessCentredPageAndExitEndsWithOne) {
    qtui::PageWidget* page = Shown("CZavroWizard");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(page->size(), QSize(800, 600));
    const QRect area = page->screen()->availableGeometry();
    EXPECT_EQ(page->geometry().center(),
              QRect(area.topLeft(), QSize(800, 600))
                  .translated((area.width() - 800) / 2, (area.height() - 600) / 2)
                  .center());

    // What a user sees, kept for a look after the run.
    const QImage shot = page->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(800, 600));
    EXPECT_TRUE(shot.save(QString::fromUtf8(ZAVRO_BINARY_DIR "/gui-wizard-start.png")));

    // Hand over the listed hotspots, arrow over the bare picture.
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012}) {
        QWidget* hot = page->ControlWidget(id);
        ASSERT_NE(hot, nullptr) << id;
        QTest::mouseMove(hot, QPoint(5, 5));
        EXPECT_EQ(hot->cursor().shape(), Qt::PointingHandCursor) << id;
    }
    QTest::mouseMove(page, QPoint(400, 300));
    EXPECT_EQ(page->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(page->ControlWidget(1008), Qt::LeftButton, {}, QPoint(5, 5));
    Pump();
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

TEST_F(QtStartPageTest, ContactHotspotOpensTheContactPageInItsOwnWindow) {
    qtui::PageWidget* page = Shown("CZavroWizard");
    ASSERT_NE(page, nullptr);
    QTest::mouseClick(page->ControlWidget(1004), Qt::LeftButton, {}, QPoint(5, 5));
    Pump();
    EXPECT_EQ(Shown("CZavroWizard"), nullptr);
    ASSERT_NE(Shown("CZavroContact"), nullptr);
    EXPECT_TRUE(env.system.Exits().empty());
}

TEST_F(QtStartPageTest, CheckHotspotShowsTheCheckedIconAfterAnOddNumberOfClicks) {
    hub->OnMessage(WM_PAGE_SETWPA);
    Pump();
    qtui::PageWidget* page = Shown("CZavroSetWPA");
    ASSERT_NE(page, nullptr);
    QWidget* box = page->ControlWidget(1017);
    ASSERT_NE(box, nullptr);
    const int first = ShownIcon(box);
    ASSERT_NE(first, 0);
    const int other = first == 166 ? 165 : 166;
    for (int click = 1; click <= 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
        Pump();
        QTest::mouseMove(page, QPoint(400, 300));  // off the box: no hover frame
        Pump();
        EXPECT_EQ(ShownIcon(box), click % 2 == 1 ? other : first) << click;
    }
}

// The wait dialog as the medium's texts make it: the whole text in its label, in every
// language the demo medium has, centred, titled for the user.
TEST_F(QtStartPageTest, WaitDialogShowsItsWholeTextInEveryDemoLanguage) {
    ProfileReader reader;  // the medium's own string.ini files
    Ports().profile = &reader;
    theApp.SetModel(8);
    for (int language : {1, 2, 3}) {
        for (const char* key : {kRebootKeySsid, kRebootKeyWpa, kRebootKeyFirmware}) {
            SCOPED_TRACE(std::to_string(language) + " " + key);
            theApp.SetLanguage(language);
            theApp.m_pszRebootKey = key;
            CZavroWait wait;
            QString text, title;
            int needed = 0, height = -1;
            QRect box, area;
            QTimer::singleShot(0, [&] {
                auto& window = static_cast<qtui::QtWindow&>(*wait.Window());
                auto* label = qobject_cast<QLabel*>(window.ControlWidget(1061));
                if (label != nullptr) {
                    text = label->text();
                    needed = label->heightForWidth(label->width());
                    height = label->height();
                }
                title = window.Widget()->windowTitle();
                box = window.Widget()->geometry();
                area = window.Widget()->screen()->availableGeometry();
                window.EndModal(1);
            });
            EXPECT_EQ(wait.DoModal(), 1);
            EXPECT_FALSE(text.isEmpty());
            EXPECT_NE(text.toStdString(), key);
            EXPECT_LE(needed, height) << text.toStdString();
            EXPECT_EQ(title, QStringLiteral("Zavro"));
            EXPECT_LE(std::abs(box.center().x() - area.center().x()), 1);
            EXPECT_LE(std::abs(box.center().y() - area.center().y()), 1);
        }
    }
}

}  // namespace
}  // namespace zavro
