#include "app/ZavroApp.h"

#include "app/Texts.h"
#include "app/ZavroDlg.h"
#include "hostnet/VersionClass.h"
#include "platform/Platform.h"

namespace zavro {

const char* const kRebootKeySsid = "SSID_Reboot";
const char* const kRebootKeyWpa = "WPA_Reboot";
const char* const kRebootKeyFirmware = "Firm_Reboot";
const char* const kRebootKeyLanguage = "Set_Language";

CZavroApp theApp;
std::string g_strBaseFolder;

CZavroApp::CZavroApp() { m_strPassword = "5820"; }

void CZavroApp::Reset() {
    *this = CZavroApp();
    g_strBaseFolder.clear();
}

void CZavroApp::SetConnectionType(int type, BOOL chosen) {
    if (chosen) {
        m_nConnectionType = type;
        m_bConnectionTypeChosen = 1;
    } else {
        m_bConnectionTypeChosen = 0;
    }
}

std::string CZavroApp::GetModelName() {
    if (m_nModelVariant == 2) return "QX-3150NS";
    if (m_nModelVariant == 3) return "QX-3150nS";
    return "";
}

int LanguageFromCommandLine(const std::string& commandLine) {
    const auto spanish = commandLine.find("Spanish");
    if (spanish != std::string::npos && spanish > 0) return 2;
    const auto portugal = commandLine.find("Portugal");
    if (portugal != std::string::npos && portugal > 0) return 3;
    return 1;
}

BOOL CZavroApp::InitInstance() {
    // The firmware upload needs sockets; without them the program ends silently.
    if (Ports().tcp == nullptr || !Ports().tcp->Startup()) return FALSE;
    SetLanguage(1);
    SetLanguage(LanguageFromCommandLine(Ports().system->CommandLine()));
    CZavroDlg dlg;
    dlg.DoModal();
    return FALSE;
}

std::string GetBaseFolder() {
    std::string path = Ports().system->ProgramPath();
    const char sep = Ports().system->PathSeparator();
    for (int cut = 0; cut < 2; ++cut) {
        const auto pos = path.rfind(sep);
        path = pos == std::string::npos ? std::string() : path.substr(0, pos);
    }
    g_strBaseFolder = path;
    return path;
}

int GetWindowsVersionClass() { return VersionClassOf(Ports().system->Version()); }

}  // namespace zavro
