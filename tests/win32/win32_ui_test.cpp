// The Win32 UI toolkit adapter under Wine's null graphics driver, driven by the window
// messages that the mouse, the keyboard and worker threads produce.
#include "platform/win32/Win32Ui.h"
// Before windows.h, whose CreateWindow and MessageBox macros would rename the port's methods.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>
#undef CreateWindow
#undef MessageBox

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32System.h"
#include "support/FakeEvents.h"

namespace zavro::win32 {
namespace {

using Recorder = test::FakeEvents;

class Win32UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = ui.CreateWindow(events, {100, 80, 800, 600}, {false, "CTestPage"});
        ASSERT_NE(window, nullptr);
        window->SetBackground(Image(800, 600, 0xFF336699u));
        window->Show(true);
        ui.Pump();
    }
    void TearDown() override {
        window.reset();
        ui.Pump();
    }
    HWND Control(int id) {
        auto state = ui.FindVisibleWindow("CTestPage");
        return state ? static_cast<HWND>(ControlHandle(*state, id)) : nullptr;
    }
    HWND Page() {
        auto state = ui.FindVisibleWindow("CTestPage");
        return state ? static_cast<HWND>(HwndOf(*state)) : nullptr;
    }
    static void Mouse(HWND h, UINT msg, int x, int y) {
        SendMessageW(h, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    static void Chars(HWND h, const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(h, WM_CHAR, c, 1);
    }

    Win32Toolkit ui;
    Recorder events;
    std::unique_ptr<IWindow> window;
};

TEST_F(Win32UiTest, PageIsABorderlessPopupOfTheGivenPlace) {
    HWND page = Page();
    ASSERT_NE(page, nullptr);
    const LONG_PTR style = GetWindowLongPtrW(page, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(window->Geometry(), (Rect{100, 80, 800, 600}));
    window->SetGeometry({10, 20, 800, 600});
    EXPECT_EQ(window->Geometry(), (Rect{10, 20, 800, 600}));
    EXPECT_TRUE(window->IsVisible());
    const int before = events.paints;
    window->Invalidate();
    UpdateWindow(page);
    EXPECT_GT(events.paints, before);  // the core recomputes before the picture is drawn
    const Rect area = window->WorkArea();
    EXPECT_GT(area.w, 0);
    EXPECT_GT(area.h, 0);
    window->Show(false);
    EXPECT_FALSE(window->IsVisible());

    // The icon given is the window's, large and small.
    EXPECT_EQ(SendMessageW(page, WM_GETICON, ICON_BIG, 0), 0);
    window->SetIcon(Image(32, 32, 0xFF0B5FA5u));
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(page, WM_GETICON, which, 0));
        ASSERT_NE(icon, nullptr) << which;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, 32);
        std::uint32_t pixel = 0;
        EXPECT_EQ(GetBitmapBits(info.hbmColor, sizeof pixel, &pixel), LONG{sizeof pixel});
        EXPECT_EQ(pixel & 0xFFFFFFu, 0x0B5FA5u);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

// Right end of the dark ink the page paints for a label of w by h pixels, in its rows from
// fromRow on (-1: none).
int InkRight(HWND page, HWND label, int id, int w, int h, int fromRow = 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = static_cast<UINT>(id);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = label;
    item.hDC = dc;
    item.rcItem = {0, 0, w, h};
    SendMessageW(page, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    int right = -1;
    const auto* px = static_cast<const std::uint32_t*>(bits);
    for (int y = fromRow; y < h; ++y)
        for (int x = right + 1; x < w; ++x) {
            const std::uint32_t p = px[y * w + x];
            if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 0x66) right = x;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return right;
}

TEST_F(Win32UiTest, LabelsShowAmpersandsAndWholeKeys) {
    // The summary's fields: every "&" is a character, never a mnemonic.
    window->CreateControl(1015, ControlKind::StaticText, {158, 364, 392, 23});
    window->SetText(1015, "AB&C");
    const int mnemonicWidth = InkRight(Page(), Control(1015), 1015, 392, 23);
    ASSERT_GT(mnemonicWidth, 0);
    window->SetText(1015, "A&B&&C&");
    EXPECT_GT(InkRight(Page(), Control(1015), 1015, 392, 23), mnemonicWidth + 4);
    EXPECT_EQ(window->GetText(1015), "A&B&&C&");

    // A 63-character key shows whole at the dialog font: it wraps within itself onto a
    // second line, the label growing downwards; its last character shows too.
    window->CreateControl(1075, ControlKind::StaticText, {243, 390, 309, 23});
    const std::string key = "Kq7&Wm2" + std::string(55, 'x') + "Z";
    window->SetText(1075, key.substr(0, 62));
    // The second line's end moves with the last character.
    const int shorter = InkRight(Page(), Control(1075), 1075, 309, 46, 20);
    window->SetText(1075, key);
    const int whole = InkRight(Page(), Control(1075), 1075, 309, 46, 20);
    EXPECT_GT(whole, 0);
    EXPECT_LT(whole, 309);
    EXPECT_NE(whole, shorter);
    RECT grown{};
    GetWindowRect(Control(1075), &grown);
    EXPECT_GT(grown.bottom - grown.top, 23);
}

TEST_F(Win32UiTest, HotspotReportsItsStatesAndClicksOnlyWhenReleasedOverItself) {
    window->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
    window->CreateControl(1020, ControlKind::Edit, {100, 100, 150, 20});
    HWND hot = Control(1013);
    HWND edit = Control(1020);
    ASSERT_TRUE(hot && edit);
    EXPECT_TRUE((GetWindowLongPtrW(hot, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW);
    window->SetFocus(1020);

    Mouse(hot, WM_MOUSEMOVE, 10, 10);
    Mouse(hot, WM_LBUTTONDOWN, 10, 10);
    Mouse(hot, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(events.hot,
              (std::vector<std::pair<int, HotState>>{
                  {1013, HotState::Hover}, {1013, HotState::Pressed}, {1013, HotState::Hover}}));
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    // A click never takes the focus from the field, even from a listed hotspot.
    window->SetTabOrder({1020, 1013});
    Mouse(hot, WM_LBUTTONDOWN, 10, 10);
    Mouse(hot, WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(events.Count(1020, Notify::KillFocus), 0);
    EXPECT_EQ(events.Count(1013, Notify::SetFocus), 0);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 2);

    // Pressed, dragged off and released outside: no click.
    Mouse(hot, WM_LBUTTONDOWN, 10, 10);
    Mouse(hot, WM_MOUSEMOVE, 200, 10);
    Mouse(hot, WM_LBUTTONUP, 200, 10);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 2);
    EXPECT_EQ(events.hot.back(), (std::pair<int, HotState>{1013, HotState::Normal}));

    // Disabled or hidden: the messages still arrive, but nothing is reported.
    window->EnableControl(1013, false);
    EXPECT_FALSE(window->IsControlEnabled(1013));
    SendMessageW(hot, BM_CLICK, 0, 0);
    window->EnableControl(1013, true);
    window->ShowControl(1013, false);
    EXPECT_FALSE(window->IsControlVisible(1013));
    SendMessageW(hot, BM_CLICK, 0, 0);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 2);
    window->ShowControl(1013, true);
    SendMessageW(hot, BM_CLICK, 0, 0);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 3);
}

// A page of the road as the core builds it: fields, then hotspots, one disabled.
class Win32KeyboardTest : public Win32UiTest {
protected:
    void SetUp() override {
        Win32UiTest::SetUp();
        // The next page, made and given its focus before it is shown.
        next = ui.CreateWindow(nextEvents, {100, 80, 800, 600}, {false, "CZavroPPPoE"});
        ASSERT_NE(next, nullptr);
        next->SetBackground(Image(800, 600, 0xFF336699u));
        next->CreateControl(1036, ControlKind::Edit, {100, 100, 150, 20});
        next->CreateControl(1037, ControlKind::PasswordEdit, {100, 130, 150, 20});
        next->CreateControl(1008, ControlKind::Hotspot, {700, 40, 60, 30});
        next->CreateControl(1016, ControlKind::Hotspot, {500, 500, 80, 30});
        next->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
        next->EnableControl(1008, false);
        next->SetTabOrder({1008, 1036, 1037, 1016, 1013});
        next->SetAccessibleText(0, "PPPoE", "Type the user name & password.");
        next->SetAccessibleText(1036, "User name", "");
        next->SetAccessibleText(1037, "Password", "");
        next->SetAccessibleText(1008, "Exit", "");
        next->SetAccessibleText(1016, "Back", "");
        next->SetAccessibleText(1013, "Next & go on", "");
        state = ui.LiveWindows().back();
    }
    HWND Of(int id) { return static_cast<HWND>(ControlHandle(*state, id)); }
    // A key as the keyboard gives it: through the queue to the focused window.
    void Press(UINT vk, bool shift = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
        ui.Pump();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    int Focused() { return next->FocusedControl(); }

    test::FakeEvents nextEvents;
    std::unique_ptr<IWindow> next;
    std::shared_ptr<WindowState> state;
};

TEST_F(Win32KeyboardTest, TabWalksTheOrderAndHotspotsReportTheirFocus) {
    // Before it is shown: the control the core chose, told to nobody yet.
    next->SetFocus(1013);
    EXPECT_EQ(Focused(), 1013);
    EXPECT_NE(GetFocus(), Of(1013));
    EXPECT_EQ(nextEvents.Count(1013, Notify::SetFocus), 0);
    next->Show(true);
    ui.Pump();
    EXPECT_EQ(GetFocus(), Of(1013));
    EXPECT_EQ(Focused(), 1013);
    EXPECT_EQ(nextEvents.Count(1013, Notify::SetFocus), 1);

    // Tab wraps past the disabled Exit to the first field, whose text it selects.
    next->SetText(1036, "1500");
    Press(VK_TAB);
    EXPECT_EQ(Focused(), 1036);
    EXPECT_EQ(nextEvents.Count(1013, Notify::KillFocus), 1);
    EXPECT_EQ(nextEvents.Count(1036, Notify::SetFocus), 1);
    DWORD from = 9, to = 0;
    SendMessageW(Of(1036), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 4u);
    // Space types in a field.
    Press(VK_SPACE);
    EXPECT_EQ(next->GetText(1036), " ");
    Press(VK_TAB);
    Press(VK_TAB);
    EXPECT_EQ(Focused(), 1016);
    EXPECT_EQ(nextEvents.Count(1016, Notify::SetFocus), 1);
    // Shift+Tab goes back; from the first, it wraps to the last (Exit enabled now).
    Press(VK_TAB, true);
    EXPECT_EQ(Focused(), 1037);
    Press(VK_TAB, true);
    Press(VK_TAB, true);
    EXPECT_EQ(Focused(), 1013);
    next->EnableControl(1008, true);
    next->ShowControl(1016, false);
    Press(VK_TAB);
    EXPECT_EQ(Focused(), 1008);
    Press(VK_TAB, true);
    EXPECT_EQ(Focused(), 1013);
    Press(VK_TAB, true);  // the hidden Back is skipped
    EXPECT_EQ(Focused(), 1037);
    Press(VK_TAB);

    // The core hears every key first; one it swallows moves nothing.
    nextEvents.keyDown = [](Key key) { return key == Key::Tab; };
    Press(VK_TAB);
    EXPECT_EQ(Focused(), 1013);
    // Enter and Space on a hotspot are the core's to click (through FocusedControl): the
    // button does not click as well.
    nextEvents.keyDown = [](Key) { return false; };
    Press(VK_SPACE);
    Press(VK_RETURN);
    EXPECT_EQ(nextEvents.Count(1013, Notify::Clicked), 0);
    EXPECT_EQ(nextEvents.keys, (std::vector<Key>{Key::Tab, Key::Space, Key::Tab, Key::Tab, Key::Tab,
                                                 Key::Tab, Key::Tab, Key::Tab, Key::Tab, Key::Tab,
                                                 Key::Tab, Key::Tab, Key::Space, Key::Enter}));

    // Back from a message box (any other window), the focus returns where it was.
    const int left = nextEvents.Count(1013, Notify::KillFocus);
    SetFocus(Page());
    EXPECT_EQ(nextEvents.Count(1013, Notify::KillFocus), left + 1);
    SetActiveWindow(static_cast<HWND>(HwndOf(*state)));
    EXPECT_EQ(GetFocus(), Of(1013));
}

// What a screen reader gets through oleacc: the page's name and text, its controls in Tab
// order, hotspots as push buttons it can press, a password field's name but not its text.
TEST_F(Win32KeyboardTest, ScreenReadersReadPushButtonsAndNamedFields) {
    next->Show(true);
    next->SetText(1037, "s3cret");
    ui.Pump();
    const auto text = [](BSTR b) {
        std::wstring t = b != nullptr ? b : L"(none)";
        SysFreeString(b);
        return Narrow(t);
    };
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    IAccessible* page = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(static_cast<HWND>(HwndOf(*state)), OBJID_CLIENT,
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&page)),
              S_OK);
    BSTR b = nullptr;
    page->get_accName(self, &b);
    EXPECT_EQ(text(b), "PPPoE");
    b = nullptr;
    page->get_accDescription(self, &b);
    EXPECT_EQ(text(b), "Type the user name & password.");

    VARIANT children[8];
    LONG got = 0;
    ASSERT_TRUE(SUCCEEDED(AccessibleChildren(page, 0, 8, children, &got)));
    std::vector<std::pair<std::string, LONG>> seen;
    for (LONG i = 0; i < got; ++i) {
        ASSERT_EQ(children[i].vt, VT_DISPATCH);
        IAccessible* child = nullptr;
        children[i].pdispVal->QueryInterface(__uuidof(IAccessible),
                                             reinterpret_cast<void**>(&child));
        children[i].pdispVal->Release();
        ASSERT_NE(child, nullptr);
        b = nullptr;
        child->get_accName(self, &b);
        VARIANT role{};
        child->get_accRole(self, &role);
        seen.emplace_back(text(b), role.lVal);
        if (i == 2) {  // the password: never read out
            b = nullptr;
            EXPECT_EQ(child->get_accValue(self, &b), E_ACCESSDENIED);
            EXPECT_EQ(b, nullptr);
        }
        child->Release();
    }
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, LONG>>{
                        {"Exit", ROLE_SYSTEM_PUSHBUTTON},
                        {"User name", ROLE_SYSTEM_TEXT},
                        {"Password", ROLE_SYSTEM_TEXT},
                        {"Back", ROLE_SYSTEM_PUSHBUTTON},
                        {"Next & go on", ROLE_SYSTEM_PUSHBUTTON}}));
    page->Release();

