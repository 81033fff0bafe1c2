#include "platform/win32/Win32Ui.h"

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <memory>
#include <set>
#include <type_traits>

#include "platform/posix/RunLogs.h"
#include "platform/posix/TimeScale.h"
#include "platform/win32/Win32Access.h"
#include "platform/win32/Win32Automation.h"
#include "platform/win32/Win32System.h"

// windows.h makes these two names macros; the port's methods carry them.
#undef CreateWindow
#undef MessageBox

namespace zavro::win32 {

namespace {

constexpr wchar_t kPageClass[] = L"ZavroPage";
constexpr wchar_t kMessageClass[] = L"ZavroMessages";
constexpr UINT kMsgPosted = WM_APP + 1;       // wParam: the port's message
constexpr UINT kMsgDestroySelf = WM_APP + 2;  // a window closed from inside its own handler
constexpr UINT kMsgDeferred = WM_APP + 3;     // on the message window: run deferred tasks
constexpr UINT_PTR kHeartbeatTimer = 0x5A57;  // on the message window
constexpr UINT_PTR kWaitTickTimer = 0x5A58;   // on the message window, during a wait
constexpr UINT kWaitTickMs = 250;
constexpr int kDropListExtra = 150;  // room for the opened list below a combo box

int g_callDepth = 0;  // calls into the core on the UI thread's stack
Win32Toolkit* g_toolkit = nullptr;

bool Busy() {
    return g_toolkit != nullptr && g_toolkit->Busy();
}

// While blocking work runs, keeps task for afterwards (true); otherwise false.
bool HoldWhileBusy(std::function<void()> task, std::uintptr_t key = 0) {
    return g_toolkit != nullptr && g_toolkit->Blocking().Hold(std::move(task), key);
}

struct Control {
    ControlKind kind = ControlKind::StaticText;
    HWND hwnd = nullptr;
    Rect rect;
    Image face;                      // Hotspot and Animation
    std::wstring text;               // StaticText, drawn by us over the picture
    std::optional<TextStyle> style;  // StaticText: the picture's text look
    HotState hot = HotState::Normal;
    bool pressed = false;
    bool tracking = false;
    std::wstring accessName;  // what screen readers call it
    int accessCheck = -1;     // a toggling hotspot's state; -1: none
};

struct PostGate {
    std::mutex mutex;
    HWND hwnd = nullptr;  // valid while alive
    bool alive = true;
};

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

RECT ToRECT(const Rect& r) {
    return RECT{r.x, r.y, r.x + (r.w < 0 ? 0 : r.w), r.y + (r.h < 0 ? 0 : r.h)};
}

// 0xAARRGGBB rows are a top-down 32-bit DIB as they stand. False: no whole picture.
bool DibOf(const Image& image, BITMAPINFO& info) {
    if (image.Empty() ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * image.height) {
        return false;
    }
    info = BITMAPINFO{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return true;
}

void DrawImage(HDC dc, int x, int y, const Image& image) {
    BITMAPINFO info;
    if (!DibOf(image, info)) return;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(image.width), static_cast<DWORD>(image.height),
                      0, 0, 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
                      DIB_RGB_COLORS);
}

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// A 32-bit icon from 0xAARRGGBB rows; the alpha channel is its mask.
IconHandle MakeIcon(const Image& image) {
    BITMAPINFO info;
    if (!DibOf(image, info)) return nullptr;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (colour == nullptr) return nullptr;
    std::copy(image.pixels.begin(), image.pixels.begin() + image.width * image.height,
              static_cast<std::uint32_t*>(bits));
    HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, nullptr);
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    icon.hbmMask = mask;
    IconHandle handle(mask != nullptr ? CreateIconIndirect(&icon) : nullptr);
    if (mask != nullptr) DeleteObject(mask);
    DeleteObject(colour);
    return handle;
}

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The font of a styled text; null: the dialog font.
FontHandle StyleFont(const std::optional<TextStyle>& style) {
    if (!style) return nullptr;
    LOGFONTW look{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof look, &look);
    if (style->pixelSize > 0) {
        look.lfHeight = -style->pixelSize;
        look.lfWidth = 0;
    }
    if (!style->family.empty()) {
        const std::wstring family = Widen(style->family);
        lstrcpynW(look.lfFaceName, family.c_str(), LF_FACESIZE);
    }
    look.lfQuality = CLEARTYPE_QUALITY;
    return FontHandle(CreateFontIndirectW(&look));
}

// Texts keep their size and wrap, a word wider than the line at any character.
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

HCURSOR CursorOf(CursorShape shape) {
    switch (shape) {
        case CursorShape::Hand:
            return LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
        case CursorShape::Wait:
            return LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
        case CursorShape::Arrow:
            break;
    }
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
}

std::wstring WindowTextOf(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n > 0 ? n : 0) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

// "a.b.c.d" with each part 0..255; nullopt for anything else.
std::optional<DWORD> ParseAddress(const std::string& text) {
    unsigned parts[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
        unsigned value = 0;
        int digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
            ++digits;
        }
        if (digits > 3 || value > 255) return std::nullopt;
        parts[i] = value;
        if (i < 3) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
    }
    if (at != text.size()) return std::nullopt;
    return MAKEIPADDRESS(parts[0], parts[1], parts[2], parts[3]);
}

}  // namespace

// One page window or wait dialog. The HWND keeps it alive too (GWLP_USERDATA), so a
// message that arrives after the core let go of the window finds it, marked dead.
struct WindowState {
    HWND hwnd = nullptr;
    IWindowEvents* events = nullptr;
    bool alive = true;
    bool modalFrame = false;
    std::string name;  // the page's class name, for automation and the timing log
    Image background;
    IconHandle icon;  // outlives the window that shows it
    std::map<int, Control> controls;
    std::set<int> timers;  // running: a tick held back during a wait checks it
    bool inPaint = false;
    bool paintLogged = false;
    bool modalRunning = false;
    bool modalDone = false;
    int modalCode = -1;
    int settingText = 0;        // programmatic changes in progress report nothing
    std::vector<int> tabOrder;  // empty: the dialog manager's order (the wait dialog)
    // The control that last had the focus or was given it: it gets the focus again
    // whenever the window is activated (shown, or back from a message box).
    int focusWanted = 0;
    std::wstring accessName, accessDescription;
    std::shared_ptr<PostGate> gate = std::make_shared<PostGate>();

