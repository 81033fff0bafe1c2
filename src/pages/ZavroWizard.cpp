#include "pages/ZavroWizard.h"

namespace zavro {

CZavroWizard::CZavroWizard(CZavroDlg* parent) : CPage(parent, "CZavroWizard", 133) {
    LoadBackground(LanguagePicture("03.jpg"));
}

void CZavroWizard::OnInitDialog() {
    AddHotspot(1009, kRectMenu);
    AddHotspot(1010, kRectStart);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    AddHotspot(1013, kRectNext);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1013);
}

void CZavroWizard::OnCommand(int id) {
    if (HandleCommonHotspot(id, WM_PAGE_WIZARD)) return;
    if (id == 1013) CloseAndGo(WM_PAGE_ARQX);
}

}  // namespace zavro
