#include <gtest/gtest.h>

#include "../support/EngineHarness.h"
#include "core/AppMessages.h"
#include "core/ConnectionThread.h"

namespace {

using ormidon::TestClock;
using ormidon::test::AdvanceUntil;
using ormidon::test::AppRecordScope;
using ormidon::test::FakeLiveView;
using ormidon::test::RecordingRouter;

constexpr ormidon::WindowHandle kMainWindow = 7;

TEST(ConnectionThreadTest, LifeTimeLimitIsTakenInSixtyFourBits) {
    EXPECT_EQ(LifeTimeLimitSeconds(0), 0u);
    EXPECT_EQ(LifeTimeLimitSeconds(2), 120u);
    EXPECT_EQ(LifeTimeLimitSeconds(100000000), 6000000000u);  // past 32 bits
    EXPECT_GT(LifeTimeLimitSeconds(-5), uint64_t{1} << 63);   // a negative time never ends
}

struct LifeTimeCase {
    int32_t minutes;
    std::optional<uint32_t> closesAfterMs;  // after the start event; nothing: never
};

class ConnectionLifeTimeTest : public ::testing::TestWithParam<LifeTimeCase> {};

// The life time counts from the start event: one second before the count, one tick per
// second up to minutes x 60, a five-second wait for the stream to drop (which the
// missing fetch thread never confirms here), then a second after the status text.
TEST_P(ConnectionLifeTimeTest, ClosesTheMainWindowWhenTheLifeTimeIsUsedUp) {
    const LifeTimeCase c = GetParam();
    TestClock clock;
    ormidon::ScopedClockOverride useClock(clock);
    RecordingRouter router;
    FakeLiveView view;
    AppRecordScope scope(&view, kMainWindow);
    CAppObject& app = scope.App();
    app.dw_LifeTime = c.minutes;
    ASSERT_TRUE(InitLoginResource());

    ASSERT_TRUE(clock.WaitForWaiters(1));
    app.h_StartConnectionThreadEvent.Set();
    const uint32_t limitMs = 200000;
    std::optional<uint32_t> closedAfter = AdvanceUntil(
        clock,
        [&] { return router.Count(WM_LIFETIMEUP) > 0 || !app.h_ConnectionThread.IsRunning(); }, 100,
        limitMs, 1);
    ASSERT_TRUE(closedAfter.has_value());
    if (!c.closesAfterMs) {
        EXPECT_EQ(router.Count(WM_LIFETIMEUP), 0u);
        // Ends one second after the start; a loaded machine may see it a few steps late.
        EXPECT_LE(*closedAfter, 1000u + 3000u);
        return;
    }
    ASSERT_EQ(router.Count(WM_LIFETIMEUP), 1u);
    EXPECT_GE(*closedAfter, *c.closesAfterMs);
    // A thread may reach a wait a step late under load: never early, a little late.
    EXPECT_LE(*closedAfter, *c.closesAfterMs + *c.closesAfterMs / 10 + 2000);
    EXPECT_EQ(router.PostsOf(WM_LIFETIMEUP)[0].window, kMainWindow);
    EXPECT_TRUE(app.h_NotifyGetJPEGImageThreadResetEvent.Wait(0));  // asked the stream to drop
    EXPECT_EQ(view.Count("ClearOverlayTexts"), 1u);
    EXPECT_EQ(view.Count("SetStatusText:Life time is Up.Application shutdown later"), 1u);
}

INSTANTIATE_TEST_SUITE_P(LifeTimes, ConnectionLifeTimeTest,
                         ::testing::Values(LifeTimeCase{-1, std::nullopt},
                                           LifeTimeCase{0, 1000 + 1000 + 5000 + 1000},
                                           LifeTimeCase{2, 1000 + 119000 + 5000 + 1000}),
                         [](const ::testing::TestParamInfo<LifeTimeCase>& caseInfo) {
                             return caseInfo.param.minutes < 0
                                        ? std::string("Unlimited")
                                        : std::to_string(caseInfo.param.minutes) + "Minutes";
                         });

TEST(ConnectionThreadTest, TheEndEventStopsTheCount) {
    TestClock clock;
    ormidon::ScopedClockOverride useClock(clock);
    RecordingRouter router;
    AppRecordScope scope(nullptr, kMainWindow);
    CAppObject& app = scope.App();
    app.dw_LifeTime = 1;
    ASSERT_TRUE(InitLoginResource());
    ASSERT_TRUE(clock.WaitForWaiters(1));
    app.h_StartConnectionThreadEvent.Set();
    ASSERT_TRUE(AdvanceUntil(
        clock, [&] { return app.dw_LifeTimeCounter >= 10; }, 100, 20000, 1));
    app.h_EndConnectionThreadEvent.Set();
    ASSERT_TRUE(ormidon::test::WaitUntil([&] { return !app.h_ConnectionThread.IsRunning(); }));
    clock.Advance(120000);
    EXPECT_EQ(router.Count(WM_LIFETIMEUP), 0u);
}

}  // namespace
