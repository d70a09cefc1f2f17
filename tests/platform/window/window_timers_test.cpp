#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/window/WindowTimers.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

using WindowTimersTest = testing::WindowTest;

TEST_F(WindowTimersTest, TimersTickByIdUntilKilled) {
    std::vector<uint32_t> ticks;
    WindowTimers timers([&](uint32_t id) { ticks.push_back(id); });
    timers.SetTimer(1000, 1);
    EXPECT_TRUE(timers.IsRunning(1000));
    ASSERT_TRUE(testing::ProcessEventsUntil([&] { return ticks.size() >= 3; }));
    EXPECT_EQ(ticks, std::vector<uint32_t>(ticks.size(), 1000));

    EXPECT_TRUE(timers.KillTimer(1000));
    EXPECT_FALSE(timers.KillTimer(1000));
    const size_t seen = ticks.size();
    testing::ProcessEventsFor(10);
    EXPECT_EQ(ticks.size(), seen);
}

TEST_F(WindowTimersTest, ElapseStepsARunningTimerWithoutWaiting) {
    std::vector<uint32_t> ticks;
    WindowTimers timers([&](uint32_t id) { ticks.push_back(id); });
    timers.SetTimer(7, 60'000);
    timers.SetTimer(8, 60'000);
    EXPECT_TRUE(timers.Elapse(8));
    EXPECT_TRUE(timers.Elapse(7));
    EXPECT_FALSE(timers.Elapse(9));
    EXPECT_EQ(ticks, (std::vector<uint32_t>{8, 7}));
}

// A worker stops the timer and then reports: no tick comes after the stop, even one that
// was already due.
TEST_F(WindowTimersTest, AWorkerStopsATimerAtOnce) {
    int ticks = 0;
    WindowTimers timers([&](uint32_t) { ++ticks; });
    timers.SetTimer(1000, 0);
    testing::ProcessEventsFor(2);
    std::thread worker([&] { EXPECT_TRUE(timers.KillTimer(1000)); });
    worker.join();
    const int seen = ticks;
    testing::ProcessEventsFor(10);
    EXPECT_EQ(ticks, seen);
    EXPECT_FALSE(timers.IsRunning(1000));
}

}  // namespace
}  // namespace ormidon
