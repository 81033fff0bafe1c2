// What the WAN input pages of the tunnel and BigPond family share: the input rules
// (pure functions) and a page base with the common hotspots of a WAN page.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "pages/SetupPageCommon.h"
#include "ui/Page.h"

namespace zavro {

class CFunction;

namespace wan {

// The router is always reached at this address with this account.
using zavro::kRouterAddress;
inline constexpr const char* kRouterAccount = kAdminAccount;

// ConnectRouter with the router address, the account, the current password and model.
int ConnectToRouter(CFunction& function);


// The four numbers of a dotted-decimal address; nullopt unless the text is exactly four
// decimal octets of 0..255 separated by dots.
std::optional<std::array<int, 4>> ParseDottedQuad(std::string_view text);

// A WAN host address: first octet 1..223, last octet 1..254, middle octets anything.
bool IsValidHostAddress(std::string_view text);
// Every octet 0/128/192/224/240/248/252/254/255 and the whole a prefix of 1..31 bits.
bool IsValidSubnetMask(std::string_view text);
// 0.0.0.0 (no gateway) or a valid host address.
bool IsValidGateway(std::string_view text);

// Only 0-9, a-f, A-F (an empty text passes).
bool IsHexText(std::string_view text);
using zavro::HasQuoteCharacter;
using zavro::IsCloneMacLength;

// Decimal value the way atoi reads it (leading blanks, a sign, digits, stop at the first
// other character; 0 when none), saturated at the int range instead of overflowing.
int AtoiValue(std::string_view text);

using zavro::kHostNameErrorText;

}  // namespace wan

// Page base of the tunnel and BigPond pages: the setup family's hotspots and rules.
class CWanPageCommon : public CSetupPage {
protected:
    using CommonRects = FamilyRects;
    using CSetupPage::CSetupPage;
    // The common hotspots at their rectangles, 1018 with the model name, and 1015/1014
    // hidden for model 2.
    void AddWanCommonControls(const CommonRects& rects);
    // The common hotspots plus 1015 and 1014; true when id was one of them. The page may be
    // gone afterwards.
    bool HandleWanCommon(int id) { return HandleFamilyHotspot(id, false); }
    // "Error" box for a quote in the host name.
    static void ShowHostNameError();
};

}  // namespace zavro
