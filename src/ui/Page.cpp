#include "ui/Page.h"

#include <algorithm>

#include "app/Documents.h"
#include "app/Texts.h"
#include "app/ZavroDlg.h"
#include "platform/Platform.h"
#include "ui/Access.h"
#include "ui/Blocking.h"

namespace zavro {

Rect DialogUnitsToPixels(const Rect& du) {
    // Base units of the 10-point system font: 7 by 16 pixels.
    constexpr int kBaseX = 7, kBaseY = 16;
    return {du.x * kBaseX / 4, du.y * kBaseY / 8, du.w * kBaseX / 4, du.h * kBaseY / 8};
}

CPage::CPage(CZavroDlg* parent, std::string className, int templateId)
    : m_pParent(parent),
      m_hIcon(LoadIconResource(128)),
      m_strClassName(std::move(className)),
      m_nTemplateId(templateId) {}

namespace {
// Pages with a window, for the end of a wait (UI thread only).
std::vector<CPage*>& LivePages() {
    static std::vector<CPage*> pages;
    return pages;
}
}  // namespace

CPage::~CPage() {
    std::erase(LivePages(), this);
    if (m_window) m_window->Destroy();
}

std::string CPage::LanguagePicture(const std::string& name) {
    return LanguageFile(theApp.GetLanguage(), name);
}

namespace {
// "…/image/1/18(1).jpg" -> "18(1)"
std::string PictureStem(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    return name.substr(0, name.rfind('.'));
}

}  // namespace

void CPage::LoadBackground(const std::string& path) {
    if (auto picture = LoadPicture(path)) {
        m_picture = std::move(*picture);
        m_strPicture = PictureStem(path);
        return;
    }
    ShowMessage("load_image_error");
    Ports().system->ExitProcess(1);
}

BOOL CPage::CreatePage() {
    const Rect r{0, 0, kPageWidth, kPageHeight};
    WindowStyle style;
    style.name = m_strClassName;
    m_window = Ports().ui->CreateWindow(*this, r, style);
    if (!m_window) return FALSE;
    LivePages().push_back(this);
    m_window->SetIcon(m_hIcon);
    m_window->SetBackground(m_picture);
    OnInitDialog();
    if (m_bClosed || !m_window) return TRUE;
    m_bInitialised = true;
    ApplyAccess();
    ApplyTabOrder();
    SetInitialFocus();
    return TRUE;
}

void CPage::ApplyAccess() {
    if (!m_window) return;
    const PageAccess page = PageAccessTexts(m_strPicture);
    m_window->SetAccessibleText(0, page.name, page.description);
    for (const int id : m_fieldIds)
        m_window->SetAccessibleText(id, ControlAccessName(m_strPicture, id), "");
    for (const auto& [id, button] : m_buttons)
        m_window->SetAccessibleText(id, ControlAccessName(m_strPicture, id), "");
}

void CPage::ApplyTabOrder() {
    if (!m_window) return;
    std::vector<int> hotspots;
    for (const auto& [id, button] : m_buttons) hotspots.push_back(id);
    const auto before = [this](int a, int b) {
        const Rect ra = m_window->ControlRect(a), rb = m_window->ControlRect(b);
        return ra.y != rb.y ? ra.y < rb.y : ra.x < rb.x;
    };
    std::stable_sort(hotspots.begin(), hotspots.end(), before);
    // Fields keep their own order; a hotspot goes before the first field it reads before.
    // Taken in reading order, each lands after the hotspots placed before it.
    std::vector<int> order = m_fieldIds;
    for (const int id : hotspots) {
        const auto at = std::find_if(order.begin(), order.end(), [&](int other) {
            return !Button(other) && before(id, other);
        });
        order.insert(at, id);
    }
    m_window->SetTabOrder(order);
}

void CPage::SetInitialFocus() {
    if (!m_window || m_window->FocusedControl() != 0) return;  // the page chose already
    m_nStartFocus = StartFocusId();
    if (m_nStartFocus) m_window->SetFocus(m_nStartFocus);
}

void CPage::MoveStartFocus() {
    if (!m_window || m_bClosed || m_nStartFocus == 0) return;
    if (m_window->FocusedControl() != m_nStartFocus) return;  // the user moved it
    const int start = StartFocusId();
    if (start == 0 || start == m_nStartFocus) return;
    const std::string name = BuiltInAccessName(m_strPicture, start);
    if (name != "Next" && name != "Finish") return;  // only a step button draws the focus
    m_nStartFocus = start;
    m_window->SetFocus(start);
}

int CPage::StartFocusId() {
    const auto usable = [this](int id) {
        return m_window->IsControlVisible(id) && m_window->IsControlEnabled(id);
    };
    for (const int id : m_fieldIds)
        if (usable(id)) return id;
    // No field: the step's own button (Next, else Finish), else the first hotspot below
    // the header band.
    constexpr int kHeaderBottom = 110;
    for (const char* name : {"Next", "Finish"})
        for (const auto& [id, button] : m_buttons)
            if (usable(id) && BuiltInAccessName(m_strPicture, id) == name) return id;
    // The first usable hotspot in reading order from top (0: none).
    const auto firstBelow = [&](int top) {
        int first = 0;
        Rect best;
        for (const auto& [id, button] : m_buttons) {
            const Rect r = m_window->ControlRect(id);
            if (!usable(id) || r.y < top) continue;
            if (!first || r.y < best.y || (r.y == best.y && r.x < best.x)) {
                first = id;
                best = r;
            }
        }
        return first;
    };
    if (const int id = firstBelow(kHeaderBottom)) return id;
    // A page with only header hotspots (the saving page): the first of them.
    return firstBelow(0);
}

void CPage::OnHotspotFocus(CButtonST& button, bool focused) {
    const bool frame = focused && theApp.m_bKeyboardCues;
    if (button.HasFocusFrame() == frame) return;
    button.SetFocusFrame(frame);
    RenderFace(button);
}

void CPage::ShowWindow(bool visible) {
    if (!m_window || m_bClosed) return;
    m_window->Show(visible);
    if (visible) OnShowWindow();
}

void CPage::ClosePage() {
    if (m_bClosed) return;
    OnClosing();
    m_bClosed = true;
    std::erase(LivePages(), this);
    if (m_window) m_window->Destroy();
    m_picture = Image();
    m_buttons.clear();
    if (m_pParent) m_pParent->ReleasePage(this);
}

void CPage::OnWaitTick() {
    if (m_bClosed || !m_window || !m_window->IsVisible()) return;
    const std::optional<std::uint64_t> start = WaitStartMs();
    if (!start) return;
    const std::uint64_t now = Ports().clock->NowMs();
    const std::uint64_t elapsed = now > *start ? now - *start : 0;
    if (elapsed < kWaitLineAfterMs) return;
    // A medium without the key: the page looks as it always did.
    std::string text = MessageText(WaitLineKey());
    if (text.empty()) return;
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string((elapsed + 500) / 1000));  // the nearest second
    if (!m_bWaitLine) {
        if (std::find(m_controlIds.begin(), m_controlIds.end(), kWaitLineId) ==
            m_controlIds.end()) {
            AddControl(kWaitLineId, ControlKind::StaticText, WaitLineRect());
            m_window->SetTextStyle(kWaitLineId, kPageTextStyle);
        }
        m_window->ShowControl(kWaitLineId, true);
        m_bWaitLine = true;
    }
    if (text != m_strWaitLine) {
        m_strWaitLine = text;
        m_window->SetText(kWaitLineId, text);
    }
}

