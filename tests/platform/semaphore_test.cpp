#include "platform/Semaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/Event.h"
#include "platform/Thread.h"

namespace ormidon {
namespace {

// Takes every unit available right now.
int Drain(Semaphore& semaphore) {
    int taken = 0;
    while (semaphore.Wait(0)) ++taken;
    return taken;
}

TEST(SemaphoreTest, ReleasePastTheMaximumFailsAndLeavesTheCount) {
    struct Case {
        int initial;
        int maximum;
        int release;
        bool released;
        int countAfter;
    };
    const Case cases[] = {
        {0, 3, 3, true, 3},  {1, 3, 2, true, 3},   {1, 3, 3, false, 1}, {3, 3, 1, false, 3},
        {1, 3, 0, false, 1}, {1, 3, -1, false, 1}, {5, 2, 1, false, 2},  // an initial count past
                                                                         // the maximum is held to
                                                                         // the maximum
    };
    for (const Case& c : cases) {
        Semaphore semaphore(c.initial, c.maximum);
        EXPECT_EQ(semaphore.Release(c.release), c.released)
            << c.initial << "/" << c.maximum << " +" << c.release;
        EXPECT_EQ(Drain(semaphore), c.countAfter)
            << c.initial << "/" << c.maximum << " +" << c.release;
    }
}

TEST(SemaphoreTest, ReleaseWakesAsManyWaitersAsUnits) {
    TestClock clock;  // no real time passes on it: only Release can end these waits
    ScopedClockOverride override(clock);
    Semaphore semaphore(0, 10);
    std::atomic<int> taken{0};
    Thread first([&](std::stop_token stop) { taken += semaphore.Wait(kInfinite, stop); });
    Thread second([&](std::stop_token stop) { taken += semaphore.Wait(kInfinite, stop); });
    ASSERT_TRUE(clock.WaitForWaiters(2));
    ASSERT_TRUE(semaphore.Release(3));
    EXPECT_TRUE(first.Join(5000));
    EXPECT_TRUE(second.Join(5000));
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(Drain(semaphore), 1);
}

// Many threads handing units over: every unit released is taken exactly once, and no
// wake-up is lost (a lost one would leave the last units untaken).
TEST(SemaphoreTest, UnitsAreNeitherLostNorDuplicatedUnderContention) {
    constexpr int kUnitsPerProducer = 2000;
    constexpr int kProducers = 3;
    constexpr int kUnits = kUnitsPerProducer * kProducers;
    Semaphore semaphore(0, kUnits);
    Event allTaken(true, false);
    std::atomic<int> taken{0};
    std::vector<Thread> consumers;
    for (int i = 0; i < 3; ++i) {
        consumers.emplace_back([&](std::stop_token stop) {
            while (semaphore.Wait(kInfinite, stop)) {
                if (++taken == kUnits) allTaken.Set();
            }
        });
    }
    std::vector<Thread> producers;
    for (int i = 0; i < kProducers; ++i) {
        producers.emplace_back([&](std::stop_token) {
            for (int n = 0; n < kUnitsPerProducer; ++n) semaphore.Release();
        });
    }
    EXPECT_TRUE(allTaken.Wait(20000));
    for (Thread& consumer : consumers) consumer.RequestStop();
    for (Thread& consumer : consumers) EXPECT_TRUE(consumer.Join(5000));
    EXPECT_EQ(taken, kUnits);
    EXPECT_FALSE(semaphore.Wait(0));
}

}  // namespace
}  // namespace ormidon
