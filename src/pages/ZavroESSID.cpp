#include "pages/ZavroESSID.h"

#include "app/InputRules.h"
#include "app/Texts.h"
#include "pages/ZavroWait.h"
#include "router/Function.h"
#include "ui/Blocking.h"

namespace zavro {

namespace {
constexpr int kSsid = 1023;
}  // namespace

CZavroESSID::CZavroESSID(CZavroDlg* parent) : CSetupPage(parent, "CZavroESSID", 145) {
    LoadBackground(LanguagePicture("21.jpg"));
}

void CZavroESSID::OnInitDialog() {
    AddModelName();
    AddControl(kSsid, ControlKind::Edit, {378, 410, 133, 21});
    m_window->SetLimit(kSsid, 32);
    m_window->SetText(kSsid, "KORVAN");
    AddHotspot(1016, kRectBack);
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();
    HideWirelessTabsForModel2();
    EnableControl(1013, false);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1016);
}

int CZavroESSID::SendSsid(bool reboot) {
    const std::string text = Utf8ToAnsi(m_window->GetText(kSsid));
    if (CheckSsid(text) != BadInput::None) {
        ShowMessage("Input_The_Info");
        return -1;
    }
    RouterFailure why;
    bool reached = false;  // the name counts as the router's once the login went through
    const int r = RunRouterRequest(
        [&](CFunction& function) {
            reached = true;
            function.EscapeSpecialChars(text);
            const int sent = function.SetSsid(function.m_strEscaped);
            if (sent == 0 && reboot) function.RebootRouter();
            return sent;
        },
        &why);
    if (reached) theApp.m_strSSID = text;
    if (r != 0) ShowRouterMessage(r == 1 ? "failed_setting" : "ESSID_Set_Failed", why);
    return r;
}

void CZavroESSID::OnCommand(int id) {
    if (id == 1016) {
        if (SendSsid(false) == 0) CloseAndGo(WM_PAGE_SETWPA);
        return;
    }
    if (id == 1013) {
        if (SendSsid(true) == 0) {
            theApp.m_pszRebootKey = kRebootKeySsid;
            CZavroWait wait;
            wait.DoModal();
        }
        return;
    }
    if (HandleWirelessTabs(id)) return;
    HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM);
}

}  // namespace zavro