void CPage::EndWaitLines() {
    for (CPage* page : LivePages()) {
        if (!page->m_bWaitLine) continue;
        page->m_bWaitLine = false;
        page->m_strWaitLine.clear();
        if (page->m_window) {
            page->m_window->SetText(kWaitLineId, "");
            page->m_window->ShowControl(kWaitLineId, false);
        }
    }
}

CButtonST* CPage::Button(int id) {
    const auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : &it->second;
}

void CPage::AddControl(int id, ControlKind kind, const Rect& r) {
    if (!m_window) return;
    m_window->CreateControl(id, kind, r);
    m_controlIds.push_back(id);
    const bool field = kind == ControlKind::Edit || kind == ControlKind::PasswordEdit ||
                       kind == ControlKind::IpAddress || kind == ControlKind::DropList;
    if (field) m_fieldIds.push_back(id);
    if (m_bInitialised && (field || kind == ControlKind::Hotspot)) {
        m_window->SetAccessibleText(id, ControlAccessName(m_strPicture, id), "");
        ApplyTabOrder();
    }
}

void CPage::AddHotspot(int id, const Rect& r) {
    m_buttons.insert_or_assign(id, CButtonST(id, false));
    AddControl(id, ControlKind::Hotspot, r);
    m_handIds.insert(id);
}

