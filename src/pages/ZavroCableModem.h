// Cable modem: the router takes its WAN address by DHCP; optional host name and WAN MAC.
#pragma once

#include <string>

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroCableModem : public CSetupPage {
public:
    explicit CZavroCableModem(CZavroDlg* parent);

    static constexpr const char* kHostNameError = kHostNameErrorText;

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    // Sends the settings; closes the page on success.
    virtual void Apply(std::string hostName, std::string mac);

private:
    void OnNext();
};

}  // namespace zavro
