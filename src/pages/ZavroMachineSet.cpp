#include "pages/ZavroMachineSet.h"

#include "app/Texts.h"
#include "pages/DocumentPages.h"
#include "platform/Platform.h"

namespace zavro {

namespace {
const Placement kPlacements[] = {
    {1062, {113, 30, 24, 14}, Rect{280, 292, 103, 30}},
    {1065, {113, 49, 23, 14}, Rect{406, 292, 113, 30}},
    {1010, {25, 7, 15, 11}, kRectStart},
    {1011, {148, 7, 15, 11}, kRectManual},
    {1012, {131, 7, 15, 11}, kRectQuickGuide},
    {1009, {7, 7, 15, 11}, kRectMenu},
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
    {1022, {55, 65, 15, 11}, std::nullopt},
    {1023, {76, 65, 15, 11}, std::nullopt},
    {1021, {34, 65, 15, 11}, std::nullopt},
};

void ChooseModel(int variant) {
    theApp.SetModel(8);
    theApp.m_nModelVariant = variant;
    theApp.SetModelChosen(TRUE);
}
}  // namespace

CZavroMachineSet::CZavroMachineSet(CZavroDlg* parent) : CPage(parent, "CZavroMachineSet", 142) {
    LoadBackground(LanguagePicture("07.jpg"));
}

void CZavroMachineSet::OnInitDialog() {
    for (const auto& p : kPlacements) AddHotspot(p.id, DialogUnitsToPixels(p.dialogUnits));
    for (int id : {1010, 1011, 1012}) EnableControl(id, false);
    for (int id : {1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1022, 1023})
        ShowControl(id, false);
    ShowControl(1021, false);
    EnableControl(1021, false);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1019);
}

void CZavroMachineSet::BeforePaint() {
    PlaceVisibleControls(Window(), kPlacements,
                         [this](int id, const Rect& r) { MoveHotspot(id, r); });
}

void CZavroMachineSet::OnCommand(int id) {
    if (id == 1062) {
        ChooseModel(2);
        ClosePage();
        // The other model's wizard lies in its own folder of the medium.
        const std::string suffix = Ports().system->ExecutableSuffix();
        const std::string name = suffix.empty() ? "zavro" : "Zavro" + suffix;
        const std::string program = JoinPath(JoinPath(GetBaseFolder(), "QX3150N"), name);
        Ports().shell->Execute("open", program, "/1", "", ShowMode::Normal);
        Ports().system->ExitProcess(1);
        return;
    }
    if (id == 1065) {
        ChooseModel(3);
        CloseAndGo(WM_PAGE_WIZARD);
        return;
    }
    HandleCommonHotspot(id, WM_PAGE_WIZARD);
}

}  // namespace zavro
