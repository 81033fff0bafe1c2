#include <windows.h>
// after windows.h
#include <oleacc.h>

#include <atomic>
#include <string>

#include "platform/win32/Win32Access.h"

namespace zavro::win32 {

namespace {

thread_local bool t_comStarted = false;

bool IsSelf(const VARIANT& v) {
    return v.vt == VT_I4 && v.lVal == CHILDID_SELF;
}

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocString(text.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The client area of one of our windows. Whatever the core does not decide (location,
// navigation, an edit's value) the system's standard object answers.
class AccessibleWindow final : public IAccessible {
public:
    AccessibleWindow(HWND hwnd, AccessLookup lookup) : m_hwnd(hwnd), m_lookup(lookup) {
        CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                  reinterpret_cast<void**>(&m_std));
    }
    ~AccessibleWindow() {
        if (m_std != nullptr) m_std->Release();
    }
    AccessibleWindow(const AccessibleWindow&) = delete;
    AccessibleWindow& operator=(const AccessibleWindow&) = delete;
    bool Usable() const { return m_std != nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
            riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window handle behind the object (WindowFromAccessibleObject).
        if (riid == __uuidof(IOleWindow)) return m_std->QueryInterface(riid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: no type information; clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_std->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        const AccessFacts facts = m_lookup(m_hwnd);
        if (!facts.known || facts.children.empty()) return m_std->get_accChildCount(count);
        if (count == nullptr) return E_POINTER;
        *count = static_cast<LONG>(facts.children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        const AccessFacts facts = m_lookup(m_hwnd);
        if (!facts.known || facts.children.empty()) return m_std->get_accChild(child, out);
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        const HWND h = ChildWindow(facts, child);
        if (h == nullptr) return E_INVALIDARG;
        auto* object = new AccessibleWindow(h, m_lookup);
        if (!object->Usable()) {
            object->Release();
            return E_FAIL;
        }
        *out = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accName(Self(), name); },
                [&] { return m_std->get_accName(child, name); });
        const AccessFacts facts = m_lookup(m_hwnd);
        if (facts.known && !facts.name.empty()) return Text(facts.name, name);
        return m_std->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accValue(Self(), value); },
                [&] { return m_std->get_accValue(child, value); });
        const AccessFacts facts = m_lookup(m_hwnd);
        if (facts.secret) {
            if (value != nullptr) *value = nullptr;
            return E_ACCESSDENIED;
        }
        // Not every system's standard object reads a progress bar out.
        if (facts.percent >= 0) return Text(std::to_wstring(facts.percent) + L"%", value);
        return m_std->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accDescription(Self(), text); },
                [&] { return m_std->get_accDescription(child, text); });
        const AccessFacts facts = m_lookup(m_hwnd);
        if (facts.known && !facts.description.empty()) return Text(facts.description, text);
        return m_std->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accRole(Self(), role); },
                [&] { return m_std->get_accRole(child, role); });
        const AccessFacts facts = m_lookup(m_hwnd);
        if (facts.pushButton || facts.percent >= 0) {
            if (role == nullptr) return E_POINTER;
            VariantInit(role);
            role->vt = VT_I4;
            role->lVal = facts.pushButton ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_PROGRESSBAR;
            return S_OK;
        }
        return m_std->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accState(Self(), state); },
                [&] { return m_std->get_accState(child, state); });
        if (!m_lookup(m_hwnd).pushButton) return m_std->get_accState(child, state);
        if (state == nullptr) return E_POINTER;
        LONG bits = STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == m_hwnd) bits |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(m_hwnd)) bits |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(m_hwnd)) bits |= STATE_SYSTEM_UNAVAILABLE;
        if (m_lookup(m_hwnd).checked > 0) bits |= STATE_SYSTEM_CHECKED;
        VariantInit(state);
        state->vt = VT_I4;
        state->lVal = bits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_std->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_std->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        // A hotspot's window text is its name, not a label with a mnemonic.
        if (IsSelf(child) && m_lookup(m_hwnd).pushButton) {
            if (keys != nullptr) *keys = nullptr;
            return S_FALSE;
        }
        return m_std->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        const AccessFacts facts = m_lookup(m_hwnd);
        if (!facts.known || facts.children.empty()) return m_std->get_accFocus(focus);
        if (focus == nullptr) return E_POINTER;
        VariantInit(focus);
        const HWND now = GetFocus();
        for (const HWND h : facts.children)
            if (h == now || IsChild(h, now)) return Dispatch(h, focus);
        if (now == m_hwnd) {
            focus->vt = VT_I4;
            focus->lVal = CHILDID_SELF;
            return S_OK;
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return m_std->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->get_accDefaultAction(Self(), action); },
                [&] { return m_std->get_accDefaultAction(child, action); });
        if (m_lookup(m_hwnd).pushButton) return Text(L"Press", action);
        return m_std->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_std->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h,
                                          VARIANT child) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->accLocation(x, y, w, h, Self()); },
                [&] { return m_std->accLocation(x, y, w, h, child); });
        return m_std->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_std->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        const AccessFacts facts = m_lookup(m_hwnd);
        if (!facts.known || facts.children.empty()) return m_std->accHitTest(x, y, hit);
        if (hit == nullptr) return E_POINTER;
        VariantInit(hit);
        const POINT at{x, y};
        for (const HWND h : facts.children) {
            RECT r;
            if (IsWindowVisible(h) && GetWindowRect(h, &r) && PtInRect(&r, at))
                return Dispatch(h, hit);
        }
        RECT page;
        if (GetWindowRect(m_hwnd, &page) && PtInRect(&page, at)) {
            hit->vt = VT_I4;
            hit->lVal = CHILDID_SELF;
            return S_OK;
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child))
            return OnChild(
                child, [&](IAccessible* c) { return c->accDoDefaultAction(Self()); },
                [&] { return m_std->accDoDefaultAction(child); });
        if (!m_lookup(m_hwnd).pushButton) return m_std->accDoDefaultAction(child);
        // A click through the button's own path, after this call: the rules of a mouse
        // click apply (nothing while hidden, disabled or waiting).
        return PostMessageW(m_hwnd, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_std->put_accValue(child, value);
    }

