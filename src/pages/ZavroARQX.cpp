#include "pages/ZavroARQX.h"

namespace zavro {

CZavroARQX::CZavroARQX(CZavroDlg* parent) : CPage(parent, "CZavroARQX", 139) {
    LoadBackground(LanguagePicture("04.jpg"));
}

void CZavroARQX::OnInitDialog() {
    AddHotspot(1009, kRectMenu);
    AddHotspot(1010, kRectStart);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    // Painted on the picture but without an action.
    AddHotspot(1013, {170, 182, 43, 43});
    EnableControl(1013, false);
    AddHotspot(1014, {617, 492, 55, 26});
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1014);
}

void CZavroARQX::OnCommand(int id) {
    if (HandleCommonHotspot(id, WM_PAGE_WIZARD)) return;
    if (id == 1014) CloseAndGo(WM_PAGE_QXSET);
}

}  // namespace zavro
