#include "support/TestClock.h"

#include <chrono>

namespace zavro::test {

TestClock::TestClock() : m_owner(std::this_thread::get_id()) {}

std::uint64_t TestClock::NowMs() {
    std::lock_guard lock(m_mutex);
    return m_now.load();
}

void TestClock::MoveTo(std::uint64_t t) {
    if (t <= m_now) return;
    m_now = t;
    m_cv.notify_all();
    for (ManualResetEvent* e : m_waitingEvents) {
        std::lock_guard elock(e->Mutex());
        e->Cv().notify_all();
    }
}

void TestClock::SleepMs(std::uint32_t ms) {
    std::unique_lock lock(m_mutex);
    m_sleeps.push_back(ms);
    if (std::this_thread::get_id() == m_owner) {
        MoveTo(m_now + ms);
        return;
    }
    const std::uint64_t deadline = m_now + ms;
    ++m_blocked;
    auto pos = m_deadlines.insert(deadline);
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_now >= deadline; });
    m_deadlines.erase(pos);
    --m_blocked;
}

bool TestClock::Wait(ManualResetEvent& event, std::uint32_t ms) {
    std::unique_lock lock(m_mutex);
    m_sleeps.push_back(ms);
    const std::uint64_t deadline = m_now + ms;
    if (std::this_thread::get_id() == m_owner) {
        using namespace std::chrono;
        auto lastChange = steady_clock::now();
        std::size_t lastBlocked = m_blocked;
        for (;;) {
            if (event.IsSet()) return true;
            if (m_now >= deadline) return false;
            // Let the other threads work for a moment.
            m_cv.wait_for(lock, milliseconds(2));
            if (event.IsSet()) return true;
            if (m_blocked != lastBlocked) {
                lastBlocked = m_blocked;
                lastChange = steady_clock::now();
                continue;
            }
            if (!m_deadlines.empty() && *m_deadlines.begin() <= deadline &&
                steady_clock::now() - lastChange > milliseconds(5)) {
                // The others sleep on this clock: move time to the first of them.
                MoveTo(*m_deadlines.begin());
                lastChange = steady_clock::now();
            } else if (steady_clock::now() - lastChange > milliseconds(quietRealMs)) {
                MoveTo(deadline);  // nothing else moves: the time limit passes
            }
        }
    }
    ++m_blocked;
    auto pos = m_deadlines.insert(deadline);
    m_waitingEvents.insert(&event);
    m_cv.notify_all();
    lock.unlock();
    bool set = false;
    {
        std::unique_lock elock(event.Mutex());
        for (;;) {
            if (event.SetLocked()) {
                set = true;
                break;
            }
            if (m_now.load() >= deadline) break;
            // MoveTo stores the time, then notifies this cv under the event mutex, so no
            // wake-up is missed; never take m_mutex here (MoveTo holds it, then this one).
            event.Cv().wait(elock);
        }
    }
    lock.lock();
    m_waitingEvents.erase(&event);
    m_deadlines.erase(pos);
    --m_blocked;
    m_cv.notify_all();
    return set;
}

void TestClock::Advance(std::uint64_t ms) {
    std::vector<std::function<void(std::uint64_t)>> listeners;
    std::uint64_t now;
    {
        std::lock_guard lock(m_mutex);
        MoveTo(m_now + ms);
        now = m_now.load();
        listeners = m_listeners;
    }
    for (auto& l : listeners) l(now);
}

bool TestClock::WaitForBlocked(std::size_t n, unsigned realTimeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                         [&] { return m_blocked >= n; });
}

std::size_t TestClock::Blocked() {
    std::lock_guard lock(m_mutex);
    return m_blocked;
}

std::vector<std::uint32_t> TestClock::Sleeps() {
    std::lock_guard lock(m_mutex);
    return m_sleeps;
}

void TestClock::AddListener(std::function<void(std::uint64_t)> listener) {
    std::lock_guard lock(m_mutex);
    m_listeners.push_back(std::move(listener));
}

}  // namespace zavro::test