    template <class F>
    void Call(F&& f) {
        if (!alive || events == nullptr) return;
        ++g_callDepth;
        f(*events);
        --g_callDepth;
    }
    // The page's answer: does a click on hotspot id end the program?
    bool EndsProgram(int id) {
        bool ends = false;
        Call([&](IWindowEvents& e) { ends = e.EndsProgram(id); });
        return ends;
    }
    void Report(int id, Notify code) {
        // While the program waits no page acts: only the hotspots that end it are heard.
        if (Busy() && !(EndsProgram(id) && code == Notify::Clicked)) return;
        Call([&](IWindowEvents& e) { e.OnControl(id, code); });
    }
    Control* Find(int id) {
        auto it = controls.find(id);
        return it == controls.end() || it->second.hwnd == nullptr ? nullptr : &it->second;
    }
    const Control* Find(int id) const { return const_cast<WindowState*>(this)->Find(id); }
    // The id of the control that hwnd is or lies in (an IP address field's edit), or 0.
    int IdOf(HWND child) const {
        while (child != nullptr && child != hwnd) {
            const HWND parent = GetParent(child);
            if (parent == hwnd) {
                const int id = GetDlgCtrlID(child);
                const Control* c = Find(id);
                return c != nullptr && c->hwnd == child ? id : 0;
            }
            child = parent;
        }
        return 0;
    }
    // The control that has the keyboard focus, or 0.
    int FocusedId() const {
        const HWND focus = GetFocus();
        return focus == nullptr ? 0 : IdOf(focus);
    }
    bool Usable(int id) const {
        const Control* c = Find(id);
        return c != nullptr && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd);
    }
};

namespace {

std::shared_ptr<WindowState> StateOf(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    auto* holder =
        reinterpret_cast<std::shared_ptr<WindowState>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    wchar_t cls[32] = {};
    if (holder == nullptr || GetClassNameW(hwnd, cls, 32) == 0 ||
        std::wstring_view(cls) != kPageClass) {
        return nullptr;
    }
    return *holder;
}

// What screen readers are told of a page window or of one of its controls.
AccessFacts AccessFactsOf(HWND h) {
    AccessFacts facts;
    const std::shared_ptr<WindowState> s = StateOf(GetAncestor(h, GA_ROOT));
    if (!s || !s->alive) return facts;
    if (h == s->hwnd) {
        facts.known = true;
        facts.name = s->accessName;
        facts.description = s->accessDescription;
        for (const int id : s->tabOrder)
            if (const Control* c = s->Find(id)) facts.children.push_back(c->hwnd);
        return facts;
    }
    const Control* c = s->Find(s->IdOf(h));
    if (c == nullptr) return facts;
    facts.known = true;
    facts.name = c->accessName;  // an address field's four parts read the field's name
    facts.pushButton = c->kind == ControlKind::Hotspot && c->hwnd == h;
    facts.checked = facts.pushButton ? c->accessCheck : -1;
    facts.secret = c->kind == ControlKind::PasswordEdit;
    if (c->kind == ControlKind::Progress)
        facts.percent = static_cast<int>(SendMessageW(c->hwnd, PBM_GETPOS, 0, 0));
    return facts;
}

// Fields answer screen readers with the name the core gave them.
LRESULT CALLBACK FieldProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_GETOBJECT) {
        if (const LRESULT answer = AnswerGetObject(h, wp, lp, AccessFactsOf)) return answer;
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(h, FieldProc, 0);
    }
    return DefSubclassProc(h, msg, wp, lp);
}

void SetHot(WindowState& s, int id, HotState state) {
    Control* c = s.Find(id);
    if (c == nullptr || c->hot == state) return;
    // While the program waits only the hotspots that end it show their frame; the others
    // keep their state, so the first move afterwards reports it.
    if (Busy() && !s.EndsProgram(id)) return;
    c->hot = state;
    if (!IsWindowVisible(c->hwnd)) return;
    s.Call([&](IWindowEvents& e) { e.OnHotState(id, state); });
}

