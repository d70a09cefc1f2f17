#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/Semaphore.h"
#include "platform/Thread.h"

namespace ormidon {
namespace {

TEST(EventTest, AutoResetReleasesOneWaitManualResetStaysSet) {
    Event autoReset(false, true);
    EXPECT_TRUE(autoReset.Wait(0));
    EXPECT_FALSE(autoReset.Wait(0));
    autoReset.Set();
    autoReset.Set();  // a set event does not count
    EXPECT_TRUE(autoReset.Wait(0));
    EXPECT_FALSE(autoReset.Wait(0));

    Event manualReset(true, false);
    EXPECT_FALSE(manualReset.Wait(0));
    manualReset.Set();
    EXPECT_TRUE(manualReset.Wait(0));
    EXPECT_TRUE(manualReset.Wait(0));
    manualReset.Reset();
    EXPECT_FALSE(manualReset.Wait(0));
}

TEST(EventTest, SetWakesBlockedWaiters) {
    TestClock clock;  // no real time passes on it: only Set can end these waits
    ScopedClockOverride override(clock);
    for (const bool manualReset : {false, true}) {
        Event event(manualReset, false);
        Semaphore woken(0, 3);
        std::vector<Thread> waiters;
        for (int i = 0; i < 3; ++i) {
            waiters.emplace_back([&](std::stop_token stop) {
                if (event.Wait(kInfinite, stop)) woken.Release();
            });
        }
        ASSERT_TRUE(clock.WaitForWaiters(3));
        // A manual-reset event releases every waiter at once; an auto-reset event one per Set.
        for (int released = 0; released < 3;) {
            event.Set();
            const int perSet = manualReset ? 3 : 1;
            for (int i = 0; i < perSet; ++i) ASSERT_TRUE(woken.Wait(kInfinite));
            released += perSet;
            EXPECT_FALSE(woken.Wait(0));
        }
        for (Thread& waiter : waiters) EXPECT_TRUE(waiter.Join(5000));
        EXPECT_EQ(event.Wait(0), manualReset);
    }
}

TEST(EventTest, WaitTimesOutOnTheTestClock) {
    TestClock clock;
    ScopedClockOverride override(clock);
    Event event;
    std::atomic<int> result{-1};
    Thread waiter([&](std::stop_token stop) { result = event.Wait(15000, stop) ? 1 : 0; });
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(14999);
    clock.Advance(1);
    ASSERT_TRUE(waiter.Join(5000));
    EXPECT_EQ(result, 0);
}

TEST(EventTest, StopEndsAWaitWithoutLimit) {
    Event event;
    std::atomic<int> result{-1};
    Thread waiter([&](std::stop_token stop) { result = event.Wait(kInfinite, stop) ? 1 : 0; });
    waiter.RequestStop();
    ASSERT_TRUE(waiter.Join(5000));
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace ormidon
