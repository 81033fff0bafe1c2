#include "pages/ZavroCableModem.h"

#include "app/Texts.h"
#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro {

CZavroCableModem::CZavroCableModem(CZavroDlg* parent)
    : CSetupPage(parent, "CZavroCableModem", 153) {
    LoadBackground(LanguagePicture("10.jpg"));
}

void CZavroCableModem::OnInitDialog() {
    AddModelName();
    AddControl(1030, ControlKind::Edit, {415, 302, 133, 21});
    AddControl(1031, ControlKind::Edit, {415, 333, 133, 21});
    AddHotspot(1017, {562, 331, 59, 23});
    AddHotspot(1016, kRectBack);
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();
    m_window->SetLimit(1030, 30);
    m_window->SetLimit(1031, 12);
    HideWirelessTabsForModel2();
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1017);
}

void CZavroCableModem::OnCommand(int id) {
    if (HandleFamilyHotspot(id, true)) return;
    if (id == 1017) ClonePcMac(1031);
    if (id == 1013) OnNext();
}

void CZavroCableModem::OnNext() {
    const std::string hostName = Text(1030);
    const std::string mac = Text(1031);
    switch (CheckCableModem(hostName, mac)) {
        case BadInput::None:
            break;
        case BadInput::HostNameQuote:
            Ports().ui->MessageBox(kHostNameError, "Error");
            return;
        default:
            ShowMessage("Input_The_Info");
            return;
    }
    // The router takes ANSI bytes; the check above made sure nothing is lost.
    Apply(Utf8ToAnsi(hostName), mac);
}

void CZavroCableModem::Apply(std::string hostName, std::string mac) {
    RouterFailure why;
    const int result = RunRouterRequest(
        [&](CFunction& f) {
            f.ReadPcMacAddress();
            return f.SetDhcpClient(hostName, f.m_strPcMac, mac);
        },
        &why);
    FinishWanRequest(result, "CableModem_set_failed", why);
}

}  // namespace zavro