// Mouse handling of a hotspot: the core draws the states, so the button itself only
// reports them; it never takes the focus (the pages' focus checks depend on that).
LRESULT CALLBACK HotspotProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    const std::shared_ptr<WindowState> s = StateOf(GetParent(h));
    const int id = GetDlgCtrlID(h);
    Control* c = s ? s->Find(id) : nullptr;
    if (c == nullptr || c->hwnd != h) return DefSubclassProc(h, msg, wp, lp);
    // A button message sent straight to the window bypasses the loop's input filter.
    if (Busy() && !s->EndsProgram(id) &&
        (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_LBUTTONUP)) {
        return 0;
    }
    RECT client;
    GetClientRect(h, &client);
    const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            // Only the Tab order and the core give a hotspot the focus.
            const LRESULT result = DefSubclassProc(h, msg, wp, lp);
            if (msg == WM_SETFOCUS) s->focusWanted = id;
            s->Report(id, msg == WM_SETFOCUS ? Notify::SetFocus : Notify::KillFocus);
            return result;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            // The core clicks the focused hotspot on the space bar: the button must not too.
            if (wp == VK_SPACE) return 0;
            break;
        case WM_CHAR:
            if (wp == L' ') return 0;
            break;
        case WM_GETOBJECT:
            if (const LRESULT answer = AnswerGetObject(h, wp, lp, AccessFactsOf)) return answer;
            break;
        case WM_MOUSEMOVE: {
            if (!c->tracking) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, h, 0};
                c->tracking = TrackMouseEvent(&track) != FALSE;
            }
            const bool inside = PtInRect(&client, at) != FALSE;
            SetHot(*s, id,
                   c->pressed ? (inside ? HotState::Pressed : HotState::Normal) : HotState::Hover);
            return 0;
        }
        case WM_MOUSELEAVE:
            c->tracking = false;
            if (!c->pressed) SetHot(*s, id, HotState::Normal);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            c->pressed = true;
            SetCapture(h);
            SetHot(*s, id, HotState::Pressed);
            return 0;
        case WM_LBUTTONUP: {
            if (!c->pressed) return 0;
            c->pressed = false;
            ReleaseCapture();
            const bool inside = PtInRect(&client, at) != FALSE;
            SetHot(*s, id, inside ? HotState::Hover : HotState::Normal);
            if (inside && s->alive && IsWindowVisible(h) && IsWindowEnabled(h)) {
                s->Report(id, Notify::Clicked);
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (c->pressed && reinterpret_cast<HWND>(lp) != h) {
                c->pressed = false;
                SetHot(*s, id, HotState::Normal);
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(h, HotspotProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

void PaintControl(const WindowState& s, const DRAWITEMSTRUCT& item) {
    const Control* c = s.Find(static_cast<int>(item.CtlID));
    if (c == nullptr) return;
    const RECT& rc = item.rcItem;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    // The piece of picture under the control first: faces and texts lie over it.
    if (s.background.Empty()) {
        FillRect(item.hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));  // the wait dialog
    } else if (c->kind != ControlKind::Hotspot || c->face.Empty()) {
        DrawImage(item.hDC, rc.left, rc.top, s.background.Crop({c->rect.x, c->rect.y, w, h}));
    }
    if (!c->face.Empty()) DrawImage(item.hDC, rc.left, rc.top, c->face);
    if (c->kind == ControlKind::StaticText && !c->text.empty()) {
        RECT box = rc;
        const int mode = SetBkMode(item.hDC, TRANSPARENT);
        const FontHandle styled = StyleFont(c->style);
        const HGDIOBJ font = SelectObject(item.hDC, styled ? static_cast<HGDIOBJ>(styled.get())
                                                           : GetStockObject(DEFAULT_GUI_FONT));
        const std::uint32_t rgb = c->style ? c->style->rgb : 0;
        const COLORREF colour =
            SetTextColor(item.hDC, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
        DrawTextW(item.hDC, c->text.c_str(), static_cast<int>(c->text.size()), &box, kTextFormat);
        SetTextColor(item.hDC, colour);
        SelectObject(item.hDC, font);
        SetBkMode(item.hDC, mode);
    }
}

void PaintPage(WindowState& s, HWND hwnd) {
    if (!s.inPaint) {
        s.inPaint = true;
        s.Call([](IWindowEvents& e) { e.OnPaint(); });
        s.inPaint = false;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    if (s.background.Empty()) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        DrawImage(dc, 0, 0, s.background);
        // Beyond a smaller picture: the dialog colour, not garbage.
        RECT right{s.background.width, 0, client.right, client.bottom};
        RECT below{0, s.background.height, client.right, client.bottom};
        if (right.left < right.right) FillRect(dc, &right, GetSysColorBrush(COLOR_BTNFACE));
        if (below.top < below.bottom) FillRect(dc, &below, GetSysColorBrush(COLOR_BTNFACE));
        if (!s.paintLogged && s.alive) {
            s.paintLogged = true;
            LogTiming("paint", s.name);
        }
    }
    EndPaint(hwnd, &ps);
}

void HandleCommand(WindowState& s, int id, int code) {
    Control* c = s.Find(id);
    if (c == nullptr) return;
    switch (c->kind) {
        case ControlKind::Hotspot:  // reported by HotspotProc
            break;
        case ControlKind::PushButton:
            if (code == BN_CLICKED) s.Report(id, Notify::Clicked);
            break;
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
            if (code == EN_CHANGE && s.settingText == 0) s.Report(id, Notify::Changed);
            if (code == EN_SETFOCUS) s.focusWanted = id;
            if (code == EN_SETFOCUS) s.Report(id, Notify::SetFocus);
            if (code == EN_KILLFOCUS) s.Report(id, Notify::KillFocus);
            break;
        case ControlKind::IpAddress:
            if (code == EN_SETFOCUS) s.focusWanted = id;
            if (code == EN_SETFOCUS) s.Report(id, Notify::SetFocus);
            if (code == EN_KILLFOCUS) s.Report(id, Notify::KillFocus);
            break;
        case ControlKind::DropList:
            if (code == CBN_SELCHANGE && s.settingText == 0) s.Report(id, Notify::SelChange);
            if (code == CBN_SETFOCUS) s.focusWanted = id;
            if (code == CBN_SETFOCUS) s.Report(id, Notify::SetFocus);
            if (code == CBN_KILLFOCUS) s.Report(id, Notify::KillFocus);
            break;
        case ControlKind::StaticText:
        case ControlKind::Animation:
        case ControlKind::Progress:
            break;
    }
}

// A text too long for its rectangle grows the label downwards, within the window, until
// the wrapped text shows whole (the pictures leave room below such labels).
void FitLabel(const WindowState& s, const Control& c) {
    if (c.kind != ControlKind::StaticText || s.hwnd == nullptr) return;
    int height = c.rect.h;
    if (!c.text.empty()) {
        HDC dc = GetDC(c.hwnd);
        const FontHandle styled = StyleFont(c.style);
        const HGDIOBJ font = SelectObject(
            dc, styled ? static_cast<HGDIOBJ>(styled.get()) : GetStockObject(DEFAULT_GUI_FONT));
        RECT box{0, 0, c.rect.w, 0};
        DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &box,
                  kTextFormat | DT_CALCRECT);
        SelectObject(dc, font);
        ReleaseDC(c.hwnd, dc);
        RECT client;
        GetClientRect(s.hwnd, &client);
        height = std::max(height, std::min<int>(box.bottom, client.bottom - c.rect.y));
    }
    SetWindowPos(c.hwnd, nullptr, 0, 0, c.rect.w, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Timers and posted messages of a page, held back while blocking work runs.
void DeliverTimer(const std::shared_ptr<WindowState>& s, int id) {
    if (!s->alive || s->hwnd == nullptr || !s->timers.contains(id)) return;  // killed meanwhile
    // One pending tick per timer, as the message queue keeps it. Handles fit in 32 bits.
    const auto key =
        (static_cast<std::uintptr_t>(reinterpret_cast<std::uintptr_t>(s->hwnd)) << 32) |
        static_cast<std::uint32_t>(id);
    if (HoldWhileBusy([s, id] { DeliverTimer(s, id); }, key)) return;
    s->Call([id](IWindowEvents& e) { e.OnTimer(id); });
}

void DeliverPosted(const std::shared_ptr<WindowState>& s, unsigned message) {
    if (!OnlyRepaints(message) && HoldWhileBusy([s, message] { DeliverPosted(s, message); }))
        return;
    s->Call([message](IWindowEvents& e) { e.OnPosted(message); });
}

void FocusControl(WindowState& s, int id, bool selectAll) {
    Control* c = s.Find(id);
    if (c == nullptr) return;
    s.focusWanted = id;
    const HWND h = c->hwnd;
    if (c->kind == ControlKind::IpAddress) {
        SendMessageW(h, IPM_SETFOCUS, 0, 0);
    } else {
        ::SetFocus(h);
    }
    // Reached by Tab, an edit's text is selected, so that typing replaces it. The focus
    // may have started a wait that closed the page meanwhile.
    const Control* now = s.Find(id);
    if (selectAll && now != nullptr && now->hwnd == h && GetFocus() == h &&
        (now->kind == ControlKind::Edit || now->kind == ControlKind::PasswordEdit)) {
        SendMessageW(h, EM_SETSEL, 0, -1);
    }
}

// Tab: the next usable control of the order after the focused one (Shift+Tab: the one
// before), wrapping at the ends. False: the window keeps no order of its own.
bool MoveFocus(WindowState& s, bool backwards) {
    const std::vector<int> order = s.tabOrder;  // the focus change may rebuild it
    if (order.empty()) return false;
    const int n = static_cast<int>(order.size());
    const auto found = std::find(order.begin(), order.end(), s.FocusedId());
    const int from =
        found != order.end() ? static_cast<int>(found - order.begin()) : (backwards ? n : -1);
    for (int step = 1; step <= n; ++step) {
        const int i = ((from + (backwards ? -step : step)) % n + n) % n;
        if (s.Usable(order[i])) {
            if (order[i] != s.FocusedId()) FocusControl(s, order[i], true);
            return true;
        }
    }
    return true;
}

void EndModalRun(WindowState& s, int code) {
    if (!s.modalRunning || s.modalDone) return;
    s.modalCode = code;
    s.modalDone = true;
    // Wakes the modal loop's GetMessage.
    if (g_toolkit != nullptr)
        PostMessageW(static_cast<HWND>(g_toolkit->MessageWindow()), WM_NULL, 0, 0);
}

LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    auto* holder =
        reinterpret_cast<std::shared_ptr<WindowState>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (holder == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    const std::shared_ptr<WindowState> s = *holder;  // this message keeps it alive
    switch (msg) {
        case WM_PAINT:
            PaintPage(*s, hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_DRAWITEM:
            PaintControl(*s, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_COMMAND:
            if (lp != 0) HandleCommand(*s, LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->code == IPN_FIELDCHANGED && s->settingText == 0) {
                const int id = static_cast<int>(header->idFrom);
                const Control* c = s->Find(id);
                if (c != nullptr && c->kind == ControlKind::IpAddress) {
                    s->Report(id, Notify::FieldChanged);
                }
            }
            return 0;
        }
        case WM_SETCURSOR: {
            CursorShape shape = CursorShape::Wait;
            if (g_toolkit == nullptr || g_toolkit->WaitCursorDepth() == 0) {
                int id = s->IdOf(reinterpret_cast<HWND>(wp));
                // A hidden or disabled control is not under the mouse as far as the page
                // is concerned.
                if (const Control* c = s->Find(id);
                    c != nullptr && (!IsWindowVisible(c->hwnd) || !IsWindowEnabled(c->hwnd))) {
                    id = 0;
                }
                shape = CursorShape::Arrow;
                s->Call([&](IWindowEvents& e) { shape = e.OnSetCursor(id); });
            }
            SetCursor(CursorOf(shape));
            return TRUE;
        }
        case WM_TIMER:
            DeliverTimer(s, static_cast<int>(wp));
            return 0;
        case WM_ACTIVATE:
            // As a dialog does: the focus goes back where it was, or where the core put it
            // before the window was shown.
            if (LOWORD(wp) != WA_INACTIVE && HIWORD(wp) == 0 && s->alive &&
                s->Usable(s->focusWanted) && s->FocusedId() != s->focusWanted) {
                FocusControl(*s, s->focusWanted, false);
                return 0;
            }
            break;
        case WM_GETOBJECT:
            if (const LRESULT answer = AnswerGetObject(hwnd, wp, lp, AccessFactsOf)) return answer;
            break;
        case kMsgPosted:
            DeliverPosted(s, static_cast<unsigned>(wp));
            return 0;
        case kMsgDestroySelf:
            DestroyWindow(hwnd);
            return 0;
        case WM_CLOSE:
            // Pages close only through the core; closing the wait dialog cancels it.
            if (s->modalFrame) EndModalRun(*s, 2);
            return 0;
        case WM_NCDESTROY: {
            s->alive = false;
            s->hwnd = nullptr;
            {
                std::lock_guard lock(s->gate->mutex);
                s->gate->alive = false;
                s->gate->hwnd = nullptr;
            }
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            delete holder;
            EndModalRun(*s, -1);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MessageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgDeferred && g_toolkit != nullptr) {
        g_toolkit->RunDeferred();
        return 0;
    }
    if (msg == WM_TIMER && wp == kWaitTickTimer && g_toolkit != nullptr) {
        for (const auto& s : g_toolkit->LiveWindows())
            s->Call([](IWindowEvents& e) { e.OnWaitTick(); });
        return 0;
    }
    if (msg == WM_TIMER && wp == kHeartbeatTimer) {
        LogTiming("beat", "-");
        return 0;
    }
    if (msg == WM_TIMER && wp == Win32Automation::kTimerId && g_toolkit != nullptr) {
        KillTimer(hwnd, wp);
        if (Win32Automation* a = Win32Automation::Current()) a->Step();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class WindowPoster final : public IPoster {
public:
    explicit WindowPoster(std::shared_ptr<PostGate> gate) : m_gate(std::move(gate)) {}
    bool Post(unsigned message) override {
        std::lock_guard lock(m_gate->mutex);
        if (!m_gate->alive || m_gate->hwnd == nullptr) return false;
        return PostMessageW(m_gate->hwnd, kMsgPosted, message, 0) != FALSE;
    }

private:
    std::shared_ptr<PostGate> m_gate;
};

// The IWindow the core holds. After Destroy every call does nothing.
class Win32Window final : public IWindow {
public:
    Win32Window(std::shared_ptr<WindowState> state) : m_s(std::move(state)) {
        m_poster = std::make_shared<WindowPoster>(m_s->gate);
    }
    ~Win32Window() override { Destroy(); }

    HWND Hwnd() const { return m_s->alive ? m_s->hwnd : nullptr; }

    void SetBackground(const Image& picture) override {
        if (Hwnd() == nullptr) return;
        m_s->background = picture;
        if (!m_s->inPaint) InvalidateAll();
    }
    Rect Geometry() const override {
        HWND h = Hwnd();
        if (h == nullptr) return {};
        RECT client;
        GetClientRect(h, &client);
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        return {origin.x, origin.y, client.right, client.bottom};
    }
    void SetGeometry(const Rect& r) override {
        HWND h = Hwnd();
        if (h == nullptr || Geometry() == r) return;
        RECT outer = ToRECT(r);
        AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)));
        SetWindowPos(h, nullptr, outer.left, outer.top, outer.right - outer.left,
                     outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Rect WorkArea() const override {
        RECT area{0, 0, 800, 600};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        return {area.left, area.top, area.right - area.left, area.bottom - area.top};
    }
    void Show(bool visible) override {
        HWND h = Hwnd();
        if (h == nullptr) return;
        ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
        if (!visible) return;
        SetForegroundWindow(h);
        // Activation gives the focus to the control chosen meanwhile; where the window was
        // not activated, the focus is moved all the same (as the core asked).
        if (m_s->alive && m_s->Usable(m_s->focusWanted) && m_s->FocusedId() != m_s->focusWanted &&
            GetActiveWindow() == h) {
            FocusControl(*m_s, m_s->focusWanted, false);
        }
    }
    bool IsVisible() const override {
        HWND h = Hwnd();
        return h != nullptr && IsWindowVisible(h);
    }
    void Invalidate() override {
        if (Hwnd() != nullptr && !m_s->inPaint) InvalidateAll();
    }
    void Destroy() override {
        {
            std::lock_guard lock(m_s->gate->mutex);
            m_s->gate->alive = false;
            m_s->gate->hwnd = nullptr;
        }
        HWND h = m_s->hwnd;
        m_s->alive = false;
        m_s->events = nullptr;
        EndModalRun(*m_s, -1);
        if (h == nullptr) return;
        ShowWindow(h, SW_HIDE);
        // Inside a call from this window's own handlers its procedure is still on the stack.
        if (g_callDepth > 0) {
            PostMessageW(h, kMsgDestroySelf, 0, 0);
        } else {
            DestroyWindow(h);
        }
    }

    void CreateControl(int id, ControlKind kind, const Rect& r) override {
        HWND page = Hwnd();
        if (page == nullptr) return;
        if (Control* old = m_s->Find(id)) DestroyWindow(old->hwnd);
        m_s->controls.erase(id);
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        int height = r.h;
        switch (kind) {
            case ControlKind::Hotspot:
                cls = L"BUTTON";
                style |= BS_OWNERDRAW;
                break;
            case ControlKind::Animation:
            case ControlKind::StaticText:
                style |= SS_OWNERDRAW;
                break;
            case ControlKind::Edit:
            case ControlKind::PasswordEdit:
                cls = L"EDIT";
                style |= WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
                if (kind == ControlKind::PasswordEdit) style |= ES_PASSWORD;
                break;
            case ControlKind::IpAddress:
                cls = WC_IPADDRESSW;
                style |= WS_TABSTOP;
                break;
            case ControlKind::DropList:
                cls = L"COMBOBOX";
                style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
                height += kDropListExtra;
                break;
            case ControlKind::PushButton:
                cls = L"BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON;
                break;
            case ControlKind::Progress:
                cls = PROGRESS_CLASSW;
                break;
        }
        HWND child =
            CreateWindowExW(0, cls, L"", style, r.x, r.y, r.w, height, page,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
        if (child == nullptr) return;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        if (kind == ControlKind::Hotspot) SetWindowSubclass(child, HotspotProc, 0, 0);
        if (kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
            kind == ControlKind::DropList || kind == ControlKind::Progress) {
            SetWindowSubclass(child, FieldProc, 0, 0);
        }
        if (kind == ControlKind::IpAddress) {
            SetWindowSubclass(child, FieldProc, 0, 0);
            // Its four parts take the focus: each is read with the field's name.
            for (HWND part = GetWindow(child, GW_CHILD); part != nullptr;
                 part = GetWindow(part, GW_HWNDNEXT)) {
                SetWindowSubclass(part, FieldProc, 0, 0);
            }
        }
        if (kind == ControlKind::Progress) SendMessageW(child, PBM_SETRANGE32, 0, 100);
        Control c;
        c.kind = kind;
        c.hwnd = child;
        c.rect = r;
        m_s->controls[id] = std::move(c);
    }
    void MoveControl(int id, const Rect& r) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->rect == r) return;
        c->rect = r;
        const int extra = c->kind == ControlKind::DropList ? kDropListExtra : 0;
        MoveWindow(c->hwnd, r.x, r.y, r.w, r.h + extra, TRUE);
        FitLabel(*m_s, *c);
    }
    Rect ControlRect(int id) const override {
        const Control* c = m_s->Find(id);
        return c == nullptr ? Rect{} : c->rect;
    }
    void ShowControl(int id, bool visible) override {
        Control* c = m_s->Find(id);
        if (c == nullptr) return;
        if (!visible) {
            // Hidden by the core: forget the mouse without calling back into it.
            c->pressed = false;
            c->hot = HotState::Normal;
            if (GetCapture() == c->hwnd) ReleaseCapture();
        }
        ShowWindow(c->hwnd, visible ? SW_SHOWNA : SW_HIDE);
    }
    bool IsControlVisible(int id) const override {
        const Control* c = m_s->Find(id);
        return c != nullptr && (GetWindowLongPtrW(c->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    void EnableControl(int id, bool enabled) override {
        if (Control* c = m_s->Find(id)) EnableWindow(c->hwnd, enabled ? TRUE : FALSE);
    }
    bool IsControlEnabled(int id) const override {
        const Control* c = m_s->Find(id);
        return c != nullptr && IsWindowEnabled(c->hwnd);
    }
    void SetText(int id, const std::string& utf8) override {
        Control* c = m_s->Find(id);
        if (c == nullptr) return;
        ++m_s->settingText;
        const std::wstring text = Widen(utf8);
        switch (c->kind) {
            case ControlKind::IpAddress:
                if (const auto address = ParseAddress(utf8)) {
                    SendMessageW(c->hwnd, IPM_SETADDRESS, 0, static_cast<LPARAM>(*address));
                } else {
                    SendMessageW(c->hwnd, IPM_CLEARADDRESS, 0, 0);
                }
                break;
            case ControlKind::StaticText:
                c->text = text;
                SetWindowTextW(c->hwnd, text.c_str());
                FitLabel(*m_s, *c);
                InvalidateRect(c->hwnd, nullptr, FALSE);
                break;
            case ControlKind::DropList:
            case ControlKind::Progress:
                break;  // no text of their own
            default:
                // Hotspots and canvases draw no caption; it is their accessible name.
                SetWindowTextW(c->hwnd, text.c_str());
                break;
        }
        --m_s->settingText;
    }
    std::string GetText(int id) const override { return ControlText(*m_s, id); }
    void SetLimit(int id, int maxChars) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || (c->kind != ControlKind::Edit && c->kind != ControlKind::PasswordEdit))
            return;
        // A limit of 0 or less means "as long as the control allows".
        SendMessageW(c->hwnd, EM_LIMITTEXT, maxChars > 0 ? static_cast<WPARAM>(maxChars) : 0, 0);
    }
    void SetFocus(int id) override {
        if (m_s->Find(id) == nullptr) return;
        // A window not shown yet is not activated for it: the control gets the focus when
        // the window is.
        if (!IsWindowVisible(m_s->hwnd)) {
            m_s->focusWanted = id;
            return;
        }
        FocusControl(*m_s, id, false);
    }
    void SetFace(int id, const Image& face) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || (c->kind != ControlKind::Hotspot && c->kind != ControlKind::Animation))
            return;
        if (face.width == c->face.width && face.height == c->face.height &&
            face.pixels == c->face.pixels) {
            return;  // a paint that re-sets the face must not loop
        }
        c->face = face;
        InvalidateRect(c->hwnd, nullptr, FALSE);
    }
    void SetItems(int id, const std::vector<std::string>& items) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::DropList) return;
        ++m_s->settingText;
        SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            const std::wstring text = Widen(item);
            SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(c->hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        --m_s->settingText;
    }
    void SetSelection(int id, int index) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::DropList) return;
        const LRESULT count = SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0);
        ++m_s->settingText;
        SendMessageW(
            c->hwnd, CB_SETCURSEL,
            index >= 0 && index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
        --m_s->settingText;
    }
    int GetSelection(int id) const override {
        const Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::DropList) return -1;
        const LRESULT index = SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0);
        return index == CB_ERR ? -1 : static_cast<int>(index);
    }
    void SetTextStyle(int id, const TextStyle& style) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::StaticText) return;
        c->style = style;
        FitLabel(*m_s, *c);
        InvalidateRect(c->hwnd, nullptr, FALSE);
    }
    void SetTabOrder(const std::vector<int>& ids) override {
        m_s->tabOrder.clear();
        for (const int id : ids)
            if (m_s->Find(id) != nullptr) m_s->tabOrder.push_back(id);
    }
    int FocusedControl() const override {
        HWND h = Hwnd();
        if (h == nullptr) return 0;
        if (const int id = m_s->FocusedId()) return id;
        // Not active: the control that gets the focus once it is.
        return GetActiveWindow() != h && m_s->Find(m_s->focusWanted) != nullptr ? m_s->focusWanted
                                                                                : 0;
    }
    void SetAccessibleCheck(int id, int checked) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::Hotspot) return;
        const int state = checked > 0 ? 1 : 0;
        if (c->accessCheck == state) return;
        c->accessCheck = state;
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, c->hwnd, OBJID_CLIENT, CHILDID_SELF);
    }
    void SetAccessibleText(int id, const std::string& name,
                           const std::string& description) override {
        HWND h = Hwnd();
        if (h == nullptr) return;
        if (id == 0) {
            m_s->accessName = Widen(name);
            m_s->accessDescription = Widen(description);
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, h, OBJID_CLIENT, CHILDID_SELF);
            NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, h, OBJID_CLIENT, CHILDID_SELF);
            return;
        }
        Control* c = m_s->Find(id);
        if (c == nullptr) return;
        c->accessName = Widen(name);
        if (c->kind == ControlKind::Hotspot) {
            // Tools that read a button's text rather than ask it: "&" is no mnemonic.
            std::wstring text;
            for (const wchar_t ch : c->accessName) {
                if (ch == L'&') text += L'&';
                text += ch;
            }
            SetWindowTextW(c->hwnd, text.c_str());
        }
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, c->hwnd, OBJID_CLIENT, CHILDID_SELF);
    }
    void SetProgress(int id, int percent) override {
        Control* c = m_s->Find(id);
        if (c == nullptr || c->kind != ControlKind::Progress) return;
        SendMessageW(c->hwnd, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
    }

    void SetTimer(int timerId, unsigned milliseconds) override {
        if (HWND h = Hwnd()) {
            if (::SetTimer(h, static_cast<UINT_PTR>(timerId),
                           static_cast<UINT>(ScaledInterval(milliseconds, TimeScale())),
                           nullptr) != 0) {
                m_s->timers.insert(timerId);
            }
        }
    }
    void KillTimer(int timerId) override {
        m_s->timers.erase(timerId);
        if (HWND h = Hwnd()) ::KillTimer(h, static_cast<UINT_PTR>(timerId));
    }

    std::shared_ptr<IPoster> Poster() override { return m_poster; }

    int RunModal() override;
    void EndModal(int code) override { EndModalRun(*m_s, code); }

    void SetIcon(const Image& icon) override {
        HWND h = Hwnd();
        if (h == nullptr) return;
        IconHandle handle = MakeIcon(icon);
        if (!handle) return;
        SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(handle.get()));
        SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(handle.get()));
        m_s->icon = std::move(handle);
    }

