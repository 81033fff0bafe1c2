#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/posix/PosixClock.h"
#include "platform/posix/TimeScale.h"

namespace zavro {
namespace {

TEST(PosixTimeScale, ParsesPositiveDecimalsOnly) {
    struct Case {
        const char* text;
        std::optional<double> scale;
    };
    const Case cases[] = {
        {"1", 1.0},
        {"0.01", 0.01},
        {" 2.5\t", 2.5},
        {"10", 10.0},
        {".5", 0.5},
        {"0", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"abc", std::nullopt},
        {"1x", std::nullopt},
        {"1,5", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"1e-2", std::nullopt},
        {"+1", std::nullopt},
        {"0.000", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseTimeScale(c.text), c.scale) << "'" << c.text << "'";
}

TEST(PosixTimeScale, ReadsTheEnvironmentVariable) {
    const char* old = std::getenv("ZAVRO_TIME_SCALE");
    const std::string saved = old ? old : "";
    ::setenv("ZAVRO_TIME_SCALE", "0.25", 1);
    EXPECT_EQ(TimeScale(), 0.25);
    EXPECT_EQ(PosixClock().Scale(), 0.25);
    ::setenv("ZAVRO_TIME_SCALE", "fast", 1);
    EXPECT_EQ(TimeScale(), 1.0);
    ::unsetenv("ZAVRO_TIME_SCALE");
    EXPECT_EQ(TimeScale(), 1.0);
    if (old) ::setenv("ZAVRO_TIME_SCALE", saved.c_str(), 1);
}

TEST(PosixClock, BadScalesFallBackToOne) {
    for (double bad : {0.0, -2.0, std::nan(""), static_cast<double>(INFINITY)})
        EXPECT_EQ(PosixClock(bad).Scale(), 1.0);
}

using Steady = std::chrono::steady_clock;

double RealMs(Steady::time_point a, Steady::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

TEST(PosixClock, ScaledSleepAndReadingsAgree) {
    // 100 s of wizard time at 1/50000 is 2 ms of real time.
    PosixClock clock(0.00002);
    const auto t0 = Steady::now();
    const std::uint64_t n0 = clock.NowMs();
    clock.SleepMs(100000);
    const std::uint64_t n1 = clock.NowMs();
    const auto t1 = Steady::now();
    EXPECT_GE(n1 - n0, 99999u);  // the reading covers the whole (scaled) sleep
    // ... and no more than the real time passed, at the scale.
    EXPECT_LE(static_cast<double>(n1 - n0), RealMs(t0, t1) / 0.00002 + 1);
}

TEST(PosixClock, WaitEndsWhenTheEventIsSetOrTheTimeIsUp) {
    PosixClock clock(0.001);
    ManualResetEvent event;
    const std::uint64_t n0 = clock.NowMs();
    EXPECT_FALSE(clock.Wait(event, 2000));  // 2 ms real
    EXPECT_GE(clock.NowMs() - n0, 1999u);

    event.Set();
    EXPECT_TRUE(clock.Wait(event, 1000000000));  // already set: no wait at all

    ManualResetEvent later;
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        later.Set();
    });
    // Scaled, this limit is still about 17 minutes; the event ends the wait first.
    EXPECT_TRUE(clock.Wait(later, 1000000000));
    setter.join();
}

}  // namespace
}  // namespace zavro
