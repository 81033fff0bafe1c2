// Firmware update page and router language page.
#pragma once

#include "ui/Page.h"

namespace zavro {

class CZavroUpdateFirM : public CPage {
public:
    explicit CZavroUpdateFirM(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    const char* WaitLineKey() const override { return "wait_upload"; }

private:
    void Upload();
};

class CZavroSetLanguage : public CPage {
public:
    explicit CZavroSetLanguage(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    const char* WaitLineKey() const override { return "wait_upload"; }

private:
    void Update();
};

}  // namespace zavro