    // Asked of the focused window itself, as a reader does on a focus event; pressing it
    // clicks, with a mouse click's rules (a disabled one does nothing).
    next->SetAccessibleCheck(1013, 1);  // as the core tells of a ticked box
    for (const int id : {1013, 1008}) {
        IAccessible* button = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(Of(id), OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&button)),
                  S_OK);
        VARIANT role{};
        button->get_accRole(self, &role);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON) << id;
        VARIANT st{};
        button->get_accState(self, &st);
        EXPECT_EQ((st.lVal & STATE_SYSTEM_UNAVAILABLE) != 0, id == 1008) << id;
        EXPECT_EQ((st.lVal & STATE_SYSTEM_CHECKED) != 0, id == 1013) << id;
        EXPECT_EQ(button->accDoDefaultAction(self), S_OK);
        button->Release();
    }
    ui.Pump();
    EXPECT_EQ(nextEvents.Count(1013, Notify::Clicked), 1);
    EXPECT_EQ(nextEvents.Count(1008, Notify::Clicked), 0);
    EXPECT_EQ(nextEvents.Count(1013, Notify::SetFocus), 0);  // pressed, not focused
}

TEST_F(Win32UiTest, EditsKeepTheirLimitMaskAndReportOnlyTheUsersChanges) {
    window->CreateControl(1036, ControlKind::Edit, {100, 100, 150, 20});
    window->CreateControl(1037, ControlKind::PasswordEdit, {100, 130, 150, 20});
    HWND edit = Control(1036);
    HWND secret = Control(1037);
    EXPECT_TRUE(GetWindowLongPtrW(secret, GWL_STYLE) & ES_PASSWORD);
    EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD);

    window->SetLimit(1036, 5);
    Chars(edit, L"abcdefgh");
    EXPECT_EQ(window->GetText(1036), "abcde");
    EXPECT_GE(events.Count(1036, Notify::Changed), 1);
    const int changes = events.Count(1036, Notify::Changed);
    window->SetText(1036, "Caf\xC3\xA9");  // UTF-8 both ways
    EXPECT_EQ(window->GetText(1036), "Caf\xC3\xA9");
    EXPECT_EQ(events.Count(1036, Notify::Changed), changes);

    window->SetText(1037, "s3cret");
    EXPECT_EQ(window->GetText(1037), "s3cret");
    window->SetFocus(1036);
    window->SetFocus(1037);
    EXPECT_GE(events.Count(1036, Notify::KillFocus), 1);
    EXPECT_GE(events.Count(1037, Notify::SetFocus), 1);
}

