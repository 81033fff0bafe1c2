#include "pages/ZavroManual.h"

#include "app/Documents.h"
#include "app/Texts.h"
#include "pages/DocumentPages.h"

namespace zavro {

namespace {
const Placement kPlacements[] = {
    {1022, {38, 66, 15, 11}, Rect{280, 292, 103, 30}},
    {1023, {56, 66, 15, 11}, Rect{406, 292, 113, 30}},
    {1011, {148, 7, 15, 11}, kRectManual},
    {1010, {25, 7, 15, 11}, kRectStart},
    {1009, {7, 7, 15, 11}, kRectMenu},
    {1012, {131, 7, 15, 11}, kRectQuickGuide},
    {1008, {165, 7, 15, 11}, kRectExit},
    {1003, {125, 76, 15, 11}, kRectWebSite},
    {1004, {154, 76, 15, 11}, kRectContact},
    {1013, {25, 32, 15, 11}, std::nullopt},
    {1014, {45, 32, 15, 11}, std::nullopt},
    {1015, {65, 32, 15, 11}, std::nullopt},
    {1016, {85, 32, 15, 11}, std::nullopt},
    {1017, {25, 48, 15, 11}, std::nullopt},
    {1018, {45, 48, 15, 11}, std::nullopt},
    {1019, {65, 48, 15, 11}, std::nullopt},
    {1020, {85, 48, 15, 11}, std::nullopt},
    {1021, {20, 66, 15, 11}, std::nullopt},
};
}  // namespace

CZavroManual::CZavroManual(CZavroDlg* parent) : CPage(parent, "CZavroManual", 137) {
    LoadBackground(LanguagePicture("20.jpg"));
}

void CZavroManual::OnInitDialog() {
    for (const auto& p : kPlacements) AddHotspot(p.id, DialogUnitsToPixels(p.dialogUnits));
    for (int id = 1013; id <= 1020; ++id) ShowControl(id, false);
    ShowControl(1021, false);
    EnableControl(1021, false);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1012);
}

void CZavroManual::BeforePaint() {
    PlaceVisibleControls(Window(), kPlacements,
                         [this](int id, const Rect& r) { MoveHotspot(id, r); });
}

void CZavroManual::OnCommand(int id) {
    const std::string folder =
        JoinPath(GetManualFolder(), std::to_string(theApp.GetLanguage()));
    switch (id) {
        case 1022: OpenDocument(folder, "QX-3150n_Manual.pdf"); return;
        case 1023: OpenDocument(folder, "QX-3150nS_Manual.pdf"); return;
        case 1011: SendMessage(theApp.m_hHubWnd, WM_PAGE_MANUAL); return;
        default: HandleCommonHotspot(id, WM_PAGE_WIZARD); return;
    }
}

}  // namespace zavro
