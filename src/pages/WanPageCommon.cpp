#include "pages/WanPageCommon.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro {

namespace wan {

int ConnectToRouter(CFunction& function) {
    return function.ConnectRouter(kRouterAddress, kRouterAccount, theApp.m_strPassword,
                                  theApp.GetModel());
}

std::optional<std::array<int, 4>> ParseDottedQuad(std::string_view text) {
    return ParseDotted(std::string(text));
}

bool IsValidHostAddress(std::string_view text) {
    const auto o = ParseDottedQuad(text);
    return o && IsHostAddress(*o);
}

bool IsValidSubnetMask(std::string_view text) {
    const auto o = ParseDottedQuad(text);
    return o && IsSubnetMask(*o);
}

bool IsValidGateway(std::string_view text) {
    return IsGatewayAddress(std::string(text));
}

bool IsHexText(std::string_view text) {
    return IsHexDigits(std::string(text));
}

int AtoiValue(std::string_view text) {
    return AtoiLike(std::string(text));
}

}  // namespace wan

void CWanPageCommon::AddWanCommonControls(const CommonRects& rects) {
    AddFamilyHotspots(rects);
    AddModelName();
    HideWirelessTabsForModel2();
}

void CWanPageCommon::ShowHostNameError() {
    Ports().ui->MessageBox(wan::kHostNameErrorText, "Error");
}

}  // namespace zavro
