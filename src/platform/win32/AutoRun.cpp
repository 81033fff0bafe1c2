// AutoRun.exe: the setup medium's menu program. It offers the setup wizard (Wizard\Zavro.exe
// beside it) and ends. With ZAVRO_AUTORUN_LOG set it only notes that it was started there,
// so that runs without a user can see the wizard's way back to the menu.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kWizardButton = 1;
constexpr int kExitButton = 2;

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    const auto cut = folder.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut);
}

LRESULT CALLBACK MenuProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) == kWizardButton) {
                const std::wstring wizard = Folder() + L"\\Wizard\\Zavro.exe";
                ShellExecuteW(hwnd, L"open", wizard.c_str(), nullptr,
                              (Folder() + L"\\Wizard").c_str(), SW_SHOWNORMAL);
                DestroyWindow(hwnd);
            } else if (LOWORD(wp) == kExitButton) {
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int main() {
    if (const char* log = std::getenv("ZAVRO_AUTORUN_LOG"); log != nullptr && *log != '\0') {
        if (FILE* f = std::fopen(log, "a")) {
            std::fputs("AutoRun started\n", f);
            std::fclose(f);
        }
        return 0;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = MenuProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = L"ZavroMenu";
    RegisterClassW(&cls);
    HWND menu = CreateWindowExW(0, cls.lpszClassName, L"Zavro setup",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 160, nullptr, nullptr, instance, nullptr);
    if (menu == nullptr) return 1;
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    const struct {
        int id;
        const wchar_t* caption;
        int y;
    } buttons[] = {{kWizardButton, L"Setup wizard", 20}, {kExitButton, L"Exit", 64}};
    for (const auto& b : buttons) {
        HWND button = CreateWindowExW(
            0, L"BUTTON", b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 80, b.y,
            150, 32, menu, reinterpret_cast<HMENU>(INT_PTR{b.id}), instance, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ShowWindow(menu, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(menu, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
