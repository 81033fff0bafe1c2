// The application object: start-up and every value one page hands to a later one.
#pragma once

#include <string>

#include "app/Messages.h"

namespace zavro {

using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// The restart message keys. m_pszRebootKey always points at one of these, and pages
// compare the pointer, not the text.
extern const char* const kRebootKeySsid;      // "SSID_Reboot"
extern const char* const kRebootKeyWpa;       // "WPA_Reboot"
extern const char* const kRebootKeyFirmware;  // "Firm_Reboot"
extern const char* const kRebootKeyLanguage;  // "Set_Language"

class CZavroApp {
public:
    CZavroApp();
    virtual ~CZavroApp() = default;

    // Start-up; returns FALSE so that the process ends when the hub's run returns.
    BOOL InitInstance();
    // Back to the state of a freshly started program (tests run many "programs").
    void Reset();

    virtual void SetModel(int model) { m_nModel = model; }
    virtual int GetModel() { return m_nModel; }
    virtual void SetConnectionType(int type, BOOL chosen);
    virtual void SetConnectionTypeChosen(BOOL chosen) { m_bConnectionTypeChosen = chosen; }
    virtual int GetConnectionType() { return m_nConnectionType; }
    virtual BOOL GetConnectionTypeChosen() { return m_bConnectionTypeChosen; }
    virtual int GetLanguage() { return m_nLanguage; }
    virtual void SetLanguage(int language) { m_nLanguage = language; }
    virtual void SetModelChosen(BOOL chosen) { m_bModelChosen = chosen; }
    virtual BOOL GetModelChosen() { return m_bModelChosen; }
    virtual std::string GetModelName();
    virtual void SetTunnelAddrMode(int mode) { m_nTunnelAddrMode = mode; }
    virtual int GetTunnelAddrMode() { return m_nTunnelAddrMode; }

    HWND m_hHubWnd = nullptr;
    std::string m_strPassword;
    std::string m_strSSID;
    std::string m_strWPAKey;
    std::string m_strNewPassword;
    int m_nConnectionType = 0;
    BOOL m_bConnectionTypeChosen = 0;
    BOOL m_bResultImage = 0;
    BOOL m_bResultDone = 0;
    int m_nTunnelAddrMode = 0;
    std::string m_strTunnelInfo1, m_strTunnelInfo2, m_strTunnelInfo3, m_strTunnelInfo4,
        m_strTunnelInfo5, m_strTunnelInfo6;
    int m_nModel = 0;
    int m_nModelVariant = 0;
    BOOL m_bModelChosen = 0;
    const char* m_pszRebootKey = nullptr;
    // The user has moved or acted with the keys: focus frames show from then on.
    bool m_bKeyboardCues = false;
    int m_nLanguage = 0;
};

extern CZavroApp theApp;
extern std::string g_strBaseFolder;

// Language from the whole command line: "Spanish" 2, "Portugal" 3, else 1; a word at
// position 0 does not count.
int LanguageFromCommandLine(const std::string& commandLine);

std::string GetBaseFolder();
int GetWindowsVersionClass();

}  // namespace zavro
