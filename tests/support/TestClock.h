// Virtual clock for tests. Nothing waits in real time for virtual time to pass:
// - on the thread that made the clock (the test thread, which is also the UI thread of
//   page tests) a sleep moves virtual time forward at once; a wait for an event lets the
//   other threads run and, while they sleep on this clock, moves time to the earliest of
//   their deadlines, until the event is set or its own deadline is reached (when nothing
//   else can make progress, time jumps to that deadline);
// - on other threads sleeps and waits block until the test thread moves time past their
//   deadline (or, for Wait, until the event is set).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/System.h"

namespace zavro::test {

class TestClock final : public IClock {
public:
    TestClock();
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool Wait(ManualResetEvent& event, std::uint32_t ms) override;

    // Moves virtual time forward; wakes the threads whose deadline has come, then runs
    // the listeners (the fake UI's timers).
    void Advance(std::uint64_t ms);
    // Blocks (in real time, bounded) until n other threads sleep or wait on this clock.
    bool WaitForBlocked(std::size_t n, unsigned realTimeoutMs = 5000);
    std::size_t Blocked();
    // Every sleep and timed wait asked for, in order, on any thread.
    std::vector<std::uint32_t> Sleeps();

    void AddListener(std::function<void(std::uint64_t now)> listener);

    // How long (real time) the test thread's Wait lets other threads run before it
    // decides that nothing but time can set its event.
    unsigned quietRealMs = 1000;

private:
    void MoveTo(std::uint64_t t);  // m_mutex held by the caller

    std::mutex m_mutex;
    std::condition_variable m_cv;  // time moved or a thread blocked
    std::atomic<std::uint64_t> m_now{0};  // read without m_mutex under an event's mutex
    std::thread::id m_owner;
    std::size_t m_blocked = 0;
    std::multiset<std::uint64_t> m_deadlines;  // of the blocked threads
    std::set<ManualResetEvent*> m_waitingEvents;
    std::vector<std::uint32_t> m_sleeps;
    std::vector<std::function<void(std::uint64_t)>> m_listeners;
};

}  // namespace zavro::test
