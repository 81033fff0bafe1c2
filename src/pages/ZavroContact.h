// Contact page: a picture with the common hotspots only.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroContact : public CPage {
public:
    explicit CZavroContact(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void BeforePaint() override;
};

}  // namespace zavro