private:
    static HWND ChildWindow(const AccessFacts& facts, const VARIANT& child) {
        if (child.vt != VT_I4 || child.lVal < 1 ||
            child.lVal > static_cast<LONG>(facts.children.size()))
            return nullptr;
        return facts.children[static_cast<std::size_t>(child.lVal - 1)];
    }
    // A child id of a page goes to that control's object; any other, to the standard one.
    template <class F, class G>
    HRESULT OnChild(const VARIANT& child, F call, G standard) {
        const AccessFacts facts = m_lookup(m_hwnd);
        if (!facts.known || facts.children.empty()) return standard();
        const HWND h = ChildWindow(facts, child);
        if (h == nullptr) return E_INVALIDARG;
        auto* object = new AccessibleWindow(h, m_lookup);
        const HRESULT result = object->Usable() ? call(object) : E_FAIL;
        object->Release();
        return result;
    }
    HRESULT Dispatch(HWND h, VARIANT* out) {
        auto* object = new AccessibleWindow(h, m_lookup);
        if (!object->Usable()) {
            object->Release();
            return E_FAIL;
        }
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
    }

    HWND m_hwnd;
    AccessLookup m_lookup;
    IAccessible* m_std = nullptr;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, AccessLookup lookup) {
    if (static_cast<LONG>(lp) != OBJID_CLIENT) return 0;
    // Handing an object to another process takes COM on this thread.
    if (!t_comStarted) {
        const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        t_comStarted = started == S_OK || started == S_FALSE;
    }
    auto* object = new AccessibleWindow(hwnd, lookup);
    LRESULT answer = 0;
    if (object->Usable()) answer = LresultFromObject(__uuidof(IAccessible), wp, object);
    object->Release();
    return answer < 0 ? 0 : answer;
}

void EndAccess() {
    if (!t_comStarted) return;
    t_comStarted = false;
    CoUninitialize();
}

}  // namespace zavro::win32
