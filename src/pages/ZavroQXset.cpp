#include "pages/ZavroQXset.h"

#include "app/Texts.h"
#include "hostnet/HostTcpIp.h"
#include "pages/SetupPageCommon.h"
#include "platform/Platform.h"

namespace zavro {

namespace {
constexpr int kCommonIds[] = {1009, 1008, 1003, 1004, 1010, 1011, 1012};
// Template place of the (unused) animation control.
constexpr Rect kAnimationTemplate{60, 60, 40, 20};
}  // namespace

CZavroQXset::CZavroQXset(CZavroDlg* parent) : CPage(parent, "CZavroQXset", 140) {
    LoadBackground(LanguagePicture("05.jpg"));
}

void CZavroQXset::OnInitDialog() {
    AddCheckHotspot(1014, {443, 439, 23, 22});
    Button(1014)->SetIcon(166, 165);
    DrawTransparent(1014);
    AddHotspot(1009, kRectMenu);
    AddHotspot(1010, kRectStart);
    AddHotspot(1012, kRectQuickGuide);
    AddHotspot(1011, kRectManual);
    AddHotspot(1008, kRectExit);
    AddHotspot(1003, kRectWebSite);
    AddHotspot(1004, kRectContact);
    AddHotspot(1013, kRectNext);
    AddControl(1057, ControlKind::Animation, DialogUnitsToPixels(kAnimationTemplate));

    // The confirmation box stays hidden and checked: Next never asks for it in practice.
    for (int id : kCommonIds) ShowControl(id, false);
    ShowControl(1013, false);
    ShowControl(1014, false);
    SetCheck(1014, 1);
    ShowControl(1057, false);
    ShowControl(1013, true);
    for (int id : kCommonIds) ShowControl(id, true);

    SetHandIds({1003, 1004});
    SetHandRange(1008, 1013);
}

void CZavroQXset::OnCommand(int id) {
    if (HandleCommonHotspot(id, WM_PAGE_WIZARD)) return;
    if (id == 1013) OnNext();
}

void CZavroQXset::OnNext() {
    if (!GetCheck(1014)) {
        ShowMessage("Connect_to_Router");
        return;
    }
    // Fixed before anything else, so they stay set even if the run ends here.
    theApp.SetModel(8);
    theApp.m_nModelVariant = 2;
    theApp.SetModelChosen(TRUE);

    // The scripts and the address renewal run as hidden programs that may take a while.
    const int r = RunBlocking([] { return ResetHostTcpIp(); });
    if (r == kHostResetNeedsRestart) {
        ShowMessage("Reboot");
        // The wizard carries on while the system shuts down.
        Ports().shell->RestartSystem();
    } else if (r == kHostResetUnsupported) {
        ShowMessage("Cannot_Support");
        ClosePage();
        Ports().system->ExitProcess(0);
        return;
    }
    RunBlocking([] { Ports().clock->SleepMs(kAddressWaitMs); });
    CloseAndGo(WM_PAGE_SETPWD);
}

}  // namespace zavro