private:
    void InvalidateAll() {
        RedrawWindow(m_s->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }

    std::shared_ptr<WindowState> m_s;
    std::shared_ptr<IPoster> m_poster;
};

int Win32Window::RunModal() {
    const std::shared_ptr<WindowState> s = m_s;  // the core may drop this window meanwhile
    HWND h = Hwnd();
    if (h == nullptr || s->modalRunning || g_toolkit == nullptr) return -1;
    s->modalRunning = true;
    s->modalDone = false;
    s->modalCode = -1;
    // Modal to every other window of the program.
    std::vector<HWND> disabled;
    for (const auto& other : g_toolkit->LiveWindows()) {
        if (other == s || other->hwnd == nullptr || !IsWindowEnabled(other->hwnd)) continue;
        EnableWindow(other->hwnd, FALSE);
        disabled.push_back(other->hwnd);
    }
    ShowWindow(h, SW_SHOW);
    SetForegroundWindow(h);
    bool quit = false;
    int quitCode = 0;
    while (!s->modalDone && s->hwnd != nullptr) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0) break;
        g_toolkit->Dispatch(&msg);
    }
    for (HWND other : disabled)
        if (IsWindow(other)) EnableWindow(other, TRUE);
    s->modalRunning = false;
    if (s->hwnd != nullptr && s->alive) ShowWindow(s->hwnd, SW_HIDE);
    if (quit) {
        PostQuitMessage(quitCode);  // the outer loop ends too
        return -1;
    }
    return s->modalDone ? s->modalCode : -1;
}

}  // namespace

