#include "platform/posix/PosixClock.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

#include "platform/posix/TimeScale.h"

namespace zavro {

PosixClock::PosixClock() : PosixClock(TimeScale()) {}

PosixClock::PosixClock(double scale)
    : m_scale(std::isfinite(scale) && scale > 0 ? scale : 1.0),
      m_start(std::chrono::steady_clock::now()) {}

std::uint64_t PosixClock::NowMs() {
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - m_start;
    return static_cast<std::uint64_t>(elapsed.count() / m_scale);
}

std::chrono::steady_clock::duration PosixClock::Real(std::uint32_t ms) const {
    // Capped so that a large scale cannot overflow the deadline arithmetic.
    constexpr double kMaxMs = 30.0 * 24 * 3600 * 1000;
    const double real = std::min(static_cast<double>(ms) * m_scale, kMaxMs);
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double, std::milli>(real));
}

void PosixClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(Real(ms));
}

bool PosixClock::Wait(ManualResetEvent& event, std::uint32_t ms) {
    std::unique_lock lock(event.Mutex());
    return event.Cv().wait_for(lock, Real(ms), [&] { return event.SetLocked(); });
}

}  // namespace zavro
