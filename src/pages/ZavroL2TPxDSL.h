// First L2TP page: the router's own WAN address, kept for the second page.
#pragma once

#include "pages/TunnelPages.h"

namespace zavro {

class CZavroL2TPxDSL : public CTunnelAddressPage {
public:
    explicit CZavroL2TPxDSL(CZavroDlg* parent);
};

}  // namespace zavro