void* HwndOf(const WindowState& window) {
    return window.alive ? window.hwnd : nullptr;
}
std::string NameOf(const WindowState& window) {
    return window.name;
}
bool IsAlive(const WindowState& window) {
    return window.alive && window.hwnd != nullptr;
}
void* ControlHandle(const WindowState& window, int id) {
    const Control* c = window.Find(id);
    return c == nullptr ? nullptr : c->hwnd;
}
std::optional<ControlKind> KindOf(const WindowState& window, int id) {
    const Control* c = window.Find(id);
    if (c == nullptr) return std::nullopt;
    return c->kind;
}
bool IsControlShown(const WindowState& window, int id) {
    const Control* c = window.Find(id);
    return c != nullptr && (GetWindowLongPtrW(c->hwnd, GWL_STYLE) & WS_VISIBLE) != 0 &&
           IsWindowEnabled(c->hwnd);
}
bool InModal(const WindowState& window) {
    return window.modalRunning && !window.modalDone;
}

std::string ControlText(const WindowState& window, int id) {
    const Control* c = window.Find(id);
    if (c == nullptr) return {};
    switch (c->kind) {
        case ControlKind::IpAddress: {
            DWORD address = 0;
            SendMessageW(c->hwnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
            char text[16];
            std::snprintf(text, sizeof text, "%u.%u.%u.%u",
                          static_cast<unsigned>(FIRST_IPADDRESS(address)),
                          static_cast<unsigned>(SECOND_IPADDRESS(address)),
                          static_cast<unsigned>(THIRD_IPADDRESS(address)),
                          static_cast<unsigned>(FOURTH_IPADDRESS(address)));
            return text;
        }
        case ControlKind::DropList: {
            const LRESULT index = SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0);
            if (index == CB_ERR) return {};
            const LRESULT n = SendMessageW(c->hwnd, CB_GETLBTEXTLEN, index, 0);
            if (n == CB_ERR) return {};
            std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
            SendMessageW(c->hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(n));
            return Narrow(text);
        }
        case ControlKind::StaticText:
            return Narrow(c->text);
        case ControlKind::Progress:
            return std::to_string(SendMessageW(c->hwnd, PBM_GETPOS, 0, 0));
        default:
            return Narrow(WindowTextOf(c->hwnd));
    }
}

