#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../support/EngineHarness.h"
#include "core/ThreadSlot.h"
#include "platform/Event.h"
#include "platform/Thread.h"

namespace {

using ormidon::Event;
using ormidon::kInfinite;

TEST(ThreadSlotTest, StopWakesAWaitingThreadAndEmptiesTheSlot) {
    ThreadSlot slot;
    EXPECT_TRUE(slot.Stop(0));  // empty: nothing to do
    Event started(true, false);
    std::atomic<bool> ended{false};
    ASSERT_TRUE(slot.Start([&](std::stop_token stop) {
        started.Set();
        Event never;
        never.Wait(kInfinite, stop);
        ended = true;
    }));
    ASSERT_TRUE(started.Wait(5000));
    EXPECT_TRUE(slot.IsRunning());
    // A second thread cannot take a slot that still runs one.
    EXPECT_FALSE(slot.Start([](std::stop_token) {}));

    const uint32_t overruns = ThreadSlot::OverrunCount();
    EXPECT_TRUE(slot.Stop(30));
    EXPECT_TRUE(ended);
    EXPECT_FALSE(slot.IsOccupied());
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
    EXPECT_TRUE(slot.Stop(30));  // a second stop does nothing
}

TEST(ThreadSlotTest, AThreadTheSystemDoesNotGiveLeavesTheSlotEmpty) {
    ThreadSlot slot;
    ormidon::FailThreadStartsForTesting(1);
    EXPECT_FALSE(slot.Start([](std::stop_token) {}));
    EXPECT_FALSE(slot.IsOccupied());
    // The next start takes the slot as if nothing had happened.
    EXPECT_TRUE(slot.Start([](std::stop_token) {}));
    EXPECT_TRUE(slot.Stop(1000));
}

TEST(ThreadSlotTest, AThreadThatEndedByItselfMakesRoomForTheNext) {
    ThreadSlot slot;
    std::atomic<int> runs{0};
    ASSERT_TRUE(slot.Start([&](std::stop_token) { ++runs; }));
    ASSERT_TRUE(ormidon::test::WaitUntil([&] { return !slot.IsRunning(); }));
    EXPECT_TRUE(slot.IsOccupied());
    ASSERT_TRUE(slot.Start([&](std::stop_token) { ++runs; }));
    EXPECT_TRUE(slot.Stop(1000));
    EXPECT_EQ(runs, 2);
}

// A thread that ignores its stop request is a defect: the stop says so, counts it, and
// still returns only once the thread has ended, so nothing is left running.
TEST(ThreadSlotTest, AnOverrunIsReportedAndTheThreadStillJoined) {
    ThreadSlot slot;
    Event release;
    std::atomic<bool> ended{false};
    ASSERT_TRUE(slot.Start([&](std::stop_token) {
        release.Wait(kInfinite);
        ended = true;
    }));
    const uint32_t overruns = ThreadSlot::OverrunCount();
    std::thread releaser([&] {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(ThreadSlot::kSchedulingAllowanceMs + 200));
        release.Set();
    });
    EXPECT_FALSE(slot.Stop(10));
    EXPECT_TRUE(ended);
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns + 1);
    EXPECT_FALSE(slot.IsOccupied());
    releaser.join();
}

}  // namespace
