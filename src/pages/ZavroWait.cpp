#include "pages/ZavroWait.h"

#include "app/Texts.h"
#include "app/ZavroApp.h"
#include "pages/SetupPageCommon.h"
#include "platform/Platform.h"
#include "router/Function.h"
#include "ui/Page.h"
#include "ui/Blocking.h"

namespace zavro {

namespace {
constexpr int kLabel = 1061;
constexpr int kDone = 1060;
constexpr int kProgress = 1062;
// The bar moves once a second towards the end of the dialog's own timers.
constexpr int kProgressTimer = 33;
constexpr unsigned kProgressTickMs = 1000;
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
    style.name = "CZavroWait";
    Rect size = DialogUnitsToPixels({0, 0, 118, 44});
    m_window = Ports().ui->CreateWindow(*this, size, style);
    if (!m_window) return 0;
    m_window->SetIcon(LoadIconResource(128));
    // Centred on the work area, where the user looks, not at the screen's corner.
    const Rect work = m_window->WorkArea();
    size.x = work.x + (work.w - size.w) / 2;
    size.y = work.y + (work.h - size.h) / 2;
    m_window->SetGeometry(size);
    m_window->CreateControl(kLabel, ControlKind::StaticText, DialogUnitsToPixels({4, 5, 111, 18}));
    m_window->CreateControl(kDone, ControlKind::PushButton, DialogUnitsToPixels({34, 24, 48, 17}));
    m_window->CreateControl(kProgress, ControlKind::Progress, DialogUnitsToPixels({4, 28, 111, 8}));
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
        if (rebootKey == kRebootKeyLanguage) {
            m_window->SetTimer(11, 50000);
            m_nTotalMs = 50000 + 45000;
        } else if (rebootKey == kRebootKeyFirmware) {
            m_window->SetTimer(22, 120000);
            m_nTotalMs = 120000;
        } else {
            m_window->SetTimer(22, 65000);
            m_nTotalMs = 65000;
        }
    } else {
        m_window->SetTimer(22, 45000);
        m_nTotalMs = 45000;
    }
    m_nTicks = 0;
    m_window->SetProgress(kProgress, 0);
    m_window->SetTimer(kProgressTimer, kProgressTickMs);
}

void CZavroWait::OnTimer(int timerId) {
    if (timerId == kProgressTimer) {
        ++m_nTicks;
        // Short of full until the router is due: the last step is the button.
        const unsigned long long done = static_cast<unsigned long long>(m_nTicks) *
                                        kProgressTickMs * 100 / (m_nTotalMs ? m_nTotalMs : 1);
        m_window->SetProgress(kProgress, static_cast<int>(done < 99 ? done : 99));
        return;
    }
    if (timerId == 11) {
        m_window->KillTimer(11);
        RouterFailure why;
        if (SendRouterLanguage(why) != 0) {
            m_window->KillTimer(kProgressTimer);  // nothing more is coming
            ShowRouterMessage("failed_setting", why);
            return;
        }
        m_window->SetTimer(22, 45000);
        return;
    }
    m_window->KillTimer(22);
    m_window->KillTimer(kProgressTimer);
    m_window->SetProgress(kProgress, 100);
    m_window->ShowControl(kProgress, false);
    m_window->SetText(kDone,
                      AnsiToUtf8(ReadIniString(m_strIniPath, "MESSAGE", "Reboot_Complete", "")));
    m_window->ShowControl(kDone, true);
}

void CZavroWait::OnControl(int id, Notify code) {
    if (id == kDone && code == Notify::Clicked) m_window->EndModal(1);
}

}  // namespace zavro
