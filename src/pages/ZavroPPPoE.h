// PPPoE: account, password, optional service name, MTU and the connection mode.
#pragma once

#include <string>

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroPPPoE : public CSetupPage {
public:
    explicit CZavroPPPoE(CZavroDlg* parent);

    static constexpr const char* kDefaultMtu = "1392";

    // The Next rules, in order; true when all pass.
    static bool CheckInput(const std::string& user, const std::string& password,
                           const std::string& mtu, int connectMode, const std::string& idleTime);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnNotify(int id, Notify code) override;
    // Sends the settings; closes the page on success.
    virtual void Apply(std::string user, std::string password, std::string serviceName,
                       std::string mtu, int connectMode, std::string idleTime);

private:
    // Index last chosen in 1040: 0 always on, 1 on demand; sent as the connect type.
    int m_nConnectMode = 0;
};

}  // namespace zavro
