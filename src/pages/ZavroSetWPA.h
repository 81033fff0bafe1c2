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
    bool OnPageKey(Key) override { return false; }
    // Its own Exit (1073, 1074) and back-to-menu (1068), not the common ones.
    bool EndsProgram(int controlId) override {
        return controlId == 1068 || controlId == 1073 || controlId == 1074;
    }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnShowWindow() override;
    // Between the key and the password: the summary's Back and Next row holds values.
    Rect WaitLineRect() const override { return {107, 440, 420, 22}; }
};

}  // namespace zavro