// --- toolkit -------------------------------------------------------------------------------

Win32Toolkit::Win32Toolkit() {
    g_toolkit = this;
    m_uiThread = GetCurrentThreadId();
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW page{};
    page.cbSize = sizeof(page);
    page.style = CS_DBLCLKS;
    page.lpfnWndProc = PageProc;
    page.hInstance = Instance();
    page.hCursor = nullptr;  // WM_SETCURSOR decides
    page.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    page.lpszClassName = kPageClass;
    RegisterClassExW(&page);

    WNDCLASSEXW messages{};
    messages.cbSize = sizeof(messages);
    messages.lpfnWndProc = MessageProc;
    messages.hInstance = Instance();
    messages.lpszClassName = kMessageClass;
    RegisterClassExW(&messages);
    m_messageWindow = CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      Instance(), nullptr);

    // A beat from the UI thread's loop, so that a benchmark sees how long it ever stood still.
    const char* beat = std::getenv("ZAVRO_HEARTBEAT_MS");
    if (beat != nullptr && std::atoi(beat) > 0) {
        SetTimer(static_cast<HWND>(m_messageWindow), kHeartbeatTimer,
                 static_cast<UINT>(std::atoi(beat)), nullptr);
    }

    const char* script = std::getenv("ZAVRO_AUTOMATION");
    if (script != nullptr && *script != '\0') {
        m_automation = Win32Automation::FromFile(*this, script);
        if (!m_automation) {
            std::fprintf(stderr, "automation: cannot read %s\n", script);
            std::fflush(stderr);
            std::_Exit(98);
        }
        m_automation->Start();
    }
}

