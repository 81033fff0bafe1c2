#include "pages/ZavroSuccess.h"

#include "app/Texts.h"
#include "app/Workers.h"
#include "pages/SetupPageCommon.h"
#include "platform/Platform.h"
#include "router/Diagnosis.h"
#include "router/Function.h"
#include "ui/Blocking.h"

namespace zavro {

static_assert(OnlyRepaints(WM_ANIMATION_FRAME), "animation frames must play during waits");

namespace {
constexpr int kModelName = 1018;
constexpr int kAnimation = 1057;

bool RestartsItself(int model) {
    return model == 1 || model == 3 || model == 5 || model == 7 || model == 8;
}

// After the restart: Internet check, then the outcome to the page (dropped if it closed).
void CheckAndReport(const std::shared_ptr<IPoster>& poster) {
    CFunction function;
    const int ok = function.CheckInternet();
    poster->Post(ok ? WM_RESULT_REACHABLE : WM_RESULT_UNREACHABLE);
}
}  // namespace

CZavroSuccess::CZavroSuccess(CZavroDlg* parent) : CPage(parent, "CZavroSuccess", 161) {
    LoadBackground(LanguagePicture("18(1).jpg"));
}

CZavroSuccess::~CZavroSuccess() {
    m_animation.Clear();
}

void CZavroSuccess::OnInitDialog() {
    AddHotspot(1009, kRectMenu);
    AddHotspot(1015, {209, 22, 76, 75});
    AddHotspot(1014, {311, 22, 70, 75});
    AddHotspot(1010, {409, 22, 72, 75});
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, {673, 550, 100, 40});
    AddHotspot(1013, {617, 491, 54, 26});
    AddControl(kModelName, ControlKind::StaticText, kRectModelName);
    m_window->SetText(kModelName, theApp.GetModelName());
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1015);
    for (int id : {1009, 1015, 1014, 1010, 1004, 1003, 1013}) ShowControl(id, false);

    m_animation.Create(*m_window, kAnimation, {234, 251, 333, 95});
    std::weak_ptr<IPoster> poster = m_window->Poster();
    m_animation.SetInvalidateHandler([poster] {
        if (auto p = poster.lock()) p->Post(WM_ANIMATION_FRAME);
    });
    if (m_animation.LoadFile(LanguageFile(theApp.GetLanguage(), "loading.gif"))) m_animation.Play();

    if (RestartsItself(theApp.GetModel()) && theApp.m_pszRebootKey == kRebootKeyLanguage)
        m_window->SetTimer(11, 50000);
    else if (!theApp.m_bResultDone)
        StartWaitingWorker(false);
}

void CZavroSuccess::StartWaitingWorker(bool afterLanguage) {
    const std::shared_ptr<IPoster> poster = m_window->Poster();
    const int model = theApp.GetModel();
    const std::string password = theApp.m_strPassword;
    const bool languageKey = theApp.m_pszRebootKey == kRebootKeyLanguage;
    StartWorker([=](ManualResetEvent& shutdown) {
        // The UI thread shows its own cursor; a worker's would not reach the pages.
        if (afterLanguage) {
            // The language was just sent (only ever with the language key): no restart
            // request, the router restarts by itself.
            if (!WorkerSleep(shutdown, 45000)) return;
            CheckAndReport(poster);
            return;
        }
        if (model == 1 || model == 3 || model == 4 || model == 5 || model == 8) {
            {
                CFunction function;
                if (function.ConnectRouter("192.168.2.1", "admin", password, model) != 0) {
                    ShowRouterMessage("failed_setting", function.LastFailure());
                    return;
                }
                if (!languageKey) function.RebootRouter();
            }
            if (!WorkerSleep(shutdown, languageKey ? 45000 : 150000)) return;
        } else {
            if (!WorkerSleep(shutdown, 45000)) return;
            CFunction function;
            if (function.ConnectRouter("192.168.2.1", "admin", password, model) != 0) {
                ShowRouterMessage("failed_setting", function.LastFailure());
                return;
            }
        }
        CheckAndReport(poster);
    });
}

void CZavroSuccess::OnTimerEvent(int timerId) {
    if (timerId != 11) return;
    m_window->KillTimer(11);
    RouterFailure why;
    if (SendRouterLanguage(why) != 0) {
        ShowRouterMessage("failed_setting", why);
        return;
    }
    StartWaitingWorker(true);
}

