// Second PPTP page: the tunnel account; sends the whole PPTP setting.
#pragma once

#include "pages/TunnelPages.h"

namespace zavro {

class CZavroPPTPxDSL2 : public CTunnelAccountPage {
public:
    explicit CZavroPPTPxDSL2(CZavroDlg* parent);
};

}  // namespace zavro
