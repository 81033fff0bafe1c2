#include "pages/TunnelPages.h"

#include "app/Texts.h"
#include "platform/Platform.h"
#include "router/Function.h"

namespace zavro {

namespace {

constexpr int kModeDynamic = 0;
constexpr int kModeFixed = 1;
constexpr int kModeNone = 3;

}  // namespace

// ---- first page ----

CTunnelAddressPage::CTunnelAddressPage(CZavroDlg* parent, const TunnelAddressSpec& spec)
    : CWanPageCommon(parent, spec.className, spec.templateId), m_spec(spec) {
    LoadBackground(LanguagePicture(spec.picture));
}

void CTunnelAddressPage::OnInitDialog() {
    AddWanCommonControls({});
    for (const TunnelPlacement& p : m_spec.controls) {
        // A page that places its controls on every paint starts them at the template's spot.
        const Rect r = m_spec.placeOnEveryPaint ? DialogUnitsToPixels(p.dialogUnits) : p.pixels;
        if (p.kind != ControlKind::Hotspot)
            AddControl(p.id, p.kind, r);
        else if (p.checkBox)
            AddCheckHotspot(p.id, r);
        else
            AddHotspot(p.id, r);
    }
    m_window->SetLimit(1030, 30);
    m_window->SetLimit(1031, 12);

    const int mode = theApp.GetTunnelAddrMode();
    if (mode != kModeNone) {
        SetCheck(1042, mode == kModeDynamic ? 1 : 0);
        SetCheck(1043, mode == kModeFixed ? 1 : 0);
    }
    m_window->SetText(1030, theApp.m_strTunnelInfo1);
    m_window->SetText(1031, theApp.m_strTunnelInfo2);
    m_window->SetText(1032, theApp.m_strTunnelInfo3);
    m_window->SetText(1033, theApp.m_strTunnelInfo4);
    m_window->SetText(1035, theApp.m_strTunnelInfo6);
    EnableControl(1034, false);
    for (int id : {1042, 1043}) {
        Button(id)->SetIcon(166, 165);
        DrawTransparent(id);
    }

    SetHandIds({1003, 1004});
    SetHandRange(1008, 1017);
}

void CTunnelAddressPage::BeforePaint() {
    if (!m_spec.placeOnEveryPaint) return;
    for (const TunnelPlacement& p : m_spec.controls)
        if (!(m_window->ControlRect(p.id) == p.pixels)) MoveHotspot(p.id, p.pixels);
}

void CTunnelAddressPage::OnCommand(int id) {
    if (HandleWanCommon(id)) return;
    switch (id) {
        case 1042:
        case 1043:
            OnAddressModeBox(id);
            break;
        case 1017:
            ClonePcMac(1031);
            break;
        case 1016:
            CloseAndGo(WM_PAGE_CONNECTMODE);
            break;
        case 1013:
            OnNext();
            break;
        default:
            break;
    }
}

void CTunnelAddressPage::OnNotify(int id, Notify code) {
    // Any address but none suggests the usual mask, over whatever the mask holds.
    if (id == 1032 && code == Notify::FieldChanged && m_window->GetText(1032) != "0.0.0.0")
        m_window->SetText(1033, "255.255.255.0");
}

void CTunnelAddressPage::OnAddressModeBox(int id) {
    const int other = id == 1042 ? 1043 : 1042;
    if (GetCheck(id)) {
        SetCheck(other, 0);
        theApp.SetTunnelAddrMode(id == 1042 ? kModeDynamic : kModeFixed);
    } else if (!GetCheck(other)) {
        theApp.SetTunnelAddrMode(kModeNone);
    }
}

void CTunnelAddressPage::OnNext() {
    if (theApp.GetTunnelAddrMode() == kModeNone) {
        ShowMessage("Input_The_Info");
        return;
    }
    const std::string host = m_window->GetText(1030);
    const std::string mac = m_window->GetText(1031);
    const std::string ip = m_window->GetText(1032);
    const std::string mask = m_window->GetText(1033);
    const std::string gateway = m_window->GetText(1035);

    const int mode = GetCheck(1042) ? kModeDynamic : GetCheck(1043) ? kModeFixed : kModeNone;
    switch (CheckTunnelAddress(mode, host, mac, ip, mask, gateway)) {
        case BadInput::None:
            break;
        case BadInput::HostNameQuote:
            ShowHostNameError();
            return;
        default:
            ShowMessage("Input_The_Info");
            return;
    }

    theApp.m_strTunnelInfo1 = host;
    theApp.m_strTunnelInfo2 = mac;
    theApp.m_strTunnelInfo3 = ip;
    theApp.m_strTunnelInfo4 = mask;
    theApp.m_strTunnelInfo6 = gateway;
    CloseAndGo(m_spec.nextMessage);
}

// ---- second page ----

CTunnelAccountPage::CTunnelAccountPage(CZavroDlg* parent, const TunnelAccountSpec& spec)
    : CWanPageCommon(parent, spec.className, spec.templateId), m_spec(spec) {
    LoadBackground(LanguagePicture(spec.picture));
}

void CTunnelAccountPage::OnInitDialog() {
    AddWanCommonControls({});
    for (const TunnelPlacement& p : m_spec.controls) {
        const Rect r = m_spec.placeOnEveryPaint ? DialogUnitsToPixels(p.dialogUnits) : p.pixels;
        if (p.kind == ControlKind::Hotspot)
            AddHotspot(p.id, r);
        else
            AddControl(p.id, p.kind, r);
    }
    m_window->SetItems(1040, {"Continuous", "Connect On Demand"});
    m_window->SetSelection(1040, 0);
    EnableControl(1041, false);
    m_window->SetLimit(1036, 64);
    m_window->SetLimit(1037, 64);
    m_window->SetLimit(1045, 30);
    m_window->SetLimit(1039, 4);
    m_window->SetLimit(1041, 4);
    const int model = theApp.GetModel();
    if (model == 6 || model == 7) EnableControl(1045, false);
    m_window->SetText(1039, "1392");

    SetHandIds({1003, 1004});
    SetHandRange(1008, m_spec.handOverBack ? 1016 : 1015);
}

void CTunnelAccountPage::BeforePaint() {
    if (!m_spec.placeOnEveryPaint) return;
    for (const TunnelPlacement& p : m_spec.controls)
        if (!(m_window->ControlRect(p.id) == p.pixels)) MoveHotspot(p.id, p.pixels);
}

void CTunnelAccountPage::OnCommand(int id) {
    if (HandleWanCommon(id)) return;
    if (id == 1016) {
        CloseAndGo(m_spec.backMessage);
    } else if (id == 1013) {
        OnNext();
    }
}

void CTunnelAccountPage::OnNotify(int id, Notify code) {
    if (id != 1040 || code != Notify::SelChange) return;
    m_nConnectMode = m_window->GetSelection(1040);
    // The idle time keeps its text while disabled; it is still passed on.
    if (m_nConnectMode == 1) {
        EnableControl(1041, true);
        m_window->SetLimit(1041, 4);
    } else {
        EnableControl(1041, false);
    }
}

void CTunnelAccountPage::OnNext() {
    const std::string mtu = m_window->GetText(1039);
    const std::string idle = m_window->GetText(1041);
    const std::string user = m_window->GetText(1036);
    const std::string password = m_window->GetText(1037);
    const std::string connectionId = m_window->GetText(1045);
    if (CheckAccount(user, password, mtu, m_nConnectMode, idle) != BadInput::None ||
        CheckAnsiText(connectionId, BadInput::ConnectionIdNotAnsi) != BadInput::None) {
        ShowMessage("Input_The_Info");
        return;
    }
    // The router takes ANSI bytes; the checks above made sure nothing is lost.
    Apply(Utf8ToAnsi(user), Utf8ToAnsi(password), m_window->GetText(1035), Utf8ToAnsi(connectionId),
          mtu, m_nConnectMode, idle);
}

void CTunnelAccountPage::Apply(std::string strUser, std::string strPassword, std::string strServer,
                               std::string strConnId, std::string strMtu, int nConnectMode,
                               std::string strIdleTime) {
    // Checked on the address page, kept as typed for the way back there.
    const std::string hostName = Utf8ToAnsi(theApp.m_strTunnelInfo1);
    CFunction function;
    const int result = RunBlocking([&] {
        if (wan::ConnectToRouter(function) != 0) return -1;
        function.ReadPcMacAddress();
        return (function.*m_spec.request)(
            theApp.GetTunnelAddrMode(), hostName, function.m_strPcMac, theApp.m_strTunnelInfo2,
            theApp.m_strTunnelInfo3, theApp.m_strTunnelInfo4, theApp.m_strTunnelInfo6, strUser,
            strPassword, strServer, strConnId, strMtu, nConnectMode, strIdleTime);
    });
    if (result == 0) {
        CloseAndGo(WM_PAGE_SETLANGUAGE);
        return;
    }
    ShowRouterMessage(result == -1 || result == 1 ? "failed_setting" : m_spec.failureKey,
                      function.LastFailure());
}

}  // namespace zavro
