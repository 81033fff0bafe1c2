#include "pages/ZavroL2TPxDSL2.h"

#include "router/Function.h"

namespace zavro {

namespace {
// The PPTP second page's pixels, placed once.
const TunnelAccountSpec kSpec{
    "CZavroL2TPxDSL2",
    159,
    "16.jpg",
    WM_PAGE_L2TP,
    &CFunction::SetL2tp,
    "L2TPxDSL_Set_Failed",
    false,
    true,
    {
        {1036, ControlKind::Edit, false, {56, 22, 32, 12}, {405, 226, 133, 21}},
        {1037, ControlKind::PasswordEdit, false, {56, 34, 31, 12}, {405, 256, 133, 21}},
        {1035, ControlKind::IpAddress, false, {55, 48, 60, 11}, {405, 286, 133, 21}},
        {1045, ControlKind::Edit, false, {55, 63, 30, 12}, {405, 316, 133, 21}},
        {1039, ControlKind::Edit, false, {55, 76, 30, 12}, {405, 346, 133, 21}},
        {1040, ControlKind::DropList, false, {55, 92, 62, 47}, {405, 376, 133, 21}},
        {1041, ControlKind::Edit, false, {56, 106, 30, 12}, {405, 406, 133, 21}},
        {1016, ControlKind::Hotspot, false, {134, 60, 15, 11}, kRectBack},
        {1013, ControlKind::Hotspot, false, {154, 60, 15, 11}, kRectNext},
    }};
}  // namespace

CZavroL2TPxDSL2::CZavroL2TPxDSL2(CZavroDlg* parent) : CTunnelAccountPage(parent, kSpec) {}

}  // namespace zavro
