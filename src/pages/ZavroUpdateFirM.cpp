#include "pages/ZavroUpdateFirM.h"

#include <filesystem>
#include <fstream>

#include "app/Texts.h"
#include "pages/UploadRunner.h"
#include "pages/ZavroWait.h"
#include "platform/Platform.h"
#include "router/Function.h"
#include "ui/Blocking.h"

namespace zavro {

namespace {
constexpr int kPath = 1023;
constexpr int kModelName = 1018;

// A folder opens as a stream on some systems, yet it is no image: it cannot be opened.
bool OpenImage(const std::string& path, std::ifstream& file) {
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) return false;
    file.open(path, std::ios::binary);
    return file.is_open() && file.good();
}

// The acceptance check: the image's model code must be the router's.
bool AcceptImage(const std::string& path, std::ifstream& file) {
    CFunction function;
    const int model = function.GetFirmwareModel(path, file);
    file.clear();
    file.seekg(0);
    return model == theApp.GetModel();
}

int Upload(const std::string& path, std::ifstream& file, RouterFailure& why) {
    UploadJob job;
    job.path = path;
    job.password = theApp.m_strPassword;
    job.model = theApp.GetModel();
    return RunUpload(job, file, &why);
}
}  // namespace

CZavroUpdateFirM::CZavroUpdateFirM(CZavroDlg* parent) : CPage(parent, "CZavroUpdateFirM", 147) {
    LoadBackground(LanguagePicture("23.jpg"));
}

void CZavroUpdateFirM::OnInitDialog() {
    AddControl(kModelName, ControlKind::StaticText, {107, 155, 94, 21});
    m_window->SetText(kModelName, theApp.GetModelName());
    AddControl(kPath, ControlKind::Edit, {297, 409, 224, 21});
    AddHotspot(1016, {228, 407, 60, 23});
    AddHotspot(1017, {549, 407, 60, 23});
    AddHotspot(1015, {199, 22, 85, 75});
    AddHotspot(1014, {290, 22, 90, 75});
    AddHotspot(1010, {386, 22, 95, 80});
    AddHotspot(1009, kRectMenu);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    if (theApp.GetModel() == 2)
        for (int id : {1015, 1014}) ShowControl(id, false);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1017);
}

void CZavroUpdateFirM::Upload() {
    const std::string path = m_window->GetText(kPath);
    std::ifstream file;
    if (!OpenImage(path, file)) {
        // Nothing is sent; a medium with the key says why.
        if (!MessageText("why_no_file").empty()) ShowMessage("why_no_file");
        return;
    }
    if (!AcceptImage(path, file)) {
        ShowMessage("Firm_Format_Worng");
        return;
    }
    RouterFailure why;
    DisablePage();
    const int r = RunBlocking([&] { return zavro::Upload(path, file, why); });
    EnablePage();
    file.close();
    if (r == 1) {
        theApp.m_pszRebootKey = kRebootKeyLanguage;
        CZavroWait wait;
        wait.DoModal();
    } else {
        ShowRouterMessage("Firm_Update_Failed", why);
    }
}

void CZavroUpdateFirM::OnCommand(int id) {
    if (id == 1016) {
        if (auto path =
                Ports().ui->OpenFileDialog("Binary files(*.bin)|*.bin|All files(*.*)|*.*||"))
            m_window->SetText(kPath, *path);
        return;
    }
    if (id == 1017) {
        Upload();
        return;
    }
    if (HandleWirelessTabs(id)) return;
    HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM);
}

CZavroSetLanguage::CZavroSetLanguage(CZavroDlg* parent) : CPage(parent, "CZavroSetLanguage", 184) {
    LoadBackground(LanguagePicture("24.jpg"));
}

void CZavroSetLanguage::OnInitDialog() {
    AddHotspot(1066, kRectBack);
    AddHotspot(1067, kRectNext);
    AddHotspot(1010, kRectStart);
    AddHotspot(1015, {199, 22, 85, 75});
    AddHotspot(1014, {290, 22, 90, 75});
    AddHotspot(1013, {386, 22, 95, 80});
    AddHotspot(1009, kRectMenu);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    SetHandIds({1003, 1004, 1066, 1067});
    SetHandRange(1008, 1016);
}

void CZavroSetLanguage::Update() {
    DisablePage();
    const std::string path = JoinPath(JoinPath(GetProgramFolder(), "Firmware"), "Firmware.bin");
    std::ifstream file;
    if (!OpenImage(path, file)) {
        EnablePage();
        return;
    }
    if (!AcceptImage(path, file)) {
        ShowMessage("Firm_Format_Worng");
        EnablePage();  // the page stays usable after a refused image
        return;
    }
    RouterFailure why;
    const int r = RunBlocking([&] { return zavro::Upload(path, file, why); });
    file.close();
    if (r == 1) {
        theApp.m_pszRebootKey = kRebootKeyLanguage;
        // The result page opens over this page, which stays as it is.
        SendMessage(theApp.m_hHubWnd, WM_PAGE_SUCCESS);
    } else {
        ShowRouterMessage("Firm_Update_Failed", why);
    }
    EnablePage();
}

void CZavroSetLanguage::OnCommand(int id) {
    switch (id) {
        case 1066:
            Update();
            return;
        case 1067:
            CloseAndGo(WM_PAGE_SUCCESS);
            return;
        case 1013:
            CloseAndGo(WM_PAGE_UPDATEFIRM);
            return;
        default:
            if (HandleWirelessTabs(id)) return;
            HandleCommonHotspot(id, WM_PAGE_WIZARD);
            return;
    }
}

}  // namespace zavro
