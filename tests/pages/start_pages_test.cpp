// The hub and the two pure skinned pages on the fake UI.
#include <gtest/gtest.h>

#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "support/TestEnv.h"
#include "ui/ButtonST.h"
#include "ui/Page.h"

namespace zavro {
namespace {

class StartPages : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* n : {"02.jpg", "03.jpg"}) env.AddPicture(1, n, 0xFF3366AAu);
        hub = std::make_unique<CZavroDlg>();
        hub->OnInitDialog();
        env.ui.RunPending();
    }
    test::FakeWindow& Top() {
        test::FakeWindow* w = env.ui.Top();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    test::TestEnv env;
    std::unique_ptr<CZavroDlg> hub;
};

TEST_F(StartPages, HubOpensTheWizardStartPageCentred) {
    EXPECT_EQ(theApp.m_hHubWnd, hub.get());
    test::FakeWindow& w = Top();
    EXPECT_EQ(w.Title(), "CZavroWizard");
    EXPECT_FALSE(w.Style().modalFrame);
    // Work area 1280x1000: the page sits 800x600 in its centre.
    EXPECT_EQ(w.Geometry(), (Rect{240, 200, 800, 600}));
    EXPECT_EQ(w.Background().width, 800);
    // A page moved by other means jumps back at its next paint.
    w.SetGeometry({5, 5, 300, 200});
    w.Paint();
    EXPECT_EQ(w.Geometry(), (Rect{240, 200, 800, 600}));
    // Every hotspot at its pixel rectangle.
    const std::pair<int, Rect> rects[] = {{1009, {14, 22, 79, 75}},    {1010, {101, 22, 90, 75}},
                                          {1012, {486, 22, 111, 75}},  {1011, {601, 22, 95, 75}},
                                          {1008, {710, 22, 70, 75}},   {1003, {520, 550, 138, 40}},
                                          {1004, {673, 550, 124, 40}}, {1013, {618, 492, 53, 26}}};
    for (const auto& [id, r] : rects) EXPECT_EQ(w.ControlRect(id), r) << id;
}

TEST_F(StartPages, HotspotFaceIsThePictureUnderItWithFrames) {
    test::FakeWindow& w = Top();
    const test::FakeControl* next = w.Control(1013);
    ASSERT_NE(next, nullptr);
    // At rest the face is exactly the picture under it: invisible.
    ASSERT_EQ(next->face.width, 53);
    EXPECT_EQ(next->face.At(0, 0), 0xFF3366AAu);
    EXPECT_EQ(next->face.At(26, 13), 0xFF3366AAu);
    // The dark corner block of the test picture shows through the menu hotspot.
    EXPECT_EQ(w.Control(1009)->face.At(0, 0), 0xFF101010u);

    w.Events()->OnHotState(1013, HotState::Hover);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), kColorBtnHighlight);
    EXPECT_EQ(w.Control(1013)->face.At(52, 25), kColorBtnShadow);
    EXPECT_EQ(w.Control(1013)->face.At(26, 13), 0xFF3366AAu);
    w.Events()->OnHotState(1013, HotState::Pressed);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), kColorBtnShadow);
    EXPECT_EQ(w.Control(1013)->face.At(52, 25), kColorBtnHighlight);
    w.Events()->OnHotState(1013, HotState::Normal);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), 0xFF3366AAu);
}

TEST_F(StartPages, HandCursorOnlyOverListedHotspots) {
    test::FakeWindow& w = Top();
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012, 1013})
        EXPECT_EQ(w.CursorOver(id), CursorShape::Hand) << id;
    EXPECT_EQ(w.CursorOver(0), CursorShape::Arrow);
    EXPECT_EQ(w.CursorOver(1014), CursorShape::Arrow);
}

