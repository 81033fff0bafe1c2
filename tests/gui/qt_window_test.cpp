// Page windows of the Qt adapter: frame, painting, hotspots, cursor, keys, modal runs,
// timers, posted messages and destruction.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <thread>

#include "GuiSupport.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/QtWindow.h"

namespace zavro {
namespace {

using test::FakeEvents;
using test::Pump;

constexpr std::uint32_t kBack = 0xFF203040u;
constexpr std::uint32_t kFace = 0xFFE01010u;

class QtWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<IWindow> Page(const Rect& r = {0, 0, 800, 600},
                                  std::string title = "CZavroTest") {
        return ui.CreateWindow(events, r, WindowStyle{false, std::move(title)});
    }
    static qtui::PageWidget* W(IWindow& w) { return static_cast<qtui::QtWindow&>(w).Widget(); }
    static QWidget* C(IWindow& w, int id) {
        return static_cast<qtui::QtWindow&>(w).ControlWidget(id);
    }

    QtToolkit ui;
    FakeEvents events;
};

TEST_F(QtWindowTest, PageIsFramelessAtTheGivenRectAndCarriesItsTitle) {
    auto page = Page({12, 34, 800, 600}, "CZavroWizard");
    qtui::PageWidget* w = W(*page);
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    // The task bar shows the product; the class name stays for automation.
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zavro"));
    EXPECT_EQ(w->objectName(), QStringLiteral("CZavroWizard"));
    EXPECT_EQ(page->Geometry(), (Rect{12, 34, 800, 600}));
    page->Show(true);
    EXPECT_TRUE(page->IsVisible());
    EXPECT_EQ(w->geometry(), QRect(12, 34, 800, 600));
    page->SetGeometry({0, 0, 800, 600});
    EXPECT_EQ(page->Geometry(), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(w->size(), w->minimumSize());  // fixed: the user cannot resize a page
    EXPECT_EQ(w->size(), w->maximumSize());

    auto dialog = ui.CreateWindow(events, {100, 100, 177, 72}, WindowStyle{true, "CZavroWait"});
    EXPECT_FALSE(W(*dialog)->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(W(*dialog)->windowFlags().testFlag(Qt::WindowTitleHint));
    EXPECT_EQ(W(*dialog)->size(), QSize(177, 72));
    EXPECT_FALSE(page->WorkArea().w == 0);

    // The icon given is the window's, pixel for pixel.
    Image icon(32, 32, kBack);
    icon.Fill({4, 4, 8, 8}, kFace);
    for (IWindow* window : {page.get(), dialog.get()}) {
        window->SetIcon(icon);
        const QImage shown = W(*window)->windowIcon().pixmap(32, 32).toImage();
        ASSERT_EQ(shown.size(), QSize(32, 32));
        EXPECT_EQ(shown.pixel(5, 5), kFace);
        EXPECT_EQ(shown.pixel(20, 20), kBack);
    }
}

TEST_F(QtWindowTest, GrabShowsBackgroundAndHotspotFaceOnlyOnceSet) {
    auto page = Page();
    page->SetBackground(Image(800, 600, kBack));
    page->CreateControl(1013, ControlKind::Hotspot, {618, 492, 53, 26});

    QImage shot = QtToolkit::Grab(*page);
    ASSERT_EQ(shot.size(), QSize(800, 600));
    EXPECT_GE(events.paints, 1);             // the core was asked before drawing
    EXPECT_EQ(shot.pixel(630, 500), kBack);  // an unset hotspot is invisible
    page->SetFace(1013, Image(53, 26, kFace));
    shot = QtToolkit::Grab(*page);
    EXPECT_EQ(shot.pixel(618, 492), kFace);
    EXPECT_EQ(shot.pixel(670, 517), kFace);
    EXPECT_EQ(shot.pixel(617, 492), kBack);
    EXPECT_EQ(shot.pixel(10, 10), kBack);

    page->ShowControl(1013, false);
    EXPECT_EQ(QtToolkit::Grab(*page).pixel(630, 500), kBack);
}

TEST_F(QtWindowTest, PaintHandlerCallsDoNotRecurseOrLoop) {
    auto page = Page();
    page->CreateControl(1057, ControlKind::Animation, {234, 251, 333, 95});
    events.onPaint = [&] {
        // What a page does on every paint: recentre, reload the picture, refresh faces.
        page->SetGeometry({0, 0, 800, 600});
        page->SetBackground(Image(800, 600, kBack));
        page->SetFace(1057, Image(333, 95, kFace));
        page->Invalidate();
    };
    page->Show(true);
    Pump(3);
    const int afterShow = events.paints;
    EXPECT_GE(afterShow, 1);
    Pump(20);
    EXPECT_LE(events.paints - afterShow, 1);  // an idle window stops painting
    EXPECT_EQ(QtToolkit::Grab(*page).pixel(300, 300), kFace);
}

TEST_F(QtWindowTest, HotspotReportsHoverPressAndClick) {
    auto page = Page();
    page->CreateControl(1008, ControlKind::Hotspot, {710, 22, 70, 75});
    page->Show(true);
    QWidget* hot = C(*page, 1008);
    QTest::mouseMove(hot, QPoint(10, 10));
    QTest::mousePress(hot, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(hot, Qt::LeftButton, {}, QPoint(12, 12));
    const std::vector<std::pair<int, HotState>> expected = {
        {1008, HotState::Hover}, {1008, HotState::Pressed}, {1008, HotState::Hover}};
    EXPECT_EQ(events.hot, expected);
    EXPECT_EQ(events.Count(1008, Notify::Clicked), 1);

    // Pressed, then released outside: no click, and the face goes back to normal.
    events.hot.clear();
    QTest::mousePress(hot, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(hot, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_EQ(events.Count(1008, Notify::Clicked), 1);
    ASSERT_FALSE(events.hot.empty());
    EXPECT_EQ(events.hot.back(), std::make_pair(1008, HotState::Normal));
}

TEST_F(QtWindowTest, PagePlacedAwayFromAStillMouseDropsTheHoverFrame) {
    // A page opens where the last one was, the mouse over its Contact spot, and is then
    // placed elsewhere: the mouse is no longer over Contact.
    auto page = Page({0, 0, 800, 600});
    page->CreateControl(1004, ControlKind::Hotspot, {700, 550, 80, 30});
    page->CreateControl(1008, ControlKind::Hotspot, {710, 22, 70, 75});
    page->Show(true);
    QWidget* contact = C(*page, 1004);
    QCursor::setPos(contact->mapToGlobal(QPoint(10, 10)));
    QTest::mouseMove(contact, QPoint(10, 10));
    ASSERT_FALSE(events.hot.empty());
    ASSERT_EQ(events.hot.back(), std::make_pair(1004, HotState::Hover));
    page->SetGeometry({300, 200, 800, 600});
    Pump();
    EXPECT_EQ(events.hot.back(), std::make_pair(1004, HotState::Normal));

    // Placed so that the mouse stays over it: the frame stays.
    events.hot.clear();
    QCursor::setPos(contact->mapToGlobal(QPoint(10, 10)));
    QTest::mouseMove(contact, QPoint(10, 10));
    page->SetGeometry({301, 200, 800, 600});
    Pump();
    EXPECT_EQ(events.hot, (std::vector<std::pair<int, HotState>>{{1004, HotState::Hover}}));
}

TEST_F(QtWindowTest, HiddenOrDisabledHotspotTakesNoClick) {
    struct Case {
        const char* name;
        bool hide;
        bool disable;
    };
    for (const Case& c : {Case{"hidden", true, false}, Case{"disabled", false, true}}) {
        SCOPED_TRACE(c.name);
        FakeEvents local;
        auto page = ui.CreateWindow(local, {0, 0, 800, 600}, WindowStyle{false, "CZavroTest"});
        page->CreateControl(1015, ControlKind::Hotspot, {209, 22, 76, 75});
        page->Show(true);
        if (c.hide) page->ShowControl(1015, false);
        if (c.disable) page->EnableControl(1015, false);
        EXPECT_EQ(page->IsControlVisible(1015), !c.hide);
        EXPECT_EQ(page->IsControlEnabled(1015), !c.disable);
        QTest::mouseClick(W(*page), Qt::LeftButton, {}, QPoint(220, 40));
        QTest::mouseClick(C(*page, 1015), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(local.Count(1015, Notify::Clicked), 0);
        EXPECT_TRUE(local.hot.empty());
    }
}

TEST_F(QtWindowTest, CursorFollowsTheCoreOverControlsAndElsewhere) {
    auto page = Page();
    page->CreateControl(1003, ControlKind::Hotspot, {520, 550, 138, 40});
    page->CreateControl(1004, ControlKind::Hotspot, {673, 550, 124, 40});
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    page->Show(true);
    events.cursor = [](int id) {
        if (id == 1003) return CursorShape::Hand;
        if (id == 1004) return CursorShape::Wait;
        return CursorShape::Arrow;
    };
    QTest::mouseMove(C(*page, 1003), QPoint(5, 5));
    EXPECT_EQ(events.cursorAsks.back(), 1003);
    EXPECT_EQ(C(*page, 1003)->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(C(*page, 1004), QPoint(5, 5));
    EXPECT_EQ(events.cursorAsks.back(), 1004);
    EXPECT_EQ(C(*page, 1004)->cursor().shape(), Qt::WaitCursor);
    QTest::mouseMove(W(*page), QPoint(400, 300));
    EXPECT_EQ(events.cursorAsks.back(), 0);
    EXPECT_EQ(W(*page)->cursor().shape(), Qt::ArrowCursor);
    // The window decides over an edit field too, not the field's own text cursor.
    QTest::mouseMove(C(*page, 1030), QPoint(5, 5));
    EXPECT_EQ(events.cursorAsks.back(), 1030);
    EXPECT_EQ(C(*page, 1030)->cursor().shape(), Qt::ArrowCursor);
    // A disabled hotspot is not "under the mouse" for the core.
    page->EnableControl(1003, false);
    QTest::mouseMove(C(*page, 1003), QPoint(8, 8));
    EXPECT_EQ(events.cursorAsks.back(), 0);
}

TEST_F(QtWindowTest, EnterAndEscapeReachTheCoreFirstAndAreSwallowedWhenItSaysSo) {
    auto page = Page();
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    page->Show(true);
    auto* edit = static_cast<QLineEdit*>(C(*page, 1030));
    QSignalSpy returns(edit, &QLineEdit::returnPressed);

    events.keyDown = [](Key k) { return k != Key::Other; };  // what the skinned pages do
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(W(*page), Qt::Key_Enter);
    EXPECT_EQ(returns.count(), 0);
    EXPECT_EQ(events.keys, (std::vector<Key>{Key::Enter, Key::Escape, Key::Enter}));

    // Not swallowed: the field gets the key, and the core hears of it exactly once.
    events.keys.clear();
    events.keyDown = [](Key) { return false; };
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(returns.count(), 1);
    EXPECT_EQ(events.keys, (std::vector<Key>{Key::Enter}));

    // Other keys are reported too; typing goes on when the core lets it.
    events.keys.clear();
    QTest::keyClicks(edit, "ab");
    EXPECT_EQ(edit->text(), QStringLiteral("ab"));
    EXPECT_EQ(events.keys, (std::vector<Key>{Key::Other, Key::Other}));
    events.keyDown = [](Key) { return true; };
    QTest::keyClicks(edit, "cd");
    EXPECT_EQ(edit->text(), QStringLiteral("ab"));
}

TEST_F(QtWindowTest, UnswallowedEnterAndEscapeEndAModalRun) {
    struct Case {
        Qt::Key key;
        bool swallow;
        int expected;
    };
    for (const Case& c : {Case{Qt::Key_Return, false, 1}, Case{Qt::Key_Escape, false, 2},
                          Case{Qt::Key_Escape, true, 7}}) {
        SCOPED_TRACE(c.expected);
        FakeEvents local;
        auto dialog = ui.CreateWindow(local, {300, 250, 177, 72}, WindowStyle{true, "CZavroWait"});
        dialog->CreateControl(1061, ControlKind::StaticText, {6, 8, 166, 29});
        dialog->CreateControl(1060, ControlKind::PushButton, {51, 39, 72, 28});
        local.keyDown = [&](Key) { return c.swallow; };
        QTimer::singleShot(0, [&] {
            QTest::keyClick(W(*dialog), c.key);
            if (c.swallow) dialog->EndModal(7);  // the key did nothing; the core ends it
        });
        EXPECT_EQ(dialog->RunModal(), c.expected);
        EXPECT_FALSE(dialog->IsVisible());
    }
}

TEST_F(QtWindowTest, PushButtonEndsTheModalRunThroughTheCore) {
    auto dialog = ui.CreateWindow(events, {300, 250, 177, 72}, WindowStyle{true, "CZavroWait"});
    dialog->CreateControl(1060, ControlKind::PushButton, {51, 39, 72, 28});
    dialog->SetText(1060, "Reboot complete");
    events.onControl = [&](int id, Notify code) {
        if (id == 1060 && code == Notify::Clicked) dialog->EndModal(1);
    };
    QTimer::singleShot(0, [&] { QTest::mouseClick(C(*dialog, 1060), Qt::LeftButton); });
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_EQ(dialog->GetText(1060), "Reboot complete");
}

TEST_F(QtWindowTest, TimersRepeatAtTheScaledIntervalUntilKilled) {
    qputenv("ZAVRO_TIME_SCALE", "0.001");  // 50 s become 50 ms, 1 s becomes 1 ms
    auto page = Page();
    page->SetTimer(11, 1000);
    page->SetTimer(22, 1000);
    page->SetTimer(22, 1000);  // restarting an id keeps one timer
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.timers.size() >= 6; }, 5000));
    page->KillTimer(11);
    page->KillTimer(22);
    Pump();
    const std::size_t fired = events.timers.size();
    QTest::qWait(20);
    EXPECT_EQ(events.timers.size(), fired);
    EXPECT_NE(std::find(events.timers.begin(), events.timers.end(), 11), events.timers.end());
    EXPECT_NE(std::find(events.timers.begin(), events.timers.end(), 22), events.timers.end());
    qunsetenv("ZAVRO_TIME_SCALE");
}

TEST_F(QtWindowTest, PosterDeliversOnTheUiThreadAndDropsAfterDestroy) {
    auto page = Page();
    std::shared_ptr<IPoster> poster = page->Poster();
    EXPECT_EQ(poster, page->Poster());
    EXPECT_TRUE(poster->Post(0x48A));
    bool fromWorker = false;
    std::thread worker([&] { fromWorker = poster->Post(0x48B); });
    worker.join();
    EXPECT_TRUE(fromWorker);
    EXPECT_TRUE(events.posted.empty());  // queued, not called from inside Post
    Pump();
    EXPECT_EQ(events.posted, (std::vector<unsigned>{0x48A, 0x48B}));
    for (std::thread::id id : events.postedOn) EXPECT_EQ(id, std::this_thread::get_id());

    EXPECT_TRUE(poster->Post(0x48A));  // still queued when the window goes
    page->Destroy();
    EXPECT_FALSE(poster->Post(0x48B));
    Pump();
    EXPECT_EQ(events.posted.size(), 2u);
    page.reset();
    EXPECT_FALSE(poster->Post(0x48B));  // the worker may outlive the window object too
}

TEST_F(QtWindowTest, DestroyRemovesTheWidgetAndLaterCallsDoNothing) {
    auto page = Page();
    page->CreateControl(1030, ControlKind::Edit, {100, 100, 120, 21});
    page->SetText(1030, "kept");
    page->SetTimer(11, 1);
    page->Show(true);
    QPointer<QWidget> widget = W(*page);
    page->Destroy();
    EXPECT_TRUE(widget.isNull());
    EXPECT_FALSE(page->IsVisible());
    EXPECT_EQ(page->GetText(1030), "");
    page->CreateControl(1031, ControlKind::Edit, {0, 0, 10, 10});
    page->SetText(1031, "x");
    page->SetTimer(11, 1);
    page->Show(true);
    EXPECT_EQ(page->RunModal(), -1);
    EXPECT_EQ(page->Geometry(), Rect{});
    Pump();
    EXPECT_TRUE(events.timers.empty());
    EXPECT_TRUE(QtToolkit::Grab(*page).isNull());
}

TEST_F(QtWindowTest, ClickHandlerMayDestroyItsOwnWindow) {
    auto page = Page();
    page->CreateControl(1013, ControlKind::Hotspot, {618, 492, 53, 26});
    page->Show(true);
    QPointer<QWidget> widget = W(*page);
    QWidget* hot = C(*page, 1013);
    // What a page's Next does: close itself (the hub drops the page object) inside the click.
    events.onControl = [&](int, Notify) { page.reset(); };
    QTest::mouseClick(hot, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(page, nullptr);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    Pump();
    EXPECT_TRUE(widget.isNull());
}

TEST_F(QtWindowTest, UnknownControlIdsAreIgnored) {
    auto page = Page();
    page->SetText(999, "x");
    page->SetFace(999, Image(4, 4));
    page->SetItems(999, {"a"});
    page->MoveControl(999, {1, 2, 3, 4});
    page->ShowControl(999, true);
    page->SetFocus(999);
    EXPECT_EQ(page->GetText(999), "");
    EXPECT_EQ(page->GetSelection(999), -1);
    EXPECT_EQ(page->ControlRect(999), Rect{});
    EXPECT_FALSE(page->IsControlVisible(999));
    EXPECT_FALSE(page->IsControlEnabled(999));
}

}  // namespace
}  // namespace zavro
