#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "platform/Thread.h"

namespace ormidon {
namespace {

TEST(ClockTest, OverrideReplacesTheCurrentClockForItsScope) {
    Clock* real = &CurrentClock();
    TestClock outer(100);
    {
        ScopedClockOverride overrideOuter(outer);
        EXPECT_EQ(&CurrentClock(), &outer);
        EXPECT_EQ(TickCount(), 100u);
        TestClock inner(7);
        {
            ScopedClockOverride overrideInner(inner);
            EXPECT_EQ(TickCount(), 7u);
        }
        EXPECT_EQ(&CurrentClock(), &outer);
    }
    EXPECT_EQ(&CurrentClock(), real);
}

// The sleeper may only wake once the full pause has run on the test clock, and the test
// never waits out the 30 s.
TEST(ClockTest, TestClockWakesSleeperOnlyWhenItsTimeHasPassed) {
    TestClock clock;
    ScopedClockOverride override(clock);
    std::atomic<std::uint32_t> wokeAt{0};
    std::atomic<bool> slept{false};
    Thread sleeper([&](std::stop_token) {
        slept = Sleep(30000);
        wokeAt = TickCount();
    });
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(10000);
    clock.Advance(19999);
    clock.Advance(1);
    ASSERT_TRUE(sleeper.Join(5000));
    EXPECT_TRUE(slept);
    EXPECT_EQ(wokeAt, 30000u);
}

TEST(ClockTest, SleepAcrossTheTickWrap) {
    TestClock clock(0xFFFFFFF0u);
    ScopedClockOverride override(clock);
    std::atomic<std::uint32_t> wokeAt{0};
    Thread sleeper([&](std::stop_token) {
        Sleep(0x20);
        wokeAt = TickCount();
    });
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(0x10);  // tick is now 0: a signed or unwrapped comparison would end here
    clock.Advance(0x0F);
    clock.Advance(0x01);
    ASSERT_TRUE(sleeper.Join(5000));
    EXPECT_EQ(wokeAt, 0x10u);
}

TEST(ClockTest, SleepReturnsFalseWhenStopped) {
    EXPECT_TRUE(Sleep(0));
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(Sleep(0, stopped.get_token()));

    std::atomic<bool> slept{true};
    Thread sleeper([&](std::stop_token stop) { slept = Sleep(kInfinite, stop); });
    sleeper.RequestStop();
    ASSERT_TRUE(sleeper.Join(5000));
    EXPECT_FALSE(slept);
}

TEST(ClockTest, TestClockLocalTimeRunsOnWithTheTick) {
    struct Case {
        LocalTime set;
        std::uint32_t advanceMs;
        LocalTime expected;
    };
    const Case cases[] = {
        // Across the new year; 2024-01-01 was a Monday.
        {{2023, 12, 31, 23, 59, 59, 500, 0}, 600, {2024, 1, 1, 0, 0, 0, 100, 1}},
        // Into a leap day; 2024-02-29 was a Thursday.
        {{2024, 2, 28, 12, 0, 0, 0, 0}, 24 * 3600 * 1000, {2024, 2, 29, 12, 0, 0, 0, 4}},
        // No leap day in 2100.
        {{2100, 2, 28, 23, 0, 0, 0, 0}, 3600 * 1000, {2100, 3, 1, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        TestClock clock(0xFFFFFF00u);  // the local time must run on across the tick wrap too
        clock.SetLocalTime(c.set);
        clock.Advance(c.advanceMs);
        const LocalTime now = clock.LocalNow();
        EXPECT_EQ(now, c.expected)
            << c.expected.year << "-" << c.expected.month << "-" << c.expected.day << " got "
            << now.year << "-" << now.month << "-" << now.day << " " << now.hour << ":"
            << now.minute << ":" << now.second << "." << now.millisecond << " dow "
            << now.dayOfWeek;
    }
}

TEST(ClockTest, RealClockGivesPlausibleTimes) {
    RealClock clock;
    const LocalTime now = clock.LocalNow();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999);
    EXPECT_TRUE(now.dayOfWeek >= 0 && now.dayOfWeek <= 6);

    const std::uint32_t before = clock.TickCount();
    EXPECT_TRUE(Sleep(20));
    EXPECT_GE(clock.TickCount() - before, 20u);
}

}  // namespace
}  // namespace ormidon