Win32Toolkit::~Win32Toolkit() {
    m_automation.reset();
    if (m_messageWindow != nullptr) DestroyWindow(static_cast<HWND>(m_messageWindow));
    EndAccess();
    if (g_toolkit == this) g_toolkit = nullptr;
}

std::unique_ptr<IWindow> Win32Toolkit::CreateWindow(IWindowEvents& events, const Rect& r,
                                                    const WindowStyle& style) {
    auto state = std::make_shared<WindowState>();
    state->events = &events;
    state->modalFrame = style.modalFrame;
    state->name = style.name;
    const DWORD ws = style.modalFrame ? WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN
                                      : WS_POPUP | WS_CLIPCHILDREN;
    const DWORD ex =
        WS_EX_CONTROLPARENT | (style.modalFrame ? WS_EX_DLGMODALFRAME : WS_EX_APPWINDOW);
    RECT outer = ToRECT(r);
    AdjustWindowRectEx(&outer, ws, FALSE, ex);
    auto* holder = new std::shared_ptr<WindowState>(state);
    const std::wstring title = Widen(style.title);
    HWND hwnd = CreateWindowExW(ex, kPageClass, title.c_str(), ws, outer.left, outer.top,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                nullptr, Instance(), holder);
    if (hwnd == nullptr) {
        delete holder;
        return nullptr;
    }
    state->hwnd = hwnd;
    {
        std::lock_guard lock(state->gate->mutex);
        state->gate->hwnd = hwnd;
    }
    std::erase_if(m_windows, [](const std::weak_ptr<WindowState>& w) {
        const auto s = w.lock();
        return !s || !IsAlive(*s);
    });
    m_windows.push_back(state);
    return std::make_unique<Win32Window>(state);
}

void Win32Toolkit::MessageBox(const std::string& utf8Text, const std::string& caption) {
    if (LogMessageBox(caption, utf8Text)) return;
    // Owned by the newest page on the UI thread; a worker's box stands on its own.
    HWND owner = nullptr;
    if (GetCurrentThreadId() == m_uiThread) {
        if (auto top = NewestVisibleWindow()) owner = top->hwnd;
    }
    MessageBoxW(owner, Widen(utf8Text).c_str(), Widen(caption).c_str(),
                MB_OK | (owner == nullptr ? MB_TASKMODAL | MB_SETFOREGROUND : 0));
}

namespace {

// The user's clicks and keys, which nobody but the program-ending hotspots takes during a wait.
bool IsUserInput(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
        case WM_XBUTTONDBLCLK:
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONUP:
        case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCMBUTTONUP:
        case WM_NCMBUTTONDBLCLK:
        case WM_NCXBUTTONDOWN:
        case WM_NCXBUTTONUP:
        case WM_NCXBUTTONDBLCLK:
            return true;
        default:
            return false;
    }
}

bool IsProgramEndHotspot(HWND hwnd) {
    const std::shared_ptr<WindowState> s = StateOf(GetParent(hwnd));
    if (!s) return false;
    const int id = GetDlgCtrlID(hwnd);
    const Control* c = s->Find(id);
    return c != nullptr && c->hwnd == hwnd && c->kind == ControlKind::Hotspot && s->EndsProgram(id);
}

// During a wait: the mouse on a program-ending hotspot, and Enter or Space while one has
// the focus; the focus itself stays where it is.
bool HeardWhileBusy(const MSG& msg) {
    switch (msg.message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            return (msg.wParam == VK_RETURN || msg.wParam == VK_SPACE) &&
                   IsProgramEndHotspot(msg.hwnd);
        case WM_CHAR:
            return (msg.wParam == L'\r' || msg.wParam == L' ') && IsProgramEndHotspot(msg.hwnd);
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
            return false;
        default:
            return IsProgramEndHotspot(msg.hwnd);
    }
}

}  // namespace

