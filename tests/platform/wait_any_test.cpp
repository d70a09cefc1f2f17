#include <gtest/gtest.h>

#include <atomic>

#include "platform/Event.h"
#include "platform/Semaphore.h"
#include "platform/Thread.h"
#include "platform/WaitAny.h"

namespace ormidon {
namespace {

TEST(WaitAnyTest, FirstSignalledObjectWinsAndOnlyItIsConsumed) {
    Event autoReset(false, true);
    Event manualReset(true, true);
    Semaphore semaphore(2, 5);

    // Each wait reports the first signalled object in list order and consumes only that one.
    WaitResult r = WaitAny({&autoReset, &semaphore, &manualReset}, 0);
    EXPECT_EQ(r.status, WaitStatus::Signalled);
    EXPECT_EQ(r.index, 0u);
    r = WaitAny({&autoReset, &semaphore, &manualReset}, 0);
    EXPECT_EQ(r.index, 1u);
    r = WaitAny({&autoReset, &semaphore, &manualReset}, 0);
    EXPECT_EQ(r.index, 1u);
    // Semaphore empty now; the manual-reset event stays set through every wait.
    for (int i = 0; i < 2; ++i) {
        r = WaitAny({&autoReset, &semaphore, &manualReset}, 0);
        EXPECT_EQ(r.status, WaitStatus::Signalled);
        EXPECT_EQ(r.index, 2u);
    }
    manualReset.Reset();
    EXPECT_EQ(WaitAny({&autoReset, &semaphore, &manualReset}, 0).status, WaitStatus::TimedOut);
}

TEST(WaitAnyTest, StopAlreadyRequestedConsumesNothing) {
    Event event(false, true);
    std::stop_source source;
    source.request_stop();
    EXPECT_EQ(WaitAny({&event}, kInfinite, source.get_token()).status, WaitStatus::Stopped);
    EXPECT_TRUE(event.Wait(0));
}

TEST(WaitAnyTest, WakesForTheObjectThatFires) {
    TestClock clock;
    ScopedClockOverride override(clock);
    Event first;
    Semaphore second(0, 1);
    std::atomic<int> index{-1};
    Thread waiter([&](std::stop_token stop) {
        const WaitResult r = WaitAny({&first, &second}, 60000, stop);
        if (r.status == WaitStatus::Signalled) index = static_cast<int>(r.index);
    });
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(59999);
    ASSERT_TRUE(second.Release());
    ASSERT_TRUE(waiter.Join(5000));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(second.Wait(0));
}

TEST(WaitAnyTest, TimesOutOrStopsWhileBlocked) {
    TestClock clock;
    ScopedClockOverride override(clock);
    Event event;
    std::atomic<int> status{-1};
    const auto wait = [&](std::uint32_t timeoutMs) {
        return [&, timeoutMs](std::stop_token stop) {
            status = static_cast<int>(WaitAny({&event}, timeoutMs, stop).status);
        };
    };

    Thread timed(wait(100));
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(100);
    ASSERT_TRUE(timed.Join(5000));
    EXPECT_EQ(status, static_cast<int>(WaitStatus::TimedOut));

    Thread endless(wait(kInfinite));
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(0xFFFFFFF0u);  // a wait without limit never times out
    endless.RequestStop();
    ASSERT_TRUE(endless.Join(5000));
    EXPECT_EQ(status, static_cast<int>(WaitStatus::Stopped));
}

}  // namespace
}  // namespace ormidon
