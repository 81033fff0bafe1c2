// Wireless security page and the wireless summary page.
#pragma once

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroSetWPA : public CSetupPage {
public:
    explicit CZavroSetWPA(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void Apply();
};

class CZvWPAconfigure : public CPage {
public:
    explicit CZvWPAconfigure(CZavroDlg* parent);

    CursorShape OnSetCursor(int) override { return CursorShape::Arrow; }
    // This page keeps the usual dialog keys; with no default button they do nothing.
    bool OnKeyDown(Key) override { return false; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnShowWindow() override;
};

}  // namespace zavro
