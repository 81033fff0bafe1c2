// Clock port on the steady clock, with sleeps and waits stretched by the time scale and
// readings divided by it, so that a scaled wait and the clock still agree.
#pragma once

#include <chrono>

#include "platform/System.h"

namespace zavro {

class PosixClock final : public IClock {
public:
    PosixClock();  // scale from ZAVRO_TIME_SCALE
    explicit PosixClock(double scale);

    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;
    bool Wait(ManualResetEvent& event, std::uint32_t ms) override;

    double Scale() const { return m_scale; }

private:
    std::chrono::steady_clock::duration Real(std::uint32_t ms) const;

    double m_scale;
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace zavro
