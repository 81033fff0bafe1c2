// What the guided-setup pages share: the router access values, the input rules (from the
// core), the wait cursor, and a page base with the WAN family's tab hotspots.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/InputRules.h"
#include "router/Failure.h"
#include "ui/Page.h"
#include "ui/Blocking.h"

namespace zavro {

class CFunction;

inline constexpr const char* kRouterAddress = "192.168.2.1";
inline constexpr const char* kAdminAccount = "admin";
inline constexpr const char* kDefaultAdminPassword = "5820";
// Text of the "Error" box shown for a quote in a host name.
inline constexpr const char* kHostNameErrorText =
    "Host Name can not contain the follow characters \n ' and \" ";

// Tab hotspots of the connection-type and WAN pages.
constexpr Rect kRectWirelessTab{199, 22, 85, 75};  // 1015
constexpr Rect kRectKeyTab{290, 22, 90, 75};       // 1014
constexpr Rect kRectFirmwareTab{386, 22, 95, 80};  // 1010
constexpr Rect kRectModelName{107, 155, 94, 21};   // 1018

// Key for a WAN request result: nullptr for 0, "failed_setting" for 1, else failKey.
const char* WanResultKey(int result, const char* failKey);

// Connects with theApp's password and model, then runs request; a failed connection
// counts as result 1. Runs as blocking work (wait cursor, live window). why (optional)
// gets the client's last failure.
int RunRouterRequest(const std::function<int(CFunction&)>& request, RouterFailure* why = nullptr);
// The router-language step after a restart: connects, then sends theApp's language (its
// answer is not judged). 0 when connected, else 1 with why.
int SendRouterLanguage(RouterFailure& why);

// Page base of the connection-type and WAN pages.
class CSetupPage : public CPage {
public:
    using CPage::CPage;

protected:
    // Static 1018 with the model name.
    void AddModelName(const Rect& r = kRectModelName);
    // Where a page's picture has the tabs and the contact button.
    struct FamilyRects {
        Rect wireless = kRectWirelessTab;  // 1015
        Rect key = kRectKeyTab;            // 1014
        Rect firmware = kRectFirmwareTab;  // 1010
        Rect contact = kRectContact;       // 1004
    };
    // The common hotspots with the tabs 1015, 1014 and 1010.
    void AddFamilyHotspots(const FamilyRects& rects);
    void AddFamilyHotspots() { AddFamilyHotspots(FamilyRects{}); }
    // Clone hotspot: reads this PC's adapter address through the router into field (emptied
    // when the router cannot be reached, which the message box then says).
    void ClonePcMac(int field);
    // Model 2 has no wireless: its two tabs go.
    void HideWirelessTabsForModel2();
    // The common hotspots, 1010 (firmware), 1015 and 1014 (wireless tabs) and, when
    // back1016, 1016 (connection type). True when id was one of them.
    bool HandleFamilyHotspot(int id, bool back1016);
    // Shows the key of a WAN result or, for 0, closes and opens the result page. True
    // when the page has closed.
    bool FinishWanRequest(int result, const char* failKey, const RouterFailure& why = {});
    std::string Text(int id) const;
};

}  // namespace zavro
