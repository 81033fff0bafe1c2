#include "pages/ZavroConnectMode.h"

#include "app/Texts.h"

namespace zavro {

namespace {
struct TypeBox {
    int id;
    int type;
    Rect rect;
};
const TypeBox kBoxes[] = {
    {1016, 1, {145, 339, 19, 19}}, {1017, 2, {145, 369, 19, 19}}, {1019, 3, {145, 399, 19, 19}},
    {1020, 4, {482, 339, 19, 19}}, {1021, 5, {482, 369, 19, 19}},
    // Telstra BigPond: made hidden and disabled at its template place, never offered.
    {1022, 6, DialogUnitsToPixels({68, 65, 9, 9})},
};
}  // namespace

CZavroConnectMode::CZavroConnectMode(CZavroDlg* parent)
    : CSetupPage(parent, "CZavroConnectMode", 144) {
    LoadBackground(LanguagePicture("09.jpg"));
}

void CZavroConnectMode::OnInitDialog() {
    for (const auto& b : kBoxes) AddCheckHotspot(b.id, b.rect);
    ShowControl(1022, false);
    EnableControl(1022, false);
    AddHotspot(1013, kRectNext);
    AddFamilyHotspots();

    // A tunnel page opened from here starts from no earlier input.
    theApp.SetTunnelAddrMode(3);
    for (std::string* s : {&theApp.m_strTunnelInfo1, &theApp.m_strTunnelInfo2,
                           &theApp.m_strTunnelInfo3, &theApp.m_strTunnelInfo4,
                           &theApp.m_strTunnelInfo5, &theApp.m_strTunnelInfo6})
        s->clear();

    AddModelName();
    for (const auto& b : kBoxes) {
        Button(b.id)->SetIcon(166, 165);
        DrawTransparent(b.id);
    }
    // The last type stays stored, but none counts as chosen until a box is checked.
    theApp.SetConnectionTypeChosen(FALSE);
    HideWirelessTabsForModel2();

    SetHandIds({1003, 1004});
    SetHandRange(1008, 1015);
}

void CZavroConnectMode::OnCommand(int id) {
    for (const auto& b : kBoxes) {
        if (b.id == id) {
            OnTypeBox(b.id, b.type);
            return;
        }
    }
    if (HandleFamilyHotspot(id, false)) return;
    if (id != 1013) return;
    if (!theApp.GetConnectionTypeChosen()) {
        ShowMessage("Select_ConnectMode");
        return;
    }
    CloseAndGo(WM_PAGE_WANTYPE);
}

void CZavroConnectMode::OnTypeBox(int id, int type) {
    // The click has toggled the box already.
    if (!GetCheck(id)) {
        theApp.SetConnectionType(type, FALSE);
        return;
    }
    for (const auto& other : kBoxes)
        if (other.id != id) SetCheck(other.id, 0);
    theApp.SetConnectionType(type, TRUE);
}

}  // namespace zavro
