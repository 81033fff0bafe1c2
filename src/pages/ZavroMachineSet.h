// Model list page: fixes the model variant, or starts the other model's wizard.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroMachineSet : public CPage {
public:
    explicit CZavroMachineSet(CZavroDlg* parent);
    // The other model's wizard (1062) takes over from this program.
    bool EndsProgram(int controlId) override {
        return controlId == 1062 || CPage::EndsProgram(controlId);
    }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void BeforePaint() override;
};

}  // namespace zavro
