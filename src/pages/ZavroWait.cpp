#include "pages/ZavroWait.h"

#include "app/Texts.h"
#include "app/ZavroApp.h"
#include "platform/Platform.h"
#include "router/Function.h"
#include "ui/Page.h"
#include "ui/WaitCursor.h"

namespace zavro {

namespace {
constexpr int kLabel = 1061;
constexpr int kDone = 1060;
constexpr const char* kDefaultText = "The router is restarting. Please wait...";

bool RestartsItself(int model) {
    return model == 1 || model == 3 || model == 5 || model == 7 || model == 8;
}
}  // namespace

CZavroWait::CZavroWait() = default;

CZavroWait::~CZavroWait() {
    if (m_window) m_window->Destroy();
}

int CZavroWait::DoModal() {
    WindowStyle style;
    style.modalFrame = true;
    style.title = "CZavroWait";
    const Rect size = DialogUnitsToPixels({0, 0, 118, 44});
    m_window = Ports().ui->CreateWindow(*this, size, style);
    if (!m_window) return 0;
    m_window->SetIcon(LoadIconResource(128));
    m_window->CreateControl(kLabel, ControlKind::StaticText, DialogUnitsToPixels({4, 5, 111, 18}));
    m_window->CreateControl(kDone, ControlKind::PushButton, DialogUnitsToPixels({34, 24, 48, 17}));
    OnInitDialog();
    const int result = m_window->RunModal();
    m_window->Destroy();
    return result;
}

void CZavroWait::OnInitDialog() {
    m_window->ShowControl(kDone, false);
    const int versionClass = GetWindowsVersionClass();
    const bool family98 = versionClass == 7 || versionClass == 8 || versionClass == 10;
    m_strIniPath = LanguageFile(family98 ? 1 : theApp.GetLanguage(), "string.ini");

    const char* rebootKey = theApp.m_pszRebootKey;
    const char* key = rebootKey == kRebootKeyLanguage ? kRebootKeyFirmware : rebootKey;
    // A restart without a key set shows the default text rather than reading a null key.
    const std::string text = key ? ReadIniString(m_strIniPath, "MESSAGE", key, kDefaultText)
                                 : std::string(kDefaultText);
    m_window->SetText(kLabel, AnsiToUtf8(text));

    if (RestartsItself(theApp.GetModel())) {
        if (rebootKey == kRebootKeyLanguage)
            m_window->SetTimer(11, 50000);
        else if (rebootKey == kRebootKeyFirmware)
            m_window->SetTimer(22, 120000);
        else
            m_window->SetTimer(22, 65000);
    } else {
        m_window->SetTimer(22, 45000);
    }
}

void CZavroWait::OnTimer(int timerId) {
    if (timerId == 11) {
        m_window->KillTimer(11);
        int r;
        {
            CFunction function;
            WaitCursor wait;
            r = function.ConnectRouter("192.168.2.1", "admin", theApp.m_strPassword,
                                       theApp.GetModel());
            if (r == 0) function.SetRouterLanguage(theApp.GetLanguage());
        }
        if (r != 0) {
            ShowMessage("failed_setting");
            return;
        }
        m_window->SetTimer(22, 45000);
        return;
    }
    m_window->KillTimer(22);
    m_window->SetText(kDone,
                      AnsiToUtf8(ReadIniString(m_strIniPath, "MESSAGE", "Reboot_Complete", "")));
    m_window->ShowControl(kDone, true);
}

void CZavroWait::OnControl(int id, Notify code) {
    if (id == kDone && code == Notify::Clicked) m_window->EndModal(1);
}

}  // namespace zavro
