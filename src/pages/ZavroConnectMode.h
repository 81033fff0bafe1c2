// Connection-type choice: six exclusive type boxes and Next, which lets the hub open the
// page of the chosen WAN type.
#pragma once

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroConnectMode : public CSetupPage {
public:
    explicit CZavroConnectMode(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void OnTypeBox(int id, int type);
};

}  // namespace zavro
