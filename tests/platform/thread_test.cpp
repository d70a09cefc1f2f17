#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/Event.h"

namespace ormidon {
namespace {

TEST(ThreadTest, RequestStopWakesTheThreadAndItsStopCallbacks) {
    Event started(true, false);
    std::atomic<bool> callbackRan{false};
    Thread thread([&](std::stop_token stop) {
        // What a blocking socket does: a callback on the same token wakes what it waits for.
        // (Waiting with the token itself could end the wait, and the callback with it, before
        // the stop got round to the callback.)
        Event woken(true, false);
        std::stop_callback wake(stop, [&] {
            callbackRan = true;
            woken.Set();
        });
        started.Set();
        woken.Wait();
    });
    ASSERT_TRUE(started.Wait(5000));
    EXPECT_FALSE(thread.GetStopToken().stop_requested());
    thread.RequestStop();
    EXPECT_TRUE(thread.GetStopToken().stop_requested());
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_FALSE(thread.Joinable());
    EXPECT_TRUE(callbackRan);
}

// A thread that ignores its stop overruns the bound: Join says so and leaves it joinable.
TEST(ThreadTest, JoinReportsAnOverrunBound) {
    Event release;
    Thread stubborn([&](std::stop_token) { release.Wait(); });
    stubborn.RequestStop();
    EXPECT_FALSE(stubborn.Join(20));
    EXPECT_TRUE(stubborn.Joinable());
    release.Set();
    EXPECT_TRUE(stubborn.Join(kInfinite));
    EXPECT_FALSE(stubborn.Joinable());
}

TEST(ThreadTest, DestructorStopsAndJoins) {
    std::atomic<bool> ended{false};
    {
        Thread thread([&](std::stop_token stop) {
            Event never;
            never.Wait(kInfinite, stop);
            ended = true;
        });
    }
    EXPECT_TRUE(ended);

    Thread empty;
    EXPECT_FALSE(empty.Joinable());
    EXPECT_TRUE(empty.Join(0));
    empty.RequestStop();
}

}  // namespace
}  // namespace ormidon