// The keyboard alone: the page opens on Next, Tab walks the hotspots in reading order,
// the focus frame shows once the keys are used, Escape does nothing, Enter clicks.
TEST_F(StartPages, KeyboardWalksAndActsOnHotspots) {
    test::FakeWindow& w = Top();
    EXPECT_EQ(w.TabOrder(), (std::vector<int>{1009, 1010, 1012, 1011, 1008, 1013, 1003, 1004}));
    EXPECT_EQ(w.Focus(), 1013);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), 0xFF3366AAu);  // no frame before a key
    EXPECT_TRUE(w.PressKey(Key::Escape));
    EXPECT_FALSE(w.PressKey(Key::Other));
    EXPECT_EQ(env.ui.Top(), &w);

    EXPECT_FALSE(w.PressKey(Key::Tab));  // the window moves the focus on
    w.Focus(1003);
    const Image& face = w.Control(1003)->face;
    EXPECT_EQ(face.At(0, 0), kColorFocusOuter);
    EXPECT_EQ(face.At(1, 20), kColorFocusInner);
    EXPECT_EQ(face.At(137, 39), kColorFocusOuter);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), 0xFF3366AAu);  // the frame left Next
    // Hover and focus frames differ: the hover frame shows on an unfocused hotspot only.
    w.Events()->OnHotState(1013, HotState::Hover);
    EXPECT_EQ(w.Control(1013)->face.At(0, 0), kColorBtnHighlight);
    w.Events()->OnHotState(1003, HotState::Hover);
    EXPECT_EQ(w.Control(1003)->face.At(0, 0), kColorFocusOuter);

    // Space on a hotspot is its click; Enter as well.
    w.SetFocus(1011);
    EXPECT_TRUE(w.PressKey(Key::Space));
    EXPECT_EQ(env.shell.Calls().size(), 1u);
    EXPECT_EQ(env.ui.Top(), &w);
    w.SetFocus(1013);
    EXPECT_TRUE(w.PressKey(Key::Enter));
    EXPECT_NE(env.ui.Top(), &w);
}

TEST_F(StartPages, ExitHotspotEndsWithCodeOne) {
    ASSERT_TRUE(Top().Click(1008));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
    EXPECT_EQ(env.ui.Top(), nullptr);  // the page closed itself first
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST_F(StartPages, MenuHotspotStartsAutoRunFromTheBaseFolder) {
    ASSERT_TRUE(Top().Click(1009));
    const auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, env.root.string() + "/AutoRun");
    EXPECT_EQ(calls[0].parameters, "");
    EXPECT_EQ(calls[0].folder, "");
    EXPECT_EQ(calls[0].mode, ShowMode::Normal);
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
    EXPECT_EQ(env.ui.Top(), nullptr);

    // A missing menu program changes nothing: still exit code 1, no message.
    env.shell.executeResult = 2;
    hub->OnMessage(WM_PAGE_WIZARD);
    ASSERT_TRUE(Top().Click(1009));
    EXPECT_EQ(env.system.Exits(), (std::vector<int>{1, 1}));
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST_F(StartPages, QuickGuideTwiceKeepsThePage) {
    test::FakeWindow* before = env.ui.Top();
    ASSERT_TRUE(Top().Click(1012));
    ASSERT_TRUE(Top().Click(1012));
    EXPECT_EQ(env.ui.Top(), before);
    const auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& c : calls) {
        EXPECT_EQ(c.file, "QX-3150_QIG_EN.pdf");
        EXPECT_EQ(c.folder, env.programDir.string() + "/QIG");
    }
}

TEST_F(StartPages, DocumentOpenResultsShowTheirKeys) {
    const std::string ini = env.ImageDir() + "/1/string.ini|MESSAGE|";
    env.profile.values[ini + "out_of_memory"] = "memory";
    env.profile.values[ini + "not_found"] = "missing";
    env.profile.values[ini + "Adobe_Reader"] = "no viewer";
    const std::pair<long, std::vector<std::string>> cases[] = {
        {42, {}},         {33, {}},         {0, {"memory"}},
        {2, {"missing"}}, {3, {"missing"}}, {31, {"no viewer"}},
        {5, {}},          {32, {}}};
    for (const auto& [result, texts] : cases) {
        env.ui.ClearMessages();
        env.shell.executeResult = result;
        ASSERT_TRUE(Top().Click(1011));  // the product user manual
        EXPECT_EQ(env.ui.MessageTexts(), texts) << result;
        EXPECT_EQ(Top().Title(), "CZavroWizard");  // a failed open never closes a page
    }
    EXPECT_EQ(env.shell.Calls().back().file, "QX-3150n User Manual.pdf");
    EXPECT_EQ(env.shell.Calls().back().folder, env.programDir.string() + "/Manual");
}

