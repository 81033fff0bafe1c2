#include "pages/ZavroSetPwd.h"

#include "app/Texts.h"
#include "router/Function.h"

namespace zavro {

CZavroSetPwd::CZavroSetPwd(CZavroDlg* parent) : CSetupPage(parent, "CZavroSetPwd", 143) {
    LoadBackground(LanguagePicture("08.jpg"));
}

void CZavroSetPwd::OnInitDialog() {
    AddModelName();
    AddControl(1020, ControlKind::PasswordEdit, {399, 299, 133, 18});
    AddControl(1021, ControlKind::PasswordEdit, {399, 334, 133, 18});
    AddControl(1022, ControlKind::PasswordEdit, {399, 369, 133, 18});
    AddHotspot(1077, {544, 492, 52, 25});
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();
    m_window->SetLimit(1021, 30);
    m_window->SetLimit(1022, 30);
    HideWirelessTabsForModel2();
    SetHandIds({1003, 1004, 1077});
    SetHandRange(1008, 1015);
}

void CZavroSetPwd::OnCommand(int id) {
    switch (id) {
        case 1013: OnApply(); return;
        case 1015: OnTab(WM_PAGE_ESSID); return;
        case 1014: OnTab(WM_PAGE_SETWPA); return;
        case 1010:
            // Never changes the password, whatever the new fields hold.
            if (CheckCurrentPassword()) CloseAndGo(WM_PAGE_UPDATEFIRM);
            return;
        case 1077: OnKeepDefault(); return;
        default: HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM); return;
    }
}

void CZavroSetPwd::OnNotify(int id, Notify code) {
    if (id == 1021 && code == Notify::SetFocus) CheckCurrentPassword();
}

// The router takes passwords as ANSI bytes, like every other typed text.
bool CZavroSetPwd::CheckCurrentPassword() {
    return CheckPassword(Utf8ToAnsi(Text(1020)));
}

bool CZavroSetPwd::CheckPassword(const std::string& password) {
    RouterFailure why;
    const int result = RunBlocking([&] {
        CFunction function;
        const int r = function.TestLogin(kRouterAddress, kAdminAccount, password);
        why = function.LastFailure();
        return r;
    });
    if (result == 0) {
        theApp.m_strPassword = password;
        theApp.m_strNewPassword = password;
        return true;
    }
    m_window->SetFocus(1020);
    // The password's own message says what a refused login means.
    if (result == 3)
        ShowMessage("Current_Pwd_Error");
    else
        ShowRouterMessage("failed_setting", why);
    return false;
}

bool CZavroSetPwd::CheckBeforeChange(std::string& newPassword) {
    if (!CheckCurrentPassword()) return false;
    newPassword = Utf8ToAnsi(Text(1021));
    if (newPassword != Utf8ToAnsi(Text(1022))) {
        ShowMessage("Confirm_Pwd");
        m_window->SetFocus(1022);
        return false;
    }
    return true;
}

CZavroSetPwd::Change CZavroSetPwd::ChangePassword(const std::string& newPassword) {
    theApp.m_strNewPassword = newPassword;
    RouterFailure why;
    const int result = RunRouterRequest(
        [&](CFunction& function) {
            return function.SetAdminPassword(theApp.m_strPassword, newPassword);
        },
        &why);
    if (result != 0) {
        // theApp keeps the verified password; m_strNewPassword already holds the new one.
        ShowRouterMessage("failed_setting", why);
        return Change::Failed;
    }
    theApp.m_strPassword = newPassword;
    ShowMessage("NewPwd_Set_Success");
    CloseAndGo(WM_PAGE_CONNECTMODE);
    return Change::Done;
}

void CZavroSetPwd::OnApply() {
    std::string newPassword;
    if (!CheckBeforeChange(newPassword)) return;
    if (newPassword.empty()) {
        theApp.m_strNewPassword = theApp.m_strPassword;
        ShowMessage("Not_Change_Pwd");
        CloseAndGo(WM_PAGE_CONNECTMODE);
        return;
    }
    ChangePassword(newPassword);
}

void CZavroSetPwd::OnTab(unsigned message) {
    std::string newPassword;
    if (!CheckBeforeChange(newPassword)) return;
    if (!newPassword.empty() && ChangePassword(newPassword) == Change::Done) {
        // Closed already, with the connection-type page asked for: the tab's page comes
        // second. The page may be gone once the hub has handled this; only the hub is used.
        SendMessage(theApp.m_hHubWnd, message);
        return;
    }
    CloseAndGo(message);
}

void CZavroSetPwd::OnKeepDefault() {
    // The new-password fields are ignored.
    if (!CheckPassword(kDefaultAdminPassword)) return;
    ShowMessage("Not_Change_Pwd");
    CloseAndGo(WM_PAGE_CONNECTMODE);
}

}  // namespace zavro