void Win32Toolkit::RunBlocking(const std::function<void()>& work) {
    if (GetCurrentThreadId() != m_uiThread) {
        work();
        return;
    }
    struct Cursor {
        Win32Toolkit& ui;
        explicit Cursor(Win32Toolkit& t) : ui(t) { ui.BeginWaitCursor(); }
        ~Cursor() { ui.EndWaitCursor(); }
    } cursor(*this);
    const bool outermost = !m_run.Busy();
    if (outermost) {
        LogTiming("wait", "begin");
        // The press that started this wait (a click into a field whose focus starts a
        // check) may have left a control with the mouse capture: every click of the wait,
        // Exit's included, would go to it and be dropped, and the next one after it too.
        if (const HWND captured = GetCapture()) SendMessageW(captured, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    const HWND messages = static_cast<HWND>(m_messageWindow);
    // The pages' tick, so that a long wait can say so; it goes with the wait.
    if (outermost) SetTimer(messages, kWaitTickTimer, kWaitTickMs, nullptr);
    std::exception_ptr error;  // the work's, passed on once the held deliveries are queued
    try {
        m_run.Run(
            work, [this] { PumpWhileBusy(); },
            [messages] { PostMessageW(messages, WM_NULL, 0, 0); });
    } catch (...) {
        error = std::current_exception();
    }
    if (m_run.Busy()) {  // an inner run: the outer one delivers
        if (error) std::rethrow_exception(error);
        return;
    }
    if (outermost) {
        KillTimer(messages, kWaitTickTimer);
        LogTiming("wait", "end");
    }
    // Held deliveries go after the caller's event, in their order.
    for (auto& task : m_run.TakeHeld()) Defer(std::move(task));
    if (m_quitWhileBusy) {
        PostQuitMessage(*m_quitWhileBusy);
        m_quitWhileBusy.reset();
    }
    if (error) std::rethrow_exception(error);
}

void Win32Toolkit::PumpWhileBusy() {
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            m_quitWhileBusy = static_cast<int>(msg.wParam);
            continue;
        }
        if (IsUserInput(msg.message) && !HeardWhileBusy(msg)) continue;
        Dispatch(&msg);
    }
}

void Win32Toolkit::BeginWaitCursor() {
    if (++m_waitDepth == 1) SetCursor(CursorOf(CursorShape::Wait));
}

void Win32Toolkit::EndWaitCursor() {
    if (m_waitDepth == 0) return;  // unbalanced End: nothing to restore
    if (--m_waitDepth == 0) SetCursor(CursorOf(CursorShape::Arrow));
}

std::string Win32Toolkit::DialogFilter(const std::string& filter) {
    std::string out = filter;
    for (char& c : out)
        if (c == '|') c = '\0';
    // The list ends with an empty entry: two NULs, the string's own being the second.
    if (out.empty() || out.back() != '\0') out.push_back('\0');
    return out;
}

std::optional<std::string> Win32Toolkit::OpenFileDialog(const std::string& filter) {
    if (!m_fileAnswers.empty()) {
        std::optional<std::string> answer = std::move(m_fileAnswers.front());
        m_fileAnswers.pop_front();
        return answer;
    }
    const std::string list = DialogFilter(filter);
    char path[MAX_PATH * 4] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    if (auto top = NewestVisibleWindow()) dialog.hwndOwner = top->hwnd;
    dialog.lpstrFilter = list.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&dialog)) return std::nullopt;
    return std::string(path);
}

void Win32Toolkit::Defer(std::function<void()> task) {
    m_deferred.push_back(std::move(task));
    PostMessageW(static_cast<HWND>(m_messageWindow), kMsgDeferred, 0, 0);
}

void Win32Toolkit::RunDeferred() {
    while (!m_deferred.empty()) {
        auto task = std::move(m_deferred.front());
        m_deferred.pop_front();
        if (!m_run.Hold(task)) task();
    }
}

void Win32Toolkit::Dispatch(void* message) {
    MSG& msg = *static_cast<MSG*>(message);
    if (msg.message == WM_KEYDOWN) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (const std::shared_ptr<WindowState> s = StateOf(root); s && s->alive) {
            Key key = Key::Other;
            if (msg.wParam == VK_RETURN) key = Key::Enter;
            if (msg.wParam == VK_ESCAPE) key = Key::Escape;
            if (msg.wParam == VK_SPACE) key = Key::Space;
            if (msg.wParam == VK_TAB) key = Key::Tab;
            bool swallowed = false;
            s->Call([&](IWindowEvents& e) { swallowed = e.OnKeyDown(key); });
            if (swallowed || !s->alive) return;
            if ((key == Key::Enter || key == Key::Escape) && InModal(*s)) {
                EndModalRun(*s, key == Key::Enter ? 1 : 2);
                return;
            }
            if (key == Key::Tab) {
                // The page's own order; a window without one (the wait dialog) goes as a
                // dialog does.
                if (MoveFocus(*s, GetKeyState(VK_SHIFT) < 0)) return;
                if (IsDialogMessageW(root, &msg)) return;
            }
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int Win32Toolkit::Run() {
    if (m_quitCode) {
        const int code = *m_quitCode;
        m_quitCode.reset();
        return code;
    }
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) Dispatch(&msg);
    return got == 0 ? static_cast<int>(msg.wParam) : -1;
}

void Win32Toolkit::Quit(int code) {
    PostQuitMessage(code);
}

void Win32Toolkit::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            m_quitCode = static_cast<int>(msg.wParam);  // Run returns it at once
            continue;
        }
        Dispatch(&msg);
    }
}

bool Win32Toolkit::PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        Pump();
        if (done()) return true;
        if (GetTickCount64() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

std::vector<std::shared_ptr<WindowState>> Win32Toolkit::LiveWindows() const {
    std::vector<std::shared_ptr<WindowState>> out;
    for (const auto& w : m_windows)
        if (auto s = w.lock(); s && IsAlive(*s)) out.push_back(s);
    return out;
}

std::shared_ptr<WindowState> Win32Toolkit::NewestVisibleWindow() const {
    const auto windows = LiveWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (IsWindowVisible((*it)->hwnd)) return *it;
    return nullptr;
}

std::shared_ptr<WindowState> Win32Toolkit::FindVisibleWindow(const std::string& name) const {
    const auto windows = LiveWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->name == name && IsWindowVisible((*it)->hwnd)) return *it;
    return nullptr;
}

void Win32Toolkit::QueueFileAnswer(std::optional<std::string> path) {
    m_fileAnswers.push_back(std::move(path));
}

}  // namespace zavro::win32
