// Router connection page: its Next fixes the model, puts the PC on automatic addressing
// and goes on to the admin password page.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroQXset : public CPage {
public:
    explicit CZavroQXset(CZavroDlg* parent);

    // Time the router needs to hand the PC its new address.
    static constexpr unsigned kAddressWaitMs = 6000;

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    const char* WaitLineKey() const override { return "wait_address"; }

private:
    void OnNext();
};

}  // namespace zavro
