#include "pages/ZavroTelstra.h"

#include "app/InputRules.h"
#include "app/Texts.h"
#include "router/Function.h"

namespace zavro {

namespace {
// The router family this wizard ships for has no BigPond request.
constexpr int kModelWithoutTelstra = 8;
}  // namespace

CZavroTelstra::CZavroTelstra(CZavroDlg* parent) : CWanPageCommon(parent, "CZavroTelstra", 160) {
    LoadBackground(LanguagePicture("17.jpg"));
}

void CZavroTelstra::OnInitDialog() {
    CommonRects rects;
    rects.wireless = {209, 22, 76, 75};
    rects.key = {311, 22, 70, 75};
    rects.firmware = {409, 22, 72, 75};
    rects.contact = {673, 550, 100, 40};
    AddWanCommonControls(rects);
    AddControl(1036, ControlKind::Edit, {478, 264, 133, 21});
    AddControl(1037, ControlKind::PasswordEdit, {478, 294, 133, 21});
    AddCheckHotspot(1047, {317, 334, 23, 22});
    AddControl(1025, ControlKind::IpAddress, {478, 362, 133, 21});
    AddHotspot(1016, kRectBack);
    AddHotspot(1013, kRectNext);
    ShowControl(1025, false);
    m_window->SetLimit(1036, 64);
    m_window->SetLimit(1037, 64);
    Button(1047)->SetIcon(166, 165);
    DrawTransparent(1047);
    SetHandIds({1003, 1004});
    SetHandRange(1008, 1016);
}

void CZavroTelstra::OnCommand(int id) {
    if (HandleWanCommon(id)) return;
    switch (id) {
        case 1047:
            // A typed address stays in the hidden field and is still passed on.
            m_strServerSwitch = GetCheck(1047) ? "ON" : "";
            ShowControl(1025, !m_strServerSwitch.empty());
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

void CZavroTelstra::OnNext() {
    const std::string user = m_window->GetText(1036);
    const std::string password = m_window->GetText(1037);
    const std::string server = m_window->GetText(1025);
    if (CheckTelstra(user, password) != BadInput::None) {
        ShowMessage("Input_The_Info");
        return;
    }
    // The router takes ANSI bytes; the check above made sure nothing is lost.
    Apply(Utf8ToAnsi(user), Utf8ToAnsi(password), m_strServerSwitch, server);
}

void CZavroTelstra::Apply(std::string strUser, std::string strPassword, std::string strSwitch,
                          std::string strServer) {
    if (theApp.GetModel() == kModelWithoutTelstra) {
        ShowMessage("Telstra_Set_Failed");
        return;
    }
    CFunction function;
    const int result = RunBlocking([&] {
        return wan::ConnectToRouter(function) != 0
                   ? -1
                   : function.SetTelstra(strUser, strPassword, strSwitch, strServer);
    });
    if (result == 0) {
        CloseAndGo(WM_PAGE_SUCCESS);
        return;
    }
    ShowRouterMessage(result == -1 || result == 1 ? "failed_setting" : "Telstra_Set_Failed",
                      function.LastFailure());
}

}  // namespace zavro