TEST_F(StartPages, QuickGuideOutsideTheLanguageTableOpensNothing) {
    for (int language : {0, 17}) {
        theApp.SetLanguage(language);
        SendMessage(theApp.m_hHubWnd, WM_PAGE_QIG);
    }
    EXPECT_TRUE(env.shell.Calls().empty());
    EXPECT_TRUE(env.ui.Messages().empty());
    theApp.SetLanguage(16);
    SendMessage(theApp.m_hHubWnd, WM_PAGE_QIG);
    ASSERT_EQ(env.shell.Calls().size(), 1u);
    EXPECT_EQ(env.shell.Calls()[0].file, "QX-3150_QIG_CN.pdf");
}

TEST_F(StartPages, WebSiteHotspotKeepsThePage) {
    ASSERT_TRUE(Top().Click(1003));
    ASSERT_EQ(env.shell.Calls().size(), 1u);
    EXPECT_EQ(env.shell.Calls()[0].file, Ports().homeUrl);
    EXPECT_EQ(env.shell.Calls()[0].mode, ShowMode::Show);
    EXPECT_EQ(Top().Title(), "CZavroWizard");
}

TEST_F(StartPages, StartHotspotOpensAFreshStartPageAndFreesTheOld) {
    ASSERT_TRUE(Top().Click(1010));
    EXPECT_EQ(env.ui.History(), (std::vector<std::string>{"CZavroWizard", "CZavroWizard"}));
    EXPECT_EQ(env.ui.Windows().size(), 1u);
    EXPECT_EQ(hub->PageCount(), 1u);  // the closed page was freed after its click
}

TEST_F(StartPages, ContactPageAndBack) {
    ASSERT_TRUE(Top().Click(1004));
    test::FakeWindow& contact = Top();
    EXPECT_EQ(contact.Title(), "CZavroContact");
    // Painting placed the hotspots at their pixels.
    EXPECT_EQ(contact.ControlRect(1004), (Rect{673, 550, 124, 40}));
    EXPECT_EQ(contact.ControlRect(1010), (Rect{101, 22, 90, 75}));
    EXPECT_FALSE(contact.HasControl(1013));
    for (int id : {1003, 1004, 1008, 1009, 1010, 1011, 1012})
        EXPECT_EQ(contact.CursorOver(id), CursorShape::Hand) << id;
    ASSERT_TRUE(contact.Click(1004));  // the contact page's own contact hotspot
    ASSERT_EQ(Top().Title(), "CZavroContact");
    ASSERT_TRUE(Top().Click(1010));
    EXPECT_EQ(Top().Title(), "CZavroWizard");
    EXPECT_EQ(hub->PageCount(), 1u);
}

