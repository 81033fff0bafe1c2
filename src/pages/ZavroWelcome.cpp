#include "pages/ZavroWelcome.h"

#include "app/Texts.h"

namespace zavro {

namespace {
struct LanguageButton {
    int id;
    Rect rect;
    int language;
};
constexpr LanguageButton kButtons[] = {
    {1059, {159, 260, 78, 33}, 1},  {1060, {247, 260, 113, 33}, 2}, {1061, {370, 260, 85, 33}, 3},
    {1062, {465, 260, 87, 33}, 4},  {1063, {562, 260, 79, 33}, 5},  {1064, {143, 308, 80, 33}, 6},
    {1065, {233, 308, 96, 33}, 7},  {1066, {340, 308, 64, 33}, 8},  {1067, {414, 308, 67, 33}, 9},
    {1068, {491, 308, 76, 33}, 10}, {1069, {577, 308, 88, 33}, 11}, {1070, {166, 354, 83, 33}, 12},
    {1071, {262, 354, 72, 33}, 13}, {1001, {347, 354, 99, 33}, 14}, {1002, {456, 354, 85, 33}, 15},
    {1004, {550, 354, 87, 33}, 16},
};
}  // namespace

CZavroWelcome::CZavroWelcome(CZavroDlg* parent) : CPage(parent, "CZavroWelcome", 163) {
    // A new language choice starts the run over.
    theApp.SetModelChosen(FALSE);
    theApp.m_bResultDone = 0;
    theApp.m_bResultImage = 0;
    theApp.m_nConnectionType = 0;
    // The one picture that does not depend on the language.
    LoadBackground(JoinPath(GetImageFolder(), "01.jpg"));
}

void CZavroWelcome::OnInitDialog() {
    for (const auto& b : kButtons) AddHotspot(b.id, b.rect);
    AddHotspot(1003, kRectWebSite);
    SetHandIds({1001, 1003, 1059});
}

void CZavroWelcome::OnCommand(int id) {
    if (id == 1003) {
        OpenWebSite();
        return;
    }
    for (const auto& b : kButtons) {
        if (b.id != id) continue;
        m_nLanguage = b.language;
        theApp.SetLanguage(b.language);
        CloseAndGo(b.language == 1 ? WM_PAGE_MACHINESET : WM_PAGE_WIZARD);
        return;
    }
}

}  // namespace zavro
