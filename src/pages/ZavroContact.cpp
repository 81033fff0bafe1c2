#include "pages/ZavroContact.h"

#include "pages/DocumentPages.h"

namespace zavro {

namespace {
const Placement kPlacements[] = {
    {1009, {7, 7, 15, 11}, kRectMenu},        {1010, {25, 7, 15, 11}, kRectStart},
    {1012, {131, 7, 15, 11}, kRectQuickGuide}, {1011, {148, 7, 15, 11}, kRectManual},
    {1008, {165, 7, 15, 11}, kRectExit},      {1003, {125, 76, 15, 11}, kRectWebSite},
    {1004, {154, 76, 15, 11}, kRectContact},
};
}  // namespace

CZavroContact::CZavroContact(CZavroDlg* parent) : CPage(parent, "CZavroContact", 136) {
    LoadBackground(LanguagePicture("02.jpg"));
}

void CZavroContact::OnInitDialog() {
    // The template places the buttons; each paint moves them to their pixels.
    for (const auto& p : kPlacements) AddHotspot(p.id, DialogUnitsToPixels(p.dialogUnits));
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1012);
}

void CZavroContact::BeforePaint() {
    PlaceVisibleControls(Window(), kPlacements,
                         [this](int id, const Rect& r) { MoveHotspot(id, r); });
}

void CZavroContact::OnCommand(int id) { HandleCommonHotspot(id, WM_PAGE_WIZARD); }

}  // namespace zavro
