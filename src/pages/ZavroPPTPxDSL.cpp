#include "pages/ZavroPPTPxDSL.h"

namespace zavro {

namespace {
const TunnelAddressSpec kSpec{
    "CZavroPPTPxDSL",
    156,
    "13.jpg",
    WM_PAGE_PPTP2,
    true,
    {
        {1042, ControlKind::Hotspot, true, {42, 21, 9, 9}, {103, 225, 23, 22}},
        {1030, ControlKind::Edit, false, {56, 23, 32, 12}, {483, 227, 133, 21}},
        {1031, ControlKind::Edit, false, {56, 35, 31, 12}, {483, 257, 133, 21}},
        {1017, ControlKind::Hotspot, false, {96, 29, 15, 11}, {628, 255, 59, 23}},
        {1043, ControlKind::Hotspot, true, {41, 54, 9, 9}, {103, 345, 23, 22}},
        {1032, ControlKind::IpAddress, false, {55, 53, 60, 11}, {483, 347, 133, 21}},
        {1033, ControlKind::IpAddress, false, {55, 68, 61, 11}, {483, 377, 133, 21}},
        {1034, ControlKind::IpAddress, false, {55, 85, 60, 11}, {483, 407, 133, 21}},
        {1035, ControlKind::IpAddress, false, {55, 103, 61, 11}, {483, 437, 133, 21}},
        {1016, ControlKind::Hotspot, false, {134, 60, 15, 11}, kRectBack},
        {1013, ControlKind::Hotspot, false, {154, 60, 15, 11}, kRectNext},
    }};
}  // namespace

CZavroPPTPxDSL::CZavroPPTPxDSL(CZavroDlg* parent) : CTunnelAddressPage(parent, kSpec) {}

}  // namespace zavro
