#include "pages/ZavroL2TPxDSL.h"

namespace zavro {

namespace {
// The PPTP first page's layout, 12 to 14 pixels lower.
const TunnelAddressSpec kSpec{
    "CZavroL2TPxDSL",
    158,
    "15.jpg",
    WM_PAGE_L2TP2,
    false,
    {
        {1042, ControlKind::Hotspot, true, {60, 25, 9, 9}, {103, 239, 23, 22}},
        {1030, ControlKind::Edit, false, {75, 25, 32, 12}, {483, 239, 133, 21}},
        {1031, ControlKind::Edit, false, {75, 41, 31, 12}, {483, 269, 133, 21}},
        {1017, ControlKind::Hotspot, false, {112, 37, 15, 11}, {628, 269, 59, 23}},
        {1043, ControlKind::Hotspot, true, {60, 49, 9, 9}, {103, 359, 23, 22}},
        {1032, ControlKind::IpAddress, false, {68, 64, 60, 11}, {483, 359, 133, 21}},
        {1033, ControlKind::IpAddress, false, {68, 81, 61, 11}, {483, 389, 133, 21}},
        {1034, ControlKind::IpAddress, false, {67, 99, 60, 11}, {483, 419, 133, 21}},
        {1035, ControlKind::IpAddress, false, {67, 116, 61, 11}, {483, 449, 133, 21}},
        {1016, ControlKind::Hotspot, false, {134, 60, 15, 11}, kRectBack},
        {1013, ControlKind::Hotspot, false, {154, 60, 15, 11}, kRectNext},
    }};
}  // namespace

CZavroL2TPxDSL::CZavroL2TPxDSL(CZavroDlg* parent) : CTunnelAddressPage(parent, kSpec) {}

}  // namespace zavro