TEST_F(Win32UiTest, IpAddressControlReadsBlankFieldsAsZeroAndReportsFieldChanges) {
    window->CreateControl(1032, ControlKind::IpAddress, {100, 100, 150, 20});
    HWND ip = Control(1032);
    wchar_t cls[32] = {};
    GetClassNameW(ip, cls, 32);
    EXPECT_STREQ(cls, WC_IPADDRESSW);
    EXPECT_EQ(window->GetText(1032), "0.0.0.0");
    window->SetText(1032, "10.1.2.254");
    EXPECT_EQ(window->GetText(1032), "10.1.2.254");
    window->SetText(1032, "300.1.1.1");  // no address: the control is cleared
    EXPECT_EQ(window->GetText(1032), "0.0.0.0");
    EXPECT_EQ(events.Count(1032, Notify::FieldChanged), 0);  // set by the program

    // The user types into the first (leftmost) field and leaves it.
    HWND field = nullptr;
    for (HWND child = GetWindow(ip, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT a, b;
        GetWindowRect(child, &a);
        if (field != nullptr) GetWindowRect(field, &b);
        if (field == nullptr || a.left < b.left) field = child;
    }
    ASSERT_NE(field, nullptr);
    SetFocus(field);
    Chars(field, L"192");
    SetFocus(Page());
    EXPECT_GE(events.Count(1032, Notify::FieldChanged), 1);
    EXPECT_EQ(window->GetText(1032), "192.0.0.0");
}

TEST_F(Win32UiTest, DropListSelectsWithoutReportingWhatTheProgramDoes) {
    window->CreateControl(1040, ControlKind::DropList, {100, 100, 150, 20});
    HWND list = Control(1040);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    window->SetItems(1040, {"Continuous", "Connect On Demand"});
    EXPECT_EQ(window->GetSelection(1040), -1);
    EXPECT_EQ(window->GetText(1040), "");
    window->SetSelection(1040, 1);
    EXPECT_EQ(window->GetSelection(1040), 1);
    EXPECT_EQ(window->GetText(1040), "Connect On Demand");
    window->SetSelection(1040, 7);
    EXPECT_EQ(window->GetSelection(1040), -1);
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 0);
    EXPECT_EQ(window->ControlRect(1040), (Rect{100, 100, 150, 20}));  // not the list's room
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(1040, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 1);
}

