#include "pages/SetupPageCommon.h"

#include <climits>

#include "app/Texts.h"
#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro {

int AtoiLike(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

std::optional<Octets> ParseDotted(const std::string& text) {
    Octets out{};
    std::size_t field = 0, digits = 0;
    int value = 0;
    for (char ch : text) {
        if (ch == '.') {
            if (digits == 0 || field == 3) return std::nullopt;
            out[field++] = value;
            value = 0;
            digits = 0;
        } else if (ch >= '0' && ch <= '9') {
            if (++digits > 3) return std::nullopt;
            value = value * 10 + (ch - '0');
            if (value > 255) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (field != 3 || digits == 0) return std::nullopt;
    out[3] = value;
    return out;
}

bool IsHostAddress(const Octets& o) {
    return o[0] >= 1 && o[0] <= 223 && o[3] >= 1 && o[3] <= 254;
}

bool IsMaskOctet(int octet) {
    switch (octet) {
        case 0:
        case 128:
        case 192:
        case 224:
        case 240:
        case 248:
        case 252:
        case 254:
        case 255:
            return true;
        default:
            return false;
    }
}

bool IsSubnetMask(const Octets& o) {
    for (int octet : o)
        if (!IsMaskOctet(octet)) return false;
    const std::uint32_t mask =
        static_cast<std::uint32_t>(o[0]) << 24 | static_cast<std::uint32_t>(o[1]) << 16 |
        static_cast<std::uint32_t>(o[2]) << 8 | static_cast<std::uint32_t>(o[3]);
    if (mask == 0 || (mask & 1u) != 0) return false;
    // From the lowest set bit upward every bit must be set: ~mask + 1 is then that bit.
    const std::uint32_t inverted = ~mask;
    return (inverted & (inverted + 1)) == 0;
}

bool IsGatewayAddress(const std::string& text) {
    const auto o = ParseDotted(text);
    if (!o) return false;
    if (*o == Octets{0, 0, 0, 0}) return true;
    return IsHostAddress(*o);
}

bool IsHexDigits(const std::string& text) {
    for (char ch : text) {
        const bool hex =
            (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (!hex) return false;
    }
    return true;
}

const char* WanResultKey(int result, const char* failKey) {
    if (result == 0) return nullptr;
    if (result == 1) return "failed_setting";
    return failKey;
}

int RunRouterRequest(const std::function<int(CFunction&)>& request, RouterFailure* why) {
    WaitCursor wait;
    CFunction function;
    int result = 1;
    if (function.ConnectRouter(kRouterAddress, kAdminAccount, theApp.m_strPassword,
                               theApp.GetModel()) == 0)
        result = request(function);
    if (why) *why = function.LastFailure();
    return result;
}

void CSetupPage::AddModelName(const Rect& r) {
    AddControl(1018, ControlKind::StaticText, r);
    m_window->SetText(1018, theApp.GetModelName());
}

void CSetupPage::AddFamilyHotspots(const FamilyRects& rects) {
    AddHotspot(1009, kRectMenu);
    AddHotspot(1015, rects.wireless);
    AddHotspot(1014, rects.key);
    AddHotspot(1010, rects.firmware);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, rects.contact);
}

void CSetupPage::HideWirelessTabsForModel2() {
    if (theApp.GetModel() != 2) return;
    ShowControl(1015, false);
    ShowControl(1014, false);
}

bool CSetupPage::HandleFamilyHotspot(int id, bool back1016) {
    if (HandleCommonHotspot(id, WM_PAGE_UPDATEFIRM)) return true;
    switch (id) {
        case 1015:
            CloseAndGo(WM_PAGE_ESSID);
            return true;
        case 1014:
            CloseAndGo(WM_PAGE_SETWPA);
            return true;
        case 1016:
            if (!back1016) return false;
            CloseAndGo(WM_PAGE_CONNECTMODE);
            return true;
        default:
            return false;
    }
}

bool CSetupPage::FinishWanRequest(int result, const char* failKey, const RouterFailure& why) {
    if (const char* key = WanResultKey(result, failKey)) {
        ShowRouterMessage(key, why);
        return false;
    }
    CloseAndGo(WM_PAGE_SUCCESS);
    return true;
}

std::string CSetupPage::Text(int id) const {
    return m_window ? m_window->GetText(id) : "";
}

}  // namespace zavro
