// Small modal box shown while the router restarts: a bar fills over the time its timers
// take, and its button appears once the router should be back.
#pragma once

#include <memory>
#include <string>

#include "platform/Ui.h"

namespace zavro {

class CZavroWait : public IWindowEvents {
public:
    CZavroWait();
    ~CZavroWait() override;
    // Runs the box modally: 1 (OK) or 2 (cancelled), 0 when no window could be made.
    int DoModal();

    void OnControl(int id, Notify code) override;
    void OnHotState(int, HotState) override {}
    void OnTimer(int timerId) override;
    void OnPosted(unsigned) override {}
    void OnPaint() override {}
    CursorShape OnSetCursor(int) override { return CursorShape::Arrow; }
    // The usual dialog keys: Enter ends with OK, Escape cancels.
    bool OnKeyDown(Key) override { return false; }

    IWindow* Window() { return m_window.get(); }

private:
    void OnInitDialog();

    std::unique_ptr<IWindow> m_window;
    std::string m_strIniPath;
    unsigned m_nTotalMs = 0;  // what the dialog's timers take together
    unsigned m_nTicks = 0;    // progress ticks so far
};

}  // namespace zavro
