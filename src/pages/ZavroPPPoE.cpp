#include "pages/ZavroPPPoE.h"

#include "app/Texts.h"
#include "router/Function.h"

namespace zavro {

CZavroPPPoE::CZavroPPPoE(CZavroDlg* parent) : CSetupPage(parent, "CZavroPPPoE", 155) {
    LoadBackground(LanguagePicture("12.jpg"));
}

void CZavroPPPoE::OnInitDialog() {
    AddModelName();
    AddControl(1036, ControlKind::Edit, {481, 255, 133, 21});
    AddControl(1037, ControlKind::PasswordEdit, {481, 300, 133, 21});
    AddControl(1038, ControlKind::Edit, {481, 330, 133, 21});
    AddControl(1039, ControlKind::Edit, {481, 359, 133, 21});
    AddControl(1040, ControlKind::DropList, {481, 389, 133, 21});
    AddControl(1041, ControlKind::Edit, {481, 418, 133, 21});
    AddHotspot(1016, kRectBack);
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();

    m_window->SetItems(1040, {"Continuous", "Connect On Demand"});
    m_window->SetSelection(1040, 0);
    EnableControl(1041, false);
    m_window->SetLimit(1036, 64);
    m_window->SetLimit(1037, 64);
    m_window->SetLimit(1038, 30);
    HideWirelessTabsForModel2();
    m_window->SetText(1039, kDefaultMtu);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1016);
}

void CZavroPPPoE::OnNotify(int id, Notify code) {
    if (id != 1040 || code != Notify::SelChange) return;
    m_nConnectMode = m_window->GetSelection(1040);
    if (m_nConnectMode == 1) {
        EnableControl(1041, true);
        m_window->SetLimit(1041, 4);
    } else {
        // The idle text stays and is still sent.
        EnableControl(1041, false);
    }
}

void CZavroPPPoE::OnCommand(int id) {
    if (HandleFamilyHotspot(id, true) || id != 1013) return;
    const std::string user = Text(1036), password = Text(1037), service = Text(1038),
                      mtu = Text(1039), idle = Text(1041);
    if (!CheckInput(user, password, mtu, m_nConnectMode, idle) ||
        CheckAnsiText(service, BadInput::ServiceNotAnsi) != BadInput::None) {
        ShowMessage("Input_The_Info");
        return;
    }
    // The router takes ANSI bytes; the checks above made sure nothing is lost.
    Apply(Utf8ToAnsi(user), Utf8ToAnsi(password), Utf8ToAnsi(service), mtu, m_nConnectMode, idle);
}

bool CZavroPPPoE::CheckInput(const std::string& user, const std::string& password,
                             const std::string& mtu, int connectMode, const std::string& idleTime) {
    return CheckAccount(user, password, mtu, connectMode, idleTime) == BadInput::None;
}

void CZavroPPPoE::Apply(std::string user, std::string password, std::string serviceName,
                        std::string mtu, int connectMode, std::string idleTime) {
    RouterFailure why;
    const int result = RunRouterRequest(
        [&](CFunction& f) {
            f.ReadPcMacAddress();
            return f.SetPppoe(user, password, serviceName, mtu, connectMode, idleTime);
        },
        &why);
    FinishWanRequest(result, "PPPoE_Set_Failed", why);
}

}  // namespace zavro
