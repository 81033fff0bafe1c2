// First PPTP page: the router's own WAN address, kept for the second page.
#pragma once

#include "pages/TunnelPages.h"

namespace zavro {

class CZavroPPTPxDSL : public CTunnelAddressPage {
public:
    explicit CZavroPPTPxDSL(CZavroDlg* parent);
};

}  // namespace zavro
