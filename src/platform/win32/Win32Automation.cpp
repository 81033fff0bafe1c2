#include "platform/win32/Win32Automation.h"

#include <windows.h>
// after windows.h
#include <commctrl.h>
#undef CreateWindow
#undef MessageBox

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/RunLogs.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Ui.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace zavro::win32 {

namespace {

constexpr int kDefaultAwaitMs = 10000;
constexpr unsigned kPollMs = 10;
Win32Automation* g_current = nullptr;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// "word rest of the line": the rest keeps its inner spaces (texts may contain them).
std::pair<std::string, std::string> SplitFirst(const std::string& text) {
    const std::string trimmed = Trim(text);
    const auto space = trimmed.find(' ');
    if (space == std::string::npos) return {trimmed, {}};
    return {trimmed.substr(0, space), trimmed.substr(space + 1)};
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

bool ToInt(const std::string& text, int& value) {
    const std::string t = Trim(text);
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

LPARAM Centre(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    return MAKELPARAM(r.right / 2, r.bottom / 2);
}

// The IP address control's four field edits, left to right.
std::vector<HWND> Fields(HWND ip) {
    std::vector<HWND> fields;
    for (HWND child = GetWindow(ip, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        fields.push_back(child);
    }
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return fields;
}

}  // namespace

std::unique_ptr<Win32Automation> Win32Automation::FromFile(Win32Toolkit& ui, const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    std::ostringstream text;
    text << in.rdbuf();
    auto fail = [](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
    };
    return std::make_unique<Win32Automation>(ui, text.str(), fail,
                                             std::getenv("ZAVRO_AUTOMATION_VERBOSE") != nullptr);
}

Win32Automation::Win32Automation(Win32Toolkit& ui, const std::string& script,
                                 std::function<void(int)> fail, bool verbose)
    : m_ui(ui), m_fail(std::move(fail)), m_verbose(verbose) {
    std::istringstream in(script);
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::string trimmed = Trim(text);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        // Leading blanks go; trailing ones stay, a typed text may end in a space.
        m_lines.push_back({number, text.substr(text.find_first_not_of(" \t"))});
    }
    g_current = this;
}

Win32Automation::~Win32Automation() {
    KillTimer(static_cast<HWND>(m_ui.MessageWindow()), kTimerId);
    if (g_current == this) g_current = nullptr;
}

Win32Automation* Win32Automation::Current() {
    return g_current;
}

void Win32Automation::Start() {
    Next(0);
}

void Win32Automation::Next(unsigned delayMs) {
    if (m_index >= m_lines.size()) {
        if (!m_finished && m_verbose) Log("end of script");
        m_finished = true;
        return;
    }
    SetTimer(static_cast<HWND>(m_ui.MessageWindow()), kTimerId, delayMs, nullptr);
}

void Win32Automation::Log(const std::string& what) const {
    std::fprintf(stderr, "automation: %s\n", what.c_str());
    std::fflush(stderr);
}

bool Win32Automation::Fail(int code, const std::string& why) {
    const int number = m_index > 0 && m_index <= m_lines.size() ? m_lines[m_index - 1].number : 0;
    Log("line " + std::to_string(number) + ": " + why);
    m_index = m_lines.size();
    m_finished = true;
    KillTimer(static_cast<HWND>(m_ui.MessageWindow()), kTimerId);
    if (m_fail) m_fail(code);
    return false;
}

void Win32Automation::Await(bool met, int timeoutMs, const std::string& what) {
    if (met) {
        m_awaiting = false;
        ++m_index;
        Next(0);
        return;
    }
    if (!m_awaiting) {
        m_awaiting = true;
        m_awaitStart = GetTickCount64();
    }
    if (GetTickCount64() - m_awaitStart >= static_cast<unsigned long long>(timeoutMs)) {
        m_awaiting = false;
        ++m_index;
        Fail(kTimeoutExit, "no " + what + " within " + std::to_string(timeoutMs) + " ms");
        return;
    }
    Next(kPollMs);
}

void Win32Automation::Step() {
    if (m_index >= m_lines.size()) return;
    const Line line = m_lines[m_index];
    const auto [command, args] = SplitFirst(line.text);
    const bool busy = m_ui.Busy();
    // Like a patient user, the script does nothing while the program waits, unless it
    // awaited the wait itself to act during it.
    if (busy && !m_duringWait && command != "await-busy") {
        Next(kPollMs);
        return;
    }
    if (m_verbose && !m_awaiting) Log(line.text);

    if (command == "await-busy" || command == "await-idle") {
        const bool wantBusy = command == "await-busy";
        int timeoutMs = kDefaultAwaitMs;
        if (!Trim(args).empty() && !ToInt(args, timeoutMs)) {
            ++m_index;
            Fail(kFailExit, "bad " + command + ": " + args);
            return;
        }
        if (busy == wantBusy) m_duringWait = wantBusy;
        Await(busy == wantBusy, timeoutMs, wantBusy ? "blocking wait" : "end of the wait");
        return;
    }

    if (command == "await-window") {
        std::vector<std::string> words = Words(args);
        int timeoutMs = kDefaultAwaitMs;
        if (words.size() >= 2 && ToInt(words.back(), timeoutMs)) words.pop_back();
        std::string title;
        for (const auto& w : words) title += (title.empty() ? "" : " ") + w;
        if (title.empty()) {
            ++m_index;
            Fail(kFailExit, "await-window without a title");
            return;
        }
        Await(m_ui.FindVisibleWindow(title) != nullptr, timeoutMs, "window \"" + title + "\"");
        return;
    }
    if (command == "await-control") {
        const std::vector<std::string> words = Words(args);
        int id = 0;
        int timeoutMs = kDefaultAwaitMs;
        if (words.empty() || words.size() > 2 || !ToInt(words[0], id) ||
            (words.size() == 2 && !ToInt(words[1], timeoutMs))) {
            ++m_index;
            Fail(kFailExit, "bad await-control: " + args);
            return;
        }
        // The page may still be on its way, so no window yet is no failure.
        const auto window = m_ui.NewestVisibleWindow();
        Await(window != nullptr && IsControlShown(*window, id), timeoutMs,
              "control " + std::to_string(id) + " shown");
        return;
    }
    ++m_index;
    if (command == "sleep") {
        int ms = 0;
        if (!ToInt(args, ms) || ms < 0) {
            Fail(kFailExit, "bad sleep: " + args);
            return;
        }
        Next(static_cast<unsigned>(ms));
        return;
    }
    if (command == "quit") {
        int code = 0;
        if (!ToInt(args, code)) {
            Fail(kFailExit, "bad quit code: " + args);
            return;
        }
        m_index = m_lines.size();
        m_finished = true;
        m_ui.Quit(code);
        return;
    }
    // Schedule the next step first: an action may open a modal run, and the script must
    // go on inside it.
    Next(0);
    if (command == "click") {
        Click(args);
    } else if (command == "type") {
        Type(args);
    } else if (command == "select") {
        Select(args);
    } else if (command == "check-text") {
        CheckText(args);
    } else if (command == "answer-file") {
        const std::string path = Trim(args);
        m_ui.QueueFileAnswer(path.empty() ? std::nullopt : std::optional<std::string>(path));
    } else if (command == "screenshot") {
        Screenshot(args);
    } else if (command == "key") {
        PressKey(args);
    } else {
        Fail(kFailExit, "unknown command: " + command);
    }
}

bool Win32Automation::Click(const std::string& args) {
    int id = 0;
    if (!ToInt(args, id)) return Fail(kFailExit, "bad control id: " + args);
    const auto window = m_ui.NewestVisibleWindow();
    if (!window) return Fail(kFailExit, "no visible window");
    HWND control = static_cast<HWND>(ControlHandle(*window, id));
    if (control == nullptr) {
        return Fail(kFailExit, "no control " + std::to_string(id) + " in " + NameOf(*window));
    }
    if (!IsControlShown(*window, id)) {
        Log("control " + std::to_string(id) + " is hidden or disabled; the click does nothing");
        return true;
    }
    const auto kind = KindOf(*window, id);
    if (kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
        kind == ControlKind::IpAddress || kind == ControlKind::DropList) {
        if (kind == ControlKind::IpAddress) {
            SendMessageW(control, IPM_SETFOCUS, 0, 0);
        } else {
            SetFocus(control);
        }
        return true;
    }
    LogTiming("click", std::to_string(id));
    HWND previous = static_cast<HWND>(m_hovered);
    if (previous != nullptr && previous != control && IsWindow(previous)) {
        SendMessageW(previous, WM_MOUSELEAVE, 0, 0);
    }
    m_hovered = control;
    if (kind == ControlKind::PushButton) {
        SendMessageW(control, BM_CLICK, 0, 0);
        return true;
    }
    // The mouse's own sequence: over it, pressed, released inside.
    const LPARAM at = Centre(control);
    SendMessageW(control, WM_MOUSEMOVE, 0, at);
    if (IsWindow(control)) SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsWindow(control)) SendMessageW(control, WM_LBUTTONUP, 0, at);
    return true;
}

bool Win32Automation::Type(const std::string& args) {
    const auto [idText, text] = SplitFirst(args);
    int id = 0;
    if (!ToInt(idText, id)) return Fail(kFailExit, "bad control id: " + idText);
    const auto window = m_ui.NewestVisibleWindow();
    if (!window) return Fail(kFailExit, "no visible window");
    HWND control = static_cast<HWND>(ControlHandle(*window, id));
    const auto kind = KindOf(*window, id);
    const std::wstring keys = Widen(text);
    if (kind == ControlKind::Edit || kind == ControlKind::PasswordEdit) {
        SetFocus(control);
        if (GetWindowTextLengthW(control) > 0) {
            SendMessageW(control, EM_SETSEL, 0, -1);
            SendMessageW(control, WM_CLEAR, 0, 0);
        }
        for (wchar_t c : keys) {
            if (!IsWindow(control)) break;  // the core may close the page while the user types
            SendMessageW(control, WM_CHAR, c, 1);
        }
        return true;
    }
    if (kind == ControlKind::IpAddress) {
        SendMessageW(control, IPM_CLEARADDRESS, 0, 0);
        const std::vector<HWND> fields = Fields(control);
        if (fields.size() != 4) return Fail(kFailExit, "IP address control without four fields");
        std::size_t field = 0;
        SetFocus(fields[0]);
        for (wchar_t c : keys) {
            if (!IsWindow(control)) break;
            if (c == L'.') {
                // The user moves on to the next field; leaving one reports it.
                if (field + 1 < fields.size()) SetFocus(fields[++field]);
                continue;
            }
            SendMessageW(fields[field], WM_CHAR, c, 1);
        }
        // Leaving the control reports its last field too.
        if (IsWindow(control)) SetFocus(static_cast<HWND>(HwndOf(*window)));
        return true;
    }
    return Fail(kFailExit, "control " + std::to_string(id) + " takes no typing");
}

bool Win32Automation::Select(const std::string& args) {
    const std::vector<std::string> words = Words(args);
    int id = 0;
    int index = 0;
    if (words.size() != 2 || !ToInt(words[0], id) || !ToInt(words[1], index)) {
        return Fail(kFailExit, "bad select: " + args);
    }
    const auto window = m_ui.NewestVisibleWindow();
    if (!window) return Fail(kFailExit, "no visible window");
    if (KindOf(*window, id) != ControlKind::DropList) {
        return Fail(kFailExit, "control " + std::to_string(id) + " is no drop-down list");
    }
    HWND list = static_cast<HWND>(ControlHandle(*window, id));
    if (index < 0 || index >= SendMessageW(list, CB_GETCOUNT, 0, 0)) {
        return Fail(kFailExit, "list " + std::to_string(id) + " has no item " + words[1]);
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the list tells its parent when the user picks an item.
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return true;
}

bool Win32Automation::CheckText(const std::string& args) {
    const auto [idText, expected] = SplitFirst(args);
    int id = 0;
    if (!ToInt(idText, id)) return Fail(kFailExit, "bad control id: " + idText);
    const auto window = m_ui.NewestVisibleWindow();
    if (!window) return Fail(kFailExit, "no visible window");
    if (ControlHandle(*window, id) == nullptr) {
        return Fail(kFailExit, "no control " + std::to_string(id));
    }
    // The same reading the core gets through the port.
    const std::string actual = ControlText(*window, id);
    if (actual != expected) {
        return Fail(kFailExit, "check-text " + std::to_string(id) + ": expected \"" + expected +
                                   "\", found \"" + actual + "\"");
    }
    return true;
}

bool Win32Automation::Screenshot(const std::string& args) {
    const std::string path = Trim(args);
    if (path.empty()) return Fail(kFailExit, "screenshot without a path");
    const auto window = m_ui.NewestVisibleWindow();
    if (!window) return Fail(kFailExit, "no visible window");
    HWND hwnd = static_cast<HWND>(HwndOf(*window));
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    // The window's pixels as the display driver composed them, children included.
    HDC screen = GetWindowDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
        const auto* bgra = static_cast<const unsigned char*>(bits);
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = bgra[i + 2];
            rgba[i + 1] = bgra[i + 1];
            rgba[i + 2] = bgra[i];
            rgba[i + 3] = 255;
        }
        ok = stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4) != 0;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    if (!ok) return Fail(kFailExit, "cannot write " + path);
    return true;
}

bool Win32Automation::PressKey(const std::string& args) {
    std::string name = Trim(args);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    WPARAM key = 0;
    if (name == "enter") {
        key = VK_RETURN;
    } else if (name == "escape") {
        key = VK_ESCAPE;
    } else {
        return Fail(kFailExit, "unknown key: " + args);
    }
    std::shared_ptr<WindowState> target;
    for (const auto& w : m_ui.LiveWindows())
        if (InModal(*w)) target = w;
    if (!target) target = m_ui.NewestVisibleWindow();
    if (!target) return Fail(kFailExit, "no visible window");
    HWND root = static_cast<HWND>(HwndOf(*target));
    HWND focus = GetFocus();
    if (focus == nullptr || GetAncestor(focus, GA_ROOT) != root) focus = root;
    // Posted, so that it comes through the message loop as a real key does.
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    return true;
}

}  // namespace zavro::win32