void CPage::AddCheckHotspot(int id, const Rect& r) {
    m_buttons.insert_or_assign(id, CButtonST(id, true));
    AddControl(id, ControlKind::Hotspot, r);
    m_handIds.insert(id);
}

void CPage::MoveHotspot(int id, const Rect& r) {
    if (m_window) m_window->MoveControl(id, r);
    if (m_bInitialised) ApplyTabOrder();
    if (CButtonST* b = Button(id)) {
        b->DrawTransparent();
        RenderFace(*b);
    }
}

void CPage::ShowControl(int id, bool visible) {
    if (m_window) m_window->ShowControl(id, visible);
}

void CPage::EnableControl(int id, bool enabled) {
    if (m_window) m_window->EnableControl(id, enabled);
}

void CPage::SetCheck(int id, int state, bool repaint) {
    if (CButtonST* b = Button(id)) {
        b->SetCheck(state);
        if (repaint) RenderFace(*b);
    }
}

int CPage::GetCheck(int id) {
    const CButtonST* b = Button(id);
    return b ? b->GetCheck() : 0;
}

void CPage::DrawTransparent(int id) {
    if (CButtonST* b = Button(id)) {
        b->DrawTransparent();
        RenderFace(*b);
    }
}

void CPage::SetPicture(Image picture) {
    m_picture = std::move(picture);
    if (m_window) m_window->SetBackground(m_picture);
}

void CPage::SetPicture(Image picture, const std::string& file) {
    SetPicture(std::move(picture));
    m_strPicture = PictureStem(file);
    if (m_bInitialised) ApplyAccess();
}

void CPage::SetHandIds(std::initializer_list<int> ids) {
    m_handIds = ids;
}

void CPage::SetHandRange(int first, int last) {
    for (int id = first; id <= last; ++id) m_handIds.insert(id);
}

void CPage::AddHandIds(std::initializer_list<int> ids) {
    m_handIds.insert(ids);
}

void CPage::RenderFace(CButtonST& button) {
    if (!m_window || m_bClosed) return;
    m_window->SetFace(button.Id(), button.Render(m_picture, m_window->ControlRect(button.Id())));
    // Every change of a check's state repaints it: screen readers hear of it here.
    if (button.IsCheckBox()) m_window->SetAccessibleCheck(button.Id(), button.GetCheck());
}

void CPage::OnControl(int id, Notify code) {
    if (m_bClosed) return;
    if (code == Notify::SetFocus || code == Notify::KillFocus) {
        // A hotspot's focus is the keyboard's business only: the page's own logic never
        // hears of it.
        if (CButtonST* b = Button(id)) {
            OnHotspotFocus(*b, code == Notify::SetFocus);
            return;
        }
    }
    if (code == Notify::Clicked) {
        if (CButtonST* b = Button(id)) {
            b->OnClicked();
            RenderFace(*b);
        }
        OnCommand(id);
        return;
    }
    OnNotify(id, code);
}

void CPage::OnHotState(int id, HotState state) {
    if (m_bClosed) return;
    if (CButtonST* b = Button(id)) {
        if (b->GetHotState() == state) return;
        b->SetHotState(state);
        RenderFace(*b);
    }
}

void CPage::OnTimer(int timerId) {
    if (!m_bClosed) OnTimerEvent(timerId);
}

void CPage::OnPosted(unsigned message) {
    if (!m_bClosed) OnMessage(message);
}

