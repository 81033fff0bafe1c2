// Wizard start page: the first page of every run.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroWizard : public CPage {
public:
    explicit CZavroWizard(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
};

}  // namespace zavro