void CZavroSuccess::OnMessage(unsigned message) {
    switch (message) {
        case WM_ANIMATION_FRAME:
            m_animation.OnPaint();
            return;
        case WM_RESULT_REACHABLE:
            m_animation.StopAnimation();
            m_animation.Show(false);
            theApp.m_bResultImage = 1;
            theApp.m_bResultDone = 1;
            for (int id : {1009, 1015, 1014, 1010, 1004, 1003, 1013}) ShowControl(id, true);
            if (theApp.GetModel() == 2)
                for (int id : {1015, 1014, 1013}) ShowControl(id, false);
            MoveStartFocus();
            m_window->Invalidate();
            return;
        case WM_RESULT_UNREACHABLE:
            CloseAndGo(WM_PAGE_FAILED);
            return;
        default:
            return;
    }
}

void CZavroSuccess::BeforePaint() {
    if (!theApp.m_bResultImage) return;
    const std::string name = theApp.GetModel() == 2 ? "18_nonext.jpg" : "18.jpg";
    if (name == m_strFinalPicture) return;  // decoded once, not on every paint
    auto picture = LoadPicture(LanguagePicture(name));
    if (!picture) {
        ShowMessage("load image error");
        Ports().system->ExitProcess(0);
        return;
    }
    m_strFinalPicture = name;
    SetPicture(std::move(*picture), name);
}

void CZavroSuccess::OnClosing() {
    m_animation.StopAnimation();
}

void CZavroSuccess::OnCommand(int id) {
    if (id == 1013) {
        ClosePage();
        Ports().system->ExitProcess(1);
        return;
    }
    if (HandleWirelessTabs(id)) return;
    HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM);
}

CZavroFailed::CZavroFailed(CZavroDlg* parent) : CPage(parent, "CZavroFailed", 162) {
    LoadBackground(LanguagePicture("19.jpg"));
}

CZavroFailed::~CZavroFailed() {
    OnClosing();
}

void CZavroFailed::OnClosing() {
    if (m_diagnosis) m_diagnosis->Cancel();
}

void CZavroFailed::OnInitDialog() {
    AddControl(kModelName, ControlKind::StaticText, kRectModelName);
    m_window->SetText(kModelName, theApp.GetModelName());
    AddHotspot(1009, kRectMenu);
    AddHotspot(1015, {199, 22, 85, 75});
    AddHotspot(1014, {290, 22, 90, 75});
    AddHotspot(1010, {386, 22, 95, 80});
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    const int language = theApp.GetLanguage();
    AddHotspot(
        1016, language == 15 || language == 16 ? Rect{570, 460, 130, 27} : Rect{440, 460, 260, 27});
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1016);
    if (theApp.GetModel() == 2)
        for (int id : {1015, 1014}) ShowControl(id, false);
    StartDiagnosis();
}

void CZavroFailed::StartDiagnosis() {
    bool anyText = false;
    for (InternetStep step : {InternetStep::RouterDown, InternetStep::RouterLogin,
                              InternetStep::Dns, InternetStep::NoRoute, InternetStep::Site})
        anyText = anyText || !MessageText(InternetStepKey(step)).empty();
    // A medium made before these texts: the page stays as it always was.
    if (!anyText) return;
    const std::shared_ptr<IPoster> poster = m_window->Poster();
    const std::string password = theApp.m_strPassword;
    auto cancel = std::make_shared<DiagnosisCancel>();
    m_diagnosis = cancel;
    StartWorker(
        [poster, password, cancel](ManualResetEvent&) {
            const InternetStep step = DiagnoseInternet(password, kDiagnosisStepMs, cancel.get());
            poster->Post(WM_FAILED_DIAGNOSIS + static_cast<unsigned>(step));
        },
        [cancel] { cancel->Cancel(); });
}

void CZavroFailed::OnMessage(unsigned message) {
    if (message < WM_FAILED_DIAGNOSIS || message > WM_FAILED_DIAGNOSIS + 5) return;
    const char* key = InternetStepKey(static_cast<InternetStep>(message - WM_FAILED_DIAGNOSIS));
    if (!key) return;
    const std::string text = MessageText(key);
    if (text.empty()) return;
    AddControl(kDiagnosis, ControlKind::StaticText, kRectDiagnosis);
    m_window->SetTextStyle(kDiagnosis, kPageTextStyle);  // one voice with the picture's text
    m_window->SetText(kDiagnosis, text);
}

void CZavroFailed::OnCommand(int id) {
    if (id == 1016) {
        CloseAndGo(WM_PAGE_CONNECTMODE);
        return;
    }
    if (HandleWirelessTabs(id)) return;
    HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM);
}

}  // namespace zavro
