// Manual list page: the manuals of the current language, when no model is chosen.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroManual : public CPage {
public:
    explicit CZavroManual(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void BeforePaint() override;
};

}  // namespace zavro
