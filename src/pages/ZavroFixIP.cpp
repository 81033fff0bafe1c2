#include "pages/ZavroFixIP.h"

#include "app/Texts.h"
#include "router/Function.h"

namespace zavro {

namespace {
struct Placement {
    int id;
    ControlKind kind;
    Rect dialogUnits;  // template rectangle
    Rect pixels;       // where each paint puts it
};
const Placement kPlacements[] = {
    {1032, ControlKind::IpAddress, {59, 24, 61, 11}, {406, 297, 133, 21}},
    {1034, ControlKind::IpAddress, {59, 39, 61, 11}, {406, 327, 133, 21}},
    {1033, ControlKind::IpAddress, {59, 53, 61, 11}, {406, 357, 133, 21}},
    {1035, ControlKind::IpAddress, {59, 69, 61, 11}, {406, 387, 133, 21}},
    {1016, ControlKind::Hotspot, {134, 60, 15, 11}, kRectBack},
    {1013, ControlKind::Hotspot, {154, 60, 15, 11}, kRectNext},
    {1018, ControlKind::StaticText, {10, 24, 21, 9}, kRectModelName},
    {1009, ControlKind::Hotspot, {7, 7, 15, 11}, kRectMenu},
    {1015, ControlKind::Hotspot, {55, 7, 15, 11}, kRectWirelessTab},
    // Five pixels wider than on the other pages of the family.
    {1014, ControlKind::Hotspot, {77, 7, 15, 11}, {290, 22, 95, 75}},
    {1010, ControlKind::Hotspot, {99, 7, 15, 11}, kRectFirmwareTab},
    {1012, ControlKind::Hotspot, {121, 7, 15, 11}, kRectQuickGuide},
    {1011, ControlKind::Hotspot, {143, 7, 15, 11}, kRectManual},
    {1008, ControlKind::Hotspot, {165, 7, 15, 11}, kRectExit},
    {1003, ControlKind::Hotspot, {125, 76, 15, 11}, kRectWebSite},
    {1004, ControlKind::Hotspot, {154, 76, 15, 11}, kRectContact},
};
constexpr const char* kNoAddress = "0.0.0.0";
}  // namespace

CZavroFixIP::CZavroFixIP(CZavroDlg* parent) : CSetupPage(parent, "CZavroFixIP", 154) {
    LoadBackground(LanguagePicture("11.jpg"));
}

void CZavroFixIP::OnInitDialog() {
    // The template places the controls; each paint moves them to their pixels.
    for (const auto& p : kPlacements) {
        const Rect r = DialogUnitsToPixels(p.dialogUnits);
        if (p.kind == ControlKind::Hotspot)
            AddHotspot(p.id, r);
        else
            AddControl(p.id, p.kind, r);
    }
    m_window->SetText(1018, theApp.GetModelName());
    HideWirelessTabsForModel2();
    m_window->SetText(1033, kNoAddress);
    EnableControl(1033, false);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1016);
}

void CZavroFixIP::BeforePaint() {
    for (const auto& p : kPlacements) {
        if (p.kind == ControlKind::Hotspot)
            MoveHotspot(p.id, p.pixels);
        else
            m_window->MoveControl(p.id, p.pixels);
    }
}

void CZavroFixIP::OnNotify(int id, Notify code) {
    // Any change of a non-zero IP proposes the class C mask, over whatever was typed.
    if (id == 1032 && code == Notify::FieldChanged && Text(1032) != kNoAddress)
        m_window->SetText(1034, "255.255.255.0");
}

void CZavroFixIP::OnCommand(int id) {
    if (HandleFamilyHotspot(id, true) || id != 1013) return;
    const std::string ip = Text(1032), mask = Text(1034), dns = Text(1033), gateway = Text(1035);
    if (!CheckInput(ip, mask, dns, gateway)) {
        ShowMessage("Input_The_Info");
        return;
    }
    Apply(ip, mask, dns, gateway);
}

bool CZavroFixIP::CheckInput(const std::string& ip, const std::string& mask,
                             const std::string& dns, const std::string& gateway) {
    return CheckFixedIp(ip, mask, dns, gateway) == BadInput::None;
}

void CZavroFixIP::Apply(std::string ip, std::string mask, std::string dns, std::string gateway) {
    RouterFailure why;
    const int result =
        RunRouterRequest([&](CFunction& f) { return f.SetFixedIp(ip, mask, dns, gateway); }, &why);
    FinishWanRequest(result, "FixedIP_set_failed", why);
}

}  // namespace zavro
