// Prints what a screen reader reads of Zavro.exe's visible page through oleacc, from
// another process: the page's name and description, then one line per control in the
// order the page lists them ("button: <name>" for a push button, "field: <name>" for the
// rest, "hidden " before either when it is not shown, " (unavailable)" after the name when
// it is disabled), then "focus: <id> <name>" for the
// control that has the keyboard focus. Exit code 2: no page; 3: a control without a name.
#include <windows.h>
// after windows.h
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    if (text == nullptr) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

BOOL CALLBACK FindPage(HWND hwnd, LPARAM found) {
    wchar_t cls[32] = {}, title[32] = {};
    GetClassNameW(hwnd, cls, 32);
    GetWindowTextW(hwnd, title, 32);
    if (IsWindowVisible(hwnd) && std::wstring(cls) == L"ZavroPage" &&
        std::wstring(title) == L"Zavro" && IsWindowEnabled(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::string Read(IAccessible* object,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    if (FAILED((object->*get)(Self(), &text))) return {};
    std::string out = Utf8(text);
    SysFreeString(text);
    return out;
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 4;
    HWND page = nullptr;
    EnumWindows(FindPage, reinterpret_cast<LPARAM>(&page));
    if (page == nullptr) {
        std::puts("no page");
        return 2;
    }
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(page, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        std::puts("no accessible object");
        return 2;
    }
    std::printf("name: %s\n", Read(object, &IAccessible::get_accName).c_str());
    std::printf("description: %s\n", Read(object, &IAccessible::get_accDescription).c_str());
    int status = 0;
    VARIANT children[64];
    LONG count = 0;
    AccessibleChildren(object, 0, 64, children, &count);
    for (LONG i = 0; i < count; ++i) {
        if (children[i].vt != VT_DISPATCH) continue;
        IAccessible* child = nullptr;
        children[i].pdispVal->QueryInterface(__uuidof(IAccessible),
                                             reinterpret_cast<void**>(&child));
        children[i].pdispVal->Release();
        if (child == nullptr) continue;
        VARIANT role, state;
        VariantInit(&role);
        VariantInit(&state);
        child->get_accRole(Self(), &role);
        child->get_accState(Self(), &state);
        const std::string name = Read(child, &IAccessible::get_accName);
        const bool hidden = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_INVISIBLE) != 0;
        const bool off = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_UNAVAILABLE) != 0;
        const bool checked = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_CHECKED) != 0;
        const bool button = role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_PUSHBUTTON;
        std::printf("%s%s: %s%s%s\n", hidden ? "hidden " : "", button ? "button" : "field",
                    name.c_str(), checked ? " (checked)" : "", off ? " (unavailable)" : "");
        if (name.empty()) status = 3;
        child->Release();
    }
    object->Release();
    // The focus of the page's thread, as the system knows it.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info) &&
        info.hwndFocus != nullptr && GetAncestor(info.hwndFocus, GA_ROOT) == page) {
        HWND focus = info.hwndFocus;
        while (GetParent(focus) != page && GetParent(focus) != nullptr) focus = GetParent(focus);
        IAccessible* focused = nullptr;
        std::string name;
        if (SUCCEEDED(AccessibleObjectFromWindow(focus, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&focused)))) {
            name = Read(focused, &IAccessible::get_accName);
            focused->Release();
        }
        std::printf("focus: %d %s\n", GetDlgCtrlID(focus), name.c_str());
    }
    CoUninitialize();
    return status;
}
