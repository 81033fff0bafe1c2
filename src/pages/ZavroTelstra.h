// Telstra BigPond page: account, password and an optional login-server address.
#pragma once

#include <string>

#include "pages/WanPageCommon.h"

namespace zavro {

class CZavroTelstra : public CWanPageCommon {
public:
    explicit CZavroTelstra(CZavroDlg* parent);

    // "ON" while 1047 is checked, empty otherwise.
    const std::string& ServerSwitch() const { return m_strServerSwitch; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

    virtual void Apply(std::string strUser, std::string strPassword, std::string strSwitch,
                       std::string strServer);

private:
    void OnNext();

    std::string m_strServerSwitch;
};

}  // namespace zavro
