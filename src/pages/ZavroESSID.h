// Wireless name page.
#pragma once

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroESSID : public CSetupPage {
public:
    explicit CZavroESSID(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    // Sends the name; 0 when the router took it (a message was shown otherwise).
    int SendSsid(bool reboot);
};

}  // namespace zavro