TEST_F(Win32UiTest, CursorIsTheCoresChoice) {
    window->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
    window->CreateControl(1014, ControlKind::Hotspot, {500, 500, 80, 30});
    window->ShowControl(1014, false);
    const HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
    const HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    auto over = [&](HWND h) {
        return SendMessageW(Page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    EXPECT_TRUE(over(Control(1013)));
    EXPECT_EQ(GetCursor(), hand);
    events.cursor = [](int) { return CursorShape::Arrow; };
    over(Control(1014));  // hidden: the page itself is under the mouse
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(events.cursorAsks, (std::vector<int>{1013, 0}));
}

// The one blocking operation: the work runs on a helper thread while this thread paints,
// lets Exit through, drops every other click and holds timers and posts for afterwards.
TEST_F(Win32UiTest, RunBlockingPaintsLetsExitThroughDropsInputAndHoldsDeliveries) {
    window->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
    window->CreateControl(1008, ControlKind::Hotspot, {700, 500, 80, 30});
    window->CreateControl(1036, ControlKind::Edit, {100, 100, 150, 20});
    HWND next = Control(1013);
    HWND exit = Control(1008);
    HWND edit = Control(1036);
    HWND page = Page();
    ASSERT_TRUE(next && exit && edit && page);
    const HCURSOR wait = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
    HANDLE painted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE exited = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    std::vector<std::string> order;  // what reached the core, in its order
    events.onTimer = [&](int id) { order.push_back("timer " + std::to_string(id)); };
    int frames = 0;  // an animation's frames play on during the wait
    events.onPosted = [&](unsigned m) {
        if (OnlyRepaints(m)) {
            ++frames;
            return;
        }
        order.push_back("post " + std::to_string(m));
    };
    int framesAtExit = -1;
    bool waitCursor = false;
    std::size_t deliveredAtExit = 99;
    bool inWait = false;
    events.onPaint = [&] {
        if (!inWait) return;
        inWait = false;
        // On this thread during the wait: timers start ticking, and the cursor is the wait's.
        window->SetTimer(5, 10);
        window->SetTimer(6, 10);
        SendMessageW(page, WM_SETCURSOR, reinterpret_cast<WPARAM>(next),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        waitCursor = GetCursor() == wait && ui.WaitCursorDepth() == 1;
        SetEvent(painted);
    };
    events.onControl = [&](int id, Notify code) {
        if (id != 1008 || code != Notify::Clicked) return;
        deliveredAtExit = order.size();
        framesAtExit = frames;
        window->KillTimer(6);  // killed while its ticks are held: none comes
        SetEvent(exited);
    };
    auto poster = window->Poster();
    DWORD paintWait = WAIT_TIMEOUT;
    DWORD exitWait = WAIT_TIMEOUT;
    const auto click = [](HWND h) {  // as the mouse does it, through the queue
        PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    // Exit has the keyboard focus: of the keys, only Enter and Space may reach the core.
    window->SetTabOrder({1036, 1013, 1008});
    window->SetFocus(1008);
    inWait = true;
    ui.RunBlocking([&] {
        poster->Post(0x401);
        poster->Post(kFirstRepaintMessage + 1);
        InvalidateRect(page, nullptr, FALSE);
        // Blocked until this thread's work is seen painted: no paint, no release.
        paintWait = WaitForSingleObject(painted, 5000);
        Sleep(300);  // timer 5 ticks many times meanwhile
        poster->Post(0x402);
        click(next);
        PostMessageW(next, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(exit, WM_KEYDOWN, VK_TAB, 1);  // the focus stays on Exit
        PostMessageW(exit, WM_KEYDOWN, 'A', 1);
        PostMessageW(exit, WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(edit, WM_CHAR, L'x', 1);  // the edit's notification goes unheard
        click(exit);
        exitWait = WaitForSingleObject(exited, 5000);
        // Pressed straight on the button, past the queue; released after the wait.
        SendMessageW(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    });
    CloseHandle(painted);
    CloseHandle(exited);
    EXPECT_EQ(paintWait, WAIT_OBJECT_0);  // painted while the work was blocked
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(exitWait, WAIT_OBJECT_0);  // Exit reached the core during the wait
    EXPECT_EQ(deliveredAtExit, 0u);      // while nothing else had
    EXPECT_EQ(framesAtExit, 1);          // but the animation's frame
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    EXPECT_TRUE(order.empty());  // held until the caller's event is done

    EXPECT_TRUE(ui.PumpUntil([&] { return events.posted.size() >= 2; }, 5000));
    window->KillTimer(5);
    ui.Pump();
    // In their order, once each: timer 5's many ticks are one, timer 6 was killed.
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 3),
              (std::vector<std::string>{"post 1025", "timer 5", "post 1026"}));
    for (std::size_t i = 3; i < order.size(); ++i) EXPECT_EQ(order[i], "timer 5");
    // Next heard nothing, then or afterwards; Exit showed its frame and was clicked once.
    SendMessageW(next, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 0);
    EXPECT_EQ(events.Count(1008, Notify::Clicked), 1);
    EXPECT_EQ(events.keys, std::vector<Key>{Key::Enter});
    EXPECT_EQ(GetFocus(), exit);
    EXPECT_EQ(events.Count(1036, Notify::Changed), 0);
    for (const auto& [id, state] : events.hot) EXPECT_EQ(id, 1008);
    EXPECT_NE(std::find(events.hot.begin(), events.hot.end(),
                        std::pair<int, HotState>{1008, HotState::Pressed}),
              events.hot.end());

    // Afterwards the page takes input again.
    SendMessageW(next, BM_CLICK, 0, 0);
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
}

TEST_F(Win32UiTest, KeysReachTheCoreFirstAndEnterEndsTheWaitDialog) {
    window->CreateControl(1036, ControlKind::Edit, {100, 100, 150, 20});
    PostMessageW(Control(1036), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(Control(1036), WM_KEYDOWN, 'A', 1);
    ui.Pump();
    EXPECT_EQ(events.keys, (std::vector<Key>{Key::Enter, Key::Other}));

    Recorder dialogEvents;
    auto dialog = ui.CreateWindow(dialogEvents, {300, 250, 240, 120}, {true, "CZavroWait"});
    const auto dialogState = ui.LiveWindows().back();
    HWND dialogHwnd = static_cast<HWND>(HwndOf(*dialogState));
    ASSERT_EQ(NameOf(*dialogState), "CZavroWait");
    wchar_t caption[32] = {};
    GetWindowTextW(dialogHwnd, caption, 32);
    EXPECT_STREQ(caption, L"Zavro");  // what the frame and the task bar show
    EXPECT_TRUE(GetWindowLongPtrW(dialogHwnd, GWL_STYLE) & WS_CAPTION);
    // A fixed-size box: its frame offers neither maximise nor minimise.
    EXPECT_EQ(GetWindowLongPtrW(dialogHwnd, GWL_STYLE) &
                  (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME),
              0);
    dialog->CreateControl(1060, ControlKind::PushButton, {80, 60, 80, 24});
    // The progress bar: 0..100, no text.
    dialog->CreateControl(1062, ControlKind::Progress, {10, 90, 220, 12});
    HWND bar = static_cast<HWND>(ControlHandle(*dialogState, 1062));
    wchar_t barClass[32] = {};
    GetClassNameW(bar, barClass, 32);
    EXPECT_STREQ(barClass, PROGRESS_CLASSW);
    dialog->SetProgress(1062, 40);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
    dialog->SetProgress(1062, 140);
    EXPECT_EQ(dialog->GetText(1062), "100");
    // What a screen reader reads of it.
    IAccessible* progress = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(bar, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&progress)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    progress->get_accRole(self, &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PROGRESSBAR);
    BSTR value = nullptr;
    progress->get_accValue(self, &value);
    EXPECT_STREQ(value, L"100%");
    SysFreeString(value);
    progress->Release();
    // Its label shows the whole wrapped text, though the core gave it room for less.
    dialog->CreateControl(1061, ControlKind::StaticText, {8, 10, 194, 26});
    const std::wstring text =
        L"De router start opnieuw op met de nieuwe beveiliging en de nieuwe netwerknaam. "
        L"Even geduld...";
    dialog->SetText(1061, Narrow(text));
    HWND label = static_cast<HWND>(ControlHandle(*dialogState, 1061));
    RECT needed{0, 0, 194, 0};
    HDC dc = GetDC(label);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, text.c_str(), -1, &needed, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    ReleaseDC(label, dc);
    RECT shown;
    GetClientRect(label, &shown);
    EXPECT_GT(needed.bottom, 26);  // more than two lines
    EXPECT_GE(shown.bottom, needed.bottom);
    EXPECT_EQ(dialog->ControlRect(1061), (Rect{8, 10, 194, 26}));
    // Escape swallowed by the core first; Tab and Space that it lets through do not end
    // the run, the Enter after them does.
    bool swallow = true;
    dialogEvents.keyDown = [&](Key) { return swallow; };
    PostMessageW(dialogHwnd, WM_KEYDOWN, VK_ESCAPE, 1);
    bool pageDisabled = false;
    dialogEvents.onTimer = [&](int) {
        pageDisabled = !IsWindowEnabled(Page());
        swallow = false;
        PostMessageW(dialogHwnd, WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(dialogHwnd, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageW(dialogHwnd, WM_KEYDOWN, VK_RETURN, 1);
        dialog->KillTimer(5);
    };
    dialog->SetTimer(5, 1);
    EXPECT_EQ(dialog->RunModal(), 1);
    EXPECT_TRUE(pageDisabled);  // modal to the pages
    EXPECT_EQ(dialogEvents.keys, (std::vector<Key>{Key::Escape, Key::Tab, Key::Space, Key::Enter}));
    EXPECT_TRUE(IsWindowEnabled(Page()));  // the pages take input again
    EXPECT_FALSE(dialog->IsVisible());

    // The dialog's own button ends it with the code the core chooses; closing it cancels.
    dialogEvents.onControl = [&](int id, Notify code) {
        if (id == 1060 && code == Notify::Clicked) dialog->EndModal(7);
    };
    dialogEvents.onTimer = [&](int) {
        dialog->KillTimer(5);
        SendMessageW(static_cast<HWND>(ControlHandle(*dialogState, 1060)), BM_CLICK, 0, 0);
    };
    dialog->SetTimer(5, 1);
    EXPECT_EQ(dialog->RunModal(), 7);
    dialogEvents.onTimer = [&](int) {
        dialog->KillTimer(5);
        PostMessageW(dialogHwnd, WM_CLOSE, 0, 0);
    };
    dialog->SetTimer(5, 1);
    EXPECT_EQ(dialog->RunModal(), 2);
    // Destroyed while it runs: the run ends with -1 and nothing is touched afterwards.
    dialogEvents.onTimer = [&](int) { dialog->Destroy(); };
    dialog->SetTimer(5, 1);
    EXPECT_EQ(dialog->RunModal(), -1);
}

TEST_F(Win32UiTest, TimersRepeatAtTheScaledIntervalUntilKilled) {
    _putenv_s("ZAVRO_TIME_SCALE", "0.001");  // 5 s become 5 ms
    window->SetTimer(11, 5000);
    window->SetTimer(22, 5000);
    window->SetTimer(22, 5000);  // restarting an id keeps one timer
    EXPECT_TRUE(ui.PumpUntil([&] { return events.timers.size() >= 6; }, 5000));
    window->KillTimer(11);
    window->KillTimer(22);
    ui.Pump();
    const std::size_t fired = events.timers.size();
    Sleep(30);
    ui.Pump();
    EXPECT_EQ(events.timers.size(), fired);
    _putenv_s("ZAVRO_TIME_SCALE", "");
}

TEST_F(Win32UiTest, PostedMessagesArriveOnTheUiThreadAndStopWithTheWindow) {
    auto poster = window->Poster();
    std::thread worker([&] { EXPECT_TRUE(poster->Post(0x48A)); });
    worker.join();
    EXPECT_TRUE(events.posted.empty());  // not before the UI thread's loop runs
    EXPECT_TRUE(ui.PumpUntil([&] { return !events.posted.empty(); }, 5000));
    EXPECT_EQ(events.posted, std::vector<unsigned>{0x48A});
    EXPECT_EQ(events.postedOn, std::vector<std::thread::id>{std::this_thread::get_id()});
    window->Destroy();
    EXPECT_FALSE(poster->Post(0x48B));  // a worker that outlived its page does no harm
    window->SetText(1, "ignored");      // and so does the core
    ui.Pump();
    EXPECT_EQ(events.posted.size(), 1u);
}

TEST_F(Win32UiTest, PageClosedFromItsOwnHandlerGoesOnceTheHandlerReturns) {
    window->CreateControl(1008, ControlKind::Hotspot, {600, 500, 80, 30});
    HWND page = Page();
    events.onControl = [&](int id, Notify) {
        if (id == 1008) window.reset();  // the core frees the page inside the click
    };
    SendMessageW(Control(1008), BM_CLICK, 0, 0);
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(IsWindow(page));  // its procedure was still on the stack
    ui.Pump();
    EXPECT_FALSE(IsWindow(page));
    EXPECT_TRUE(ui.LiveWindows().empty());
}

TEST_F(Win32UiTest, DeferredTasksRunAfterTheCurrentMessage) {
    std::vector<std::string> order;
    window->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
    events.onControl = [&](int, Notify) {
        ui.Defer([&] { order.push_back("deferred"); });
        order.push_back("click");
    };
    SendMessageW(Control(1013), BM_CLICK, 0, 0);
    EXPECT_EQ(order, std::vector<std::string>{"click"});
    ui.Pump();
    EXPECT_EQ(order, (std::vector<std::string>{"click", "deferred"}));
}

TEST(Win32ToolkitTest, MessageLogFilterAndQuit) {
    EXPECT_EQ(Win32Toolkit::DialogFilter("Binary files(*.bin)|*.bin|All files(*.*)|*.*||"),
              std::string("Binary files(*.bin)\0*.bin\0All files(*.*)\0*.*\0\0", 46));
    EXPECT_EQ(Win32Toolkit::DialogFilter("Text|*.txt"), std::string("Text\0*.txt\0", 11));

    const auto log = std::filesystem::temp_directory_path() / "zavro-win32-messages.log";
    std::filesystem::remove(log);
    _putenv_s("ZAVRO_MESSAGE_LOG", log.string().c_str());
    Win32Toolkit ui;
    ui.MessageBox("one\r\ntwo", "Zavro");
    std::thread([&] { ui.MessageBox("from a worker", "Zavro"); }).join();
    _putenv_s("ZAVRO_MESSAGE_LOG", "");
    std::ifstream in(log);
    std::string a, b;
    std::getline(in, a);
    std::getline(in, b);
    EXPECT_EQ(a, "Zavro\tone\\ntwo");
    EXPECT_EQ(b, "Zavro\tfrom a worker");

    ui.QueueFileAnswer("C:\\fw.bin");
    ui.QueueFileAnswer(std::nullopt);
    EXPECT_EQ(ui.OpenFileDialog("x|*.x||"), "C:\\fw.bin");
    EXPECT_EQ(ui.OpenFileDialog("x|*.x||"), std::nullopt);

    ui.Quit(5);
    ui.Pump();
    EXPECT_EQ(ui.Run(), 5);
}

TEST(Win32AutomationTest, ScriptClicksTypesChecksAndQuits) {
    Win32Toolkit ui;
    Recorder events;
    auto page = ui.CreateWindow(events, {0, 0, 800, 600}, {false, "CZavroPPPoE"});
    page->CreateControl(1036, ControlKind::Edit, {100, 100, 150, 20});
    page->CreateControl(1032, ControlKind::IpAddress, {100, 130, 150, 20});
    page->CreateControl(1013, ControlKind::Hotspot, {600, 500, 80, 30});
    page->CreateControl(1040, ControlKind::DropList, {100, 160, 150, 20});
    page->SetItems(1040, {"Continuous", "Connect On Demand"});
    page->SetText(1036, "old");
    page->Show(true);
    int failed = 0;
    Win32Automation script(
        ui,
        "# a comment\n"
        "await-window CZavroPPPoE 5000\n"
        "type 1036 alice@isp\n"
        "type 1032 10.1.2.3\n"
        "select 1040 1\n"
        "check-text 1036 alice@isp\n"
        "check-text 1032 10.1.2.3\n"
        "click 1013\n"
        "quit 3\n",
        [&](int code) {
            failed = code;
            ui.Quit(-failed);
        },
        false);
    script.Start();
    EXPECT_EQ(ui.Run(), 3);
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(page->GetText(1036), "alice@isp");  // the old text replaced
    EXPECT_EQ(events.Count(1013, Notify::Clicked), 1);
    EXPECT_EQ(events.Count(1040, Notify::SelChange), 1);
    EXPECT_GE(events.Count(1032, Notify::FieldChanged), 1);

    // A text that differs ends the script with 98; a window that never comes with 97.
    for (const auto& [text, code] : {std::pair{"check-text 1036 bob\nquit 0\n", 98},
                                     std::pair{"await-window Nowhere 50\nquit 0\n", 97}}) {
        failed = 0;
        Win32Automation bad(
            ui, text,
            [&](int c) {
                failed = c;
                ui.Quit(-c);
            },
            false);
        bad.Start();
        EXPECT_EQ(ui.Run(), -code);
        EXPECT_EQ(failed, code);
    }
}

}  // namespace
}  // namespace zavro::win32
