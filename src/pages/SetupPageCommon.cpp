#include "pages/SetupPageCommon.h"

#include "app/Texts.h"
#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro {

const char* WanResultKey(int result, const char* failKey) {
    if (result == 0) return nullptr;
    if (result == 1) return "failed_setting";
    return failKey;
}

int RunRouterRequest(const std::function<int(CFunction&)>& request, RouterFailure* why) {
    // Taken on this thread: the work runs on a helper thread and reads no shared state.
    const std::string password = theApp.m_strPassword;
    const int model = theApp.GetModel();
    return RunBlocking([&] {
        CFunction function;
        int result = 1;
        if (function.ConnectRouter(kRouterAddress, kAdminAccount, password, model) == 0)
            result = request(function);
        if (why) *why = function.LastFailure();
        return result;
    });
}

int SendRouterLanguage(RouterFailure& why) {
    const int language = theApp.GetLanguage();
    return RunRouterRequest(
        [language](CFunction& function) {
            function.SetRouterLanguage(language);
            return 0;
        },
        &why);
}

void CSetupPage::ClonePcMac(int field) {
    std::string mac;
    RouterFailure why;
    const int r = RunRouterRequest(
        [&](CFunction& function) {
            function.ReadPcMacAddress();
            mac = function.m_strPcMac;
            return 0;
        },
        &why);
    if (r != 0) ShowRouterMessage("failed_setting", why);
    m_window->SetText(field, mac);
}

void CSetupPage::AddModelName(const Rect& r) {
    AddControl(1018, ControlKind::StaticText, r);
    m_window->SetText(1018, theApp.GetModelName());
}

void CSetupPage::AddFamilyHotspots(const FamilyRects& rects) {
    AddHotspot(1009, kRectMenu);
    AddHotspot(1015, rects.wireless);
    AddHotspot(1014, rects.key);
    AddHotspot(1010, rects.firmware);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, rects.contact);
}

void CSetupPage::HideWirelessTabsForModel2() {
    if (theApp.GetModel() != 2) return;
    ShowControl(1015, false);
    ShowControl(1014, false);
}

bool CSetupPage::HandleFamilyHotspot(int id, bool back1016) {
    if (HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM)) return true;
    switch (id) {
        case 1015:
            CloseAndGo(WM_PAGE_ESSID);
            return true;
        case 1014:
            CloseAndGo(WM_PAGE_SETWPA);
            return true;
        case 1016:
            if (!back1016) return false;
            CloseAndGo(WM_PAGE_CONNECTMODE);
            return true;
        default:
            return false;
    }
}

bool CSetupPage::FinishWanRequest(int result, const char* failKey, const RouterFailure& why) {
    if (const char* key = WanResultKey(result, failKey)) {
        ShowRouterMessage(key, why);
        return false;
    }
    CloseAndGo(WM_PAGE_SUCCESS);
    return true;
}

std::string CSetupPage::Text(int id) const {
    return m_window ? m_window->GetText(id) : "";
}

}  // namespace zavro
