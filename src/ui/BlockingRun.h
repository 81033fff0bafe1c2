// What a toolkit adapter needs to run blocking work without a dead window: the work on a
// helper thread while the UI thread keeps turning its event loop, and the deliveries to
// pages that arrive meanwhile (timers, posted messages, deferred tasks) held back in
// their order. One per toolkit; every method but the work itself runs on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace zavro {

class CBlockingRun {
public:
    // Runs work on a helper thread and calls pump() on this thread until it has ended.
    // wake() is called on the helper thread once the work has ended, so that a pump that
    // sleeps until the next event returns. A run started from inside a pump (which no
    // page can do, as their input is dropped) runs its work inline.
    void Run(const std::function<void()>& work, const std::function<void()>& pump,
             const std::function<void()>& wake);
    bool Busy() const { return m_depth > 0; }

    // While busy, keeps task for after the work and returns true; otherwise returns false
    // and the caller delivers it now. Tasks with the same non-zero key are kept once, as
    // a message queue keeps one pending tick of a timer.
    bool Hold(std::function<void()> task, std::uintptr_t key = 0);
    // The held tasks in their order; empty while a run goes on.
    std::vector<std::function<void()>> TakeHeld();

private:
    struct Held {
        std::uintptr_t key;
        std::function<void()> task;
    };
    int m_depth = 0;
    std::vector<Held> m_held;
};

}  // namespace zavro
