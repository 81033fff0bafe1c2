#include "pages/ZavroSetWPA.h"

#include "app/Documents.h"
#include "app/InputRules.h"
#include "app/Texts.h"
#include "pages/ZavroWait.h"
#include "router/Function.h"
#include "ui/Blocking.h"

namespace zavro {

namespace {
constexpr int kUseKey = 1017;
constexpr int kKey = 1023;
}  // namespace

CZavroSetWPA::CZavroSetWPA(CZavroDlg* parent) : CSetupPage(parent, "CZavroSetWPA", 146) {
    LoadBackground(LanguagePicture("22.jpg"));
}

void CZavroSetWPA::OnInitDialog() {
    AddModelName();
    AddCheckHotspot(kUseKey, {107, 320, 19, 20});
    Button(kUseKey)->SetIcon(166, 165);
    DrawTransparent(kUseKey);
    AddControl(kKey, ControlKind::Edit, {281, 450, 133, 21});
    m_window->SetLimit(kKey, 63);
    m_window->SetText(kKey, "VELQAR2468");
    ShowControl(kKey, false);
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();
    HideWirelessTabsForModel2();
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1015);
}

void CZavroSetWPA::Apply() {
    const std::string key = Utf8ToAnsi(m_window->GetText(kKey));
    const bool useKey = GetCheck(kUseKey) != 0;
    if (useKey && CheckWpaKey(key) != BadInput::None) {
        ShowMessage("Input_The_Info");
        return;
    }
    RouterFailure why;
    const int r = RunRouterRequest(
        [&](CFunction& function) {
            int sent;
            if (useKey) {
                function.EscapeSpecialChars(key);
                sent = function.SetWpaKey(function.m_strEscaped);
            } else {
                sent = function.DisableWirelessSecurity();
            }
            if (sent == 0) function.RebootRouter();
            return sent;
        },
        &why);
    // RunRouterRequest gives 0 only where the key was taken.
    if (r == 0) theApp.m_strWPAKey = useKey ? key : "Disable";
    if (r != 0) {
        ShowRouterMessage(r == 1 ? "failed_setting" : "WPA_Set_Failed", why);
        return;
    }
    theApp.m_pszRebootKey = kRebootKeyWpa;
    CZavroWait wait;
    wait.DoModal();
    CloseAndGo(WM_PAGE_WPACONFIGURE);
}

void CZavroSetWPA::OnCommand(int id) {
    if (id == kUseKey) {
        ShowControl(kKey, GetCheck(kUseKey) != 0);
        return;
    }
    if (id == 1013) {
        Apply();
        return;
    }
    if (HandleWirelessTabs(id)) return;
    HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM);
}

CZvWPAconfigure::CZvWPAconfigure(CZavroDlg* parent) : CPage(parent, "CZvWPAconfigure", 185) {
    LoadBackground(LanguagePicture("25.jpg"));
}

void CZvWPAconfigure::OnInitDialog() {
    AddControl(1018, ControlKind::StaticText, {106, 155, 90, 18});
    m_window->SetText(1018, theApp.GetModelName());
    AddControl(1015, ControlKind::StaticText, {158, 364, 392, 23});
    AddControl(1075, ControlKind::StaticText, {243, 390, 309, 23});
    AddControl(1076, ControlKind::StaticText, {185, 479, 365, 23});
    for (int id : {1015, 1075, 1076}) m_window->SetText(id, "");
    AddHotspot(1068, {4, 20, 89, 79});
    AddHotspot(1063, {197, 20, 89, 79});
    AddHotspot(1069, {292, 20, 89, 79});
    AddHotspot(1070, {389, 20, 89, 79});
    AddHotspot(1071, {488, 20, 106, 79});
    AddHotspot(1072, {601, 20, 95, 79});
    AddHotspot(1073, {702, 20, 85, 79});
    AddHotspot(1074, {620, 494, 51, 23});
}

void CZvWPAconfigure::OnShowWindow() {
    if (theApp.m_strSSID.empty()) {
        RouterFailure why;
        const std::optional<std::string> ssid = RunBlocking([&] {
            CFunction function;
            auto read = function.ReadSsid(theApp.m_strPassword);
            why = function.LastFailure();
            return read;
        });
        if (ssid) {
            theApp.m_strSSID = *ssid;
        } else {
            // The router did not answer: say so instead of showing an empty name.
            ShowRouterMessage("failed_setting", why);
        }
    }
    // Our labels show text literally, so the ampersands need no doubling here.
    m_window->SetText(1015, AnsiToUtf8(theApp.m_strSSID));
    m_window->SetText(1075, AnsiToUtf8(theApp.m_strWPAKey));
    m_window->SetText(1076, AnsiToUtf8(theApp.m_strNewPassword));
}

void CZvWPAconfigure::OnCommand(int id) {
    switch (id) {
        case 1068:
            BackToMenu();
            return;
        case 1063:
            CloseAndGo(WM_PAGE_ESSID);
            return;
        case 1069:
            CloseAndGo(WM_PAGE_SETWPA);
            return;
        case 1070:
            CloseAndGo(WM_PAGE_UPDATEFIRM);
            return;
        case 1071:
            OpenQuickGuide();
            return;
        case 1072:
            OpenUserManual();
            return;
        case 1073:
        case 1074:
            EndProgram();
            return;
        default:
            return;
    }
}

}  // namespace zavro
