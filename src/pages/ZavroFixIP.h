// Fixed IP: WAN address, mask and gateway from the provider; the DNS field stays 0.0.0.0.
#pragma once

#include <string>

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroFixIP : public CSetupPage {
public:
    explicit CZavroFixIP(CZavroDlg* parent);

    // The Next rules, in order; true when all pass.
    static bool CheckInput(const std::string& ip, const std::string& mask, const std::string& dns,
                           const std::string& gateway);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnNotify(int id, Notify code) override;
    void BeforePaint() override;
    // Sends the settings; closes the page on success.
    virtual void Apply(std::string ip, std::string mask, std::string dns, std::string gateway);
};

}  // namespace zavro
