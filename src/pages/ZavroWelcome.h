// Language choice: sixteen language buttons on one picture.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroWelcome : public CPage {
public:
    explicit CZavroWelcome(CZavroDlg* parent);
    int ChosenLanguage() const { return m_nLanguage; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    int m_nLanguage = 0;
};

}  // namespace zavro