TEST_F(StartPages, ContactPageCommonHotspots) {
    ASSERT_TRUE(Top().Click(1004));
    ASSERT_TRUE(Top().Click(1012));
    ASSERT_TRUE(Top().Click(1011));
    ASSERT_TRUE(Top().Click(1003));
    ASSERT_EQ(env.shell.Calls().size(), 3u);
    EXPECT_EQ(env.shell.Calls()[0].file, "QX-3150_QIG_EN.pdf");
    EXPECT_EQ(env.shell.Calls()[1].file, "QX-3150n User Manual.pdf");
    EXPECT_EQ(env.shell.Calls()[2].file, Ports().homeUrl);
    EXPECT_EQ(Top().Title(), "CZavroContact");
    ASSERT_TRUE(Top().Click(1008));
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

TEST_F(StartPages, HubLanguageRefreshedOnlyByTheStartMessage) {
    theApp.SetLanguage(2);
    env.AddPicture(2, "02.jpg");
    env.AddPicture(2, "03.jpg");
    hub->OnMessage(WM_PAGE_CONTACT);
    EXPECT_EQ(hub->m_nLanguage, 1);
    hub->OnMessage(WM_PAGE_WIZARD);
    EXPECT_EQ(hub->m_nLanguage, 2);
}

TEST_F(StartPages, ManualMessageOpensTheChosenModelsManualInTheHubLanguage) {
    theApp.SetModelChosen(TRUE);
    const std::pair<int, const char*> variants[] = {
        {1, "QX-3150N_Manual.pdf"}, {2, "QX-3150n_Manual.pdf"}, {3, "QX-3150nS_Manual.pdf"}};
    theApp.SetLanguage(5);  // the hub keeps the language of its last start message
    for (const auto& [variant, file] : variants) {
        theApp.m_nModelVariant = variant;
        hub->OnMessage(WM_PAGE_MANUAL);
        EXPECT_EQ(env.shell.Calls().back().file, file);
        EXPECT_EQ(env.shell.Calls().back().folder, env.programDir.string() + "/Manual/1");
    }
    theApp.m_nModelVariant = 4;
    const auto before = env.shell.Calls().size();
    hub->OnMessage(WM_PAGE_MANUAL);
    EXPECT_EQ(env.shell.Calls().size(), before);
}

TEST_F(StartPages, ConnectionTypeForwardWithNoTypeDoesNothing) {
    const auto windows = env.ui.History().size();
    for (int type : {0, 7, -1}) {
        theApp.m_nConnectionType = type;
        hub->OnMessage(WM_PAGE_WANTYPE);
    }
    EXPECT_EQ(env.ui.History().size(), windows);
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST_F(StartPages, UnknownMessagesAreIgnored) {
    const auto windows = env.ui.History().size();
    EXPECT_EQ(hub->OnMessage(0x1234), 0);
    EXPECT_EQ(env.ui.History().size(), windows);
}

TEST(StartPagesMissingPicture, LoadImageErrorEndsWithCodeOne) {
    test::TestEnv env;
    env.profile.values[env.ImageDir() + "/1/string.ini|MESSAGE|load_image_error"] = "no picture";
    CZavroDlg hub;
    hub.OnInitDialog();  // no 03.jpg
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"no picture"});
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
}

TEST(StartPagesMissingPicture, FailedWindowShowsErrorCreatingDialog) {
    test::TestEnv env;
    env.AddPicture(1, "03.jpg");
    env.profile.values[env.ImageDir() + "/1/string.ini|MESSAGE|Error_creating_Dialog"] = "failed";
    env.ui.failCreate = true;
    CZavroDlg hub;
    hub.OnInitDialog();
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"failed"});
    EXPECT_TRUE(env.system.Exits().empty());  // the program keeps running, hidden
}

TEST(CheckHotspot, IconFollowsTheClicks) {
    CButtonST box(1014, true);
    box.SetIcon(166, 165);
    Image page(800, 600, 0xFF3366AAu);
    EXPECT_EQ(box.CurrentIcon(), 165);
    for (int clicks = 1; clicks <= 4; ++clicks) {
        box.OnClicked();
        EXPECT_EQ(box.CurrentIcon(), clicks % 2 ? 166 : 165) << clicks;
        EXPECT_EQ(box.GetCheck(), clicks % 2);
    }
    // The icon is drawn over the copied picture, centred.
    box.SetCheck(1);
    const Image face = box.Render(page, {443, 439, 23, 22});
    const Image& icon = LoadIconResource(166);
    const int ox = (23 - icon.width) / 2, oy = (22 - icon.height) / 2;
    EXPECT_EQ(face.At(ox + 1, oy + 1), icon.At(1, 1));
    EXPECT_EQ(face.At(0, 0), 0xFF3366AAu);
    // Checked and unchecked icons differ.
    EXPECT_NE(LoadIconResource(166).pixels, LoadIconResource(165).pixels);
}

TEST(CheckHotspot, DrawTransparentCopiesThePictureAnew) {
    CButtonST b(1013, false);
    Image page(100, 100, 0xFF000001u);
    EXPECT_EQ(b.Render(page, {10, 10, 5, 5}).At(2, 2), 0xFF000001u);
    page.Fill({0, 0, 100, 100}, 0xFF000002u);
    EXPECT_EQ(b.Render(page, {10, 10, 5, 5}).At(2, 2), 0xFF000001u);  // kept copy
    b.DrawTransparent();
    EXPECT_EQ(b.Render(page, {10, 10, 5, 5}).At(2, 2), 0xFF000002u);
}

}  // namespace
}  // namespace zavro
