// PC and router check: the instruction page between the wizard start and the router
// connection page.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroARQX : public CPage {
public:
    explicit CZavroARQX(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
};

}  // namespace zavro
