#include "app/ZavroDlg.h"

#include <new>

#include "app/Documents.h"
#include "app/Texts.h"
#include "app/ZavroApp.h"
#include "pages/ZavroARQX.h"
#include "pages/ZavroCableModem.h"
#include "pages/ZavroConnectMode.h"
#include "pages/ZavroContact.h"
#include "pages/ZavroESSID.h"
#include "pages/ZavroMachineSet.h"
#include "pages/ZavroManual.h"
#include "pages/ZavroSetWPA.h"
#include "pages/ZavroSuccess.h"
#include "pages/ZavroUpdateFirM.h"
#include "pages/ZavroFixIP.h"
#include "pages/ZavroPPPoE.h"
#include "pages/ZavroQXset.h"
#include "pages/ZavroSetPwd.h"
#include "pages/ZavroWelcome.h"
#include "pages/ZavroL2TPxDSL.h"
#include "pages/ZavroL2TPxDSL2.h"
#include "pages/ZavroPPTPxDSL.h"
#include "pages/ZavroPPTPxDSL2.h"
#include "pages/ZavroTelstra.h"
#include "pages/ZavroWizard.h"
#include "platform/Platform.h"
#include "ui/ButtonST.h"

namespace zavro {

CZavroDlg::CZavroDlg() : m_nLanguage(theApp.GetLanguage()), m_hIcon(LoadIconResource(128)) {
    m_handlers = {
        {WM_PAGE_QIG, [] { OpenQuickGuideDocument(); return 0L; }},
        {WM_PAGE_CONTACT, [this] { return OpenPage<CZavroContact>(); }},
        {WM_PAGE_MANUAL,
         [this] {
             if (theApp.m_bModelChosen) {
                 OpenModelManual(m_nLanguage);
                 return 0L;
             }
             return OpenPage<CZavroManual>();
         }},
        {WM_PAGE_WIZARD,
         [this] {
             m_nLanguage = theApp.GetLanguage();
             return OpenPage<CZavroWizard>();
         }},
        {WM_PAGE_MACHINESET, [this] { return OpenPage<CZavroMachineSet>(); }},
        // Result, wireless and maintenance pages.
        {WM_PAGE_SETLANGUAGE, [this] { return OpenPage<CZavroSetLanguage>(); }},
        {WM_PAGE_ESSID, [this] { return OpenPage<CZavroESSID>(); }},
        {WM_PAGE_SETWPA, [this] { return OpenPage<CZavroSetWPA>(); }},
        {WM_PAGE_UPDATEFIRM, [this] { return OpenPage<CZavroUpdateFirM>(); }},
        {WM_PAGE_SUCCESS, [this] { return OpenPage<CZavroSuccess>(); }},
        {WM_PAGE_FAILED, [this] { return OpenPage<CZavroFailed>(); }},
        {WM_PAGE_WPACONFIGURE, [this] { return OpenPage<CZvWPAconfigure>(); }},
        // Guided setup: language, router check, password, connection type, DHCP, fixed IP,
        // PPPoE.
        {WM_PAGE_WELCOME, [this] { return OpenPage<CZavroWelcome>(); }},
        {WM_PAGE_ARQX, [this] { return OpenPage<CZavroARQX>(); }},
        {WM_PAGE_QXSET, [this] { return OpenPage<CZavroQXset>(); }},
        {WM_PAGE_SETPWD, [this] { return OpenPage<CZavroSetPwd>(); }},
        {WM_PAGE_CONNECTMODE, [this] { return OpenPage<CZavroConnectMode>(); }},
        {WM_PAGE_CABLEMODEM, [this] { return OpenPage<CZavroCableModem>(); }},
        {WM_PAGE_FIXIP, [this] { return OpenPage<CZavroFixIP>(); }},
        {WM_PAGE_PPPOE, [this] { return OpenPage<CZavroPPPoE>(); }},
        {WM_PAGE_WANTYPE,
         [this] {
             static const unsigned kByType[] = {WM_PAGE_CABLEMODEM, WM_PAGE_FIXIP,
                                                WM_PAGE_PPPOE,      WM_PAGE_PPTP,
                                                WM_PAGE_L2TP,       WM_PAGE_TELSTRA};
             const int type = theApp.GetConnectionType();
             if (type >= 1 && type <= 6) SendMessage(this, kByType[type - 1]);
             return 0L;
         }},
        // WAN pages: PPTP, L2TP and BigPond.
        {WM_PAGE_PPTP, [this] { return OpenPage<CZavroPPTPxDSL>(); }},
        {WM_PAGE_PPTP2, [this] { return OpenPage<CZavroPPTPxDSL2>(); }},
        {WM_PAGE_L2TP, [this] { return OpenPage<CZavroL2TPxDSL>(); }},
        {WM_PAGE_L2TP2, [this] { return OpenPage<CZavroL2TPxDSL2>(); }},
        {WM_PAGE_TELSTRA, [this] { return OpenPage<CZavroTelstra>(); }},
    };
}

CZavroDlg::~CZavroDlg() {
    if (theApp.m_hHubWnd == this) theApp.m_hHubWnd = nullptr;
}

bool CZavroDlg::OnInitDialog() {
    theApp.m_hHubWnd = this;
    OpenPage<CZavroWizard>();
    return true;
}

int CZavroDlg::DoModal() {
    OnInitDialog();
    return Ports().ui->Run();
}

long CZavroDlg::OnMessage(unsigned message) {
    const auto it = m_handlers.find(message);
    return it == m_handlers.end() ? 0 : it->second();
}

template <class T>
long CZavroDlg::OpenPage() {
    std::unique_ptr<T> page;
    try {
        page = std::make_unique<T>(this);
    } catch (const std::bad_alloc&) {
        ShowMessage("Error_creating_Dialog");
        return 0;
    }
    T* raw = page.get();
    m_pages.push_back(std::move(page));
    if (!raw->CreatePage()) ShowMessage("Error_creating_Dialog");
    raw->ShowWindow(true);
    return 0;
}

void CZavroDlg::ReleasePage(CPage* page) {
    m_released.push_back(page);
    if (m_bFreeScheduled || Ports().ui == nullptr) return;
    m_bFreeScheduled = true;
    Ports().ui->Defer([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock()) FreeReleasedPages();
    });
}

void CZavroDlg::FreeReleasedPages() {
    m_bFreeScheduled = false;
    for (CPage* released : m_released)
        std::erase_if(m_pages, [released](const auto& p) { return p.get() == released; });
    m_released.clear();
}

}  // namespace zavro
