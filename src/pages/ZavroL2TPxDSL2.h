// Second L2TP page: the tunnel account; sends the whole L2TP setting.
#pragma once

#include "pages/TunnelPages.h"

namespace zavro {

class CZavroL2TPxDSL2 : public CTunnelAccountPage {
public:
    explicit CZavroL2TPxDSL2(CZavroDlg* parent);
};

}  // namespace zavro
