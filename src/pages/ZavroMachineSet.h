// Model list page: fixes the model variant, or starts the other model's wizard.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroMachineSet : public CPage {
public:
    explicit CZavroMachineSet(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void BeforePaint() override;
};

}  // namespace zavro