void CPage::OnPaint() {
    if (m_bClosed || !m_window || m_bPainting) return;
    m_bPainting = true;
    BeforePaint();
    if (!m_bClosed) {
        // 800x600 around the current centre, then centred on the work area.
        const Rect work = m_window->WorkArea();
        const Rect target{work.x + (work.w - kPageWidth) / 2, work.y + (work.h - kPageHeight) / 2,
                          kPageWidth, kPageHeight};
        if (!(m_window->Geometry() == target)) m_window->SetGeometry(target);
        for (auto& [id, button] : m_buttons) {
            button.DrawTransparent();
            RenderFace(button);
        }
        AfterPaint();
    }
    m_bPainting = false;
}

CursorShape CPage::OnSetCursor(int controlId) {
    return m_handIds.count(controlId) ? CursorShape::Hand : CursorShape::Arrow;
}

bool CPage::OnKeyDown(Key key) {
    if (m_bClosed || !m_window) return true;
    if (key == Key::Tab || key == Key::Enter || key == Key::Space) {
        const bool wasShown = theApp.m_bKeyboardCues;
        theApp.m_bKeyboardCues = true;
        if (!wasShown)
            if (CButtonST* b = Button(m_window->FocusedControl())) OnHotspotFocus(*b, true);
    }
    if (key == Key::Enter || key == Key::Space) {
        const int id = m_window->FocusedControl();
        if (Button(id) && m_window->IsControlVisible(id) && m_window->IsControlEnabled(id)) {
            OnControl(id, Notify::Clicked);
            return true;
        }
    }
    return OnPageKey(key);
}

bool CPage::OnPageKey(Key key) {
    return key == Key::Enter || key == Key::Escape;
}

bool CPage::EndsProgram(int controlId) {
    return controlId == 1008 || controlId == 1009;
}

bool CPage::HandleWirelessTabs(int id) {
    if (id == 1015) {
        CloseAndGo(WM_PAGE_ESSID);
        return true;
    }
    if (id == 1014) {
        CloseAndGo(WM_PAGE_SETWPA);
        return true;
    }
    return false;
}

void CPage::DisablePage() {
    if (!m_window || m_bClosed || m_bPageDisabled) return;
    m_bPageDisabled = true;
    m_disabledIds.clear();
    for (const int id : m_controlIds) {
        // Exit and back-to-menu work during any wait; the waiting line is no input.
        if (EndsProgram(id) || id == kWaitLineId) continue;
        if (m_window->IsControlEnabled(id)) {
            m_window->EnableControl(id, false);
            m_disabledIds.push_back(id);
        }
    }
}

void CPage::EnablePage() {
    if (!m_bPageDisabled) return;
    m_bPageDisabled = false;
    if (m_window && !m_bClosed)
        for (const int id : m_disabledIds) m_window->EnableControl(id, true);
    m_disabledIds.clear();
}

void CPage::CloseAndGo(unsigned message) {
    ClosePage();
    // The page may be freed once the hub has handled the message; touch nothing after.
    SendMessage(theApp.m_hHubWnd, message);
}

void CPage::BackToMenu() {
    ClosePage();
    const std::string path =
        JoinPath(GetBaseFolder(), "AutoRun" + Ports().system->ExecutableSuffix());
    Ports().shell->Execute("open", path, "", "", ShowMode::Normal);
    Ports().system->ExitProcess(1);
}

void CPage::EndProgram() {
    ClosePage();
    Ports().system->ExitProcess(1);
}

void CPage::OpenQuickGuide() {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_QIG);
}

void CPage::OpenUserManual() {
    OpenProductManual();
}

void CPage::OpenWebSite() {
    Ports().shell->Execute("open", Ports().homeUrl, "", "", ShowMode::Show);
}

bool CPage::HandleCommonHotspot(int id, unsigned message1010) {
    switch (id) {
        case 1009:
            BackToMenu();
            return true;
        case 1008:
            EndProgram();
            return true;
        case 1012:
            OpenQuickGuide();
            return true;
        case 1011:
            OpenUserManual();
            return true;
        case 1003:
            OpenWebSite();
            return true;
        case 1004:
            CloseAndGo(WM_PAGE_CONTACT);
            return true;
        case 1010:
            CloseAndGo(message1010);
            return true;
        default:
            return false;
    }
}

}  // namespace zavro
