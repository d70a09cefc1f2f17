#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "platform/Clock.h"
#include "record/PreRecordBuffer.h"
#include "record/RingHandOver.h"

namespace {

using namespace std::chrono_literals;

class PreRecordRingTest : public ::testing::Test {
  protected:
    PreRecordRingTest() {
        clock_.SetLocalTime({2009, 3, 4, 21, 15, 7, 480, 3});
        ring_.AllocateBuffer();
    }

    int Feed(uint32_t n, std::stop_token stop = {}) {
        const std::vector<uint8_t> jpeg(n + 1, static_cast<uint8_t>(n));
        RecordFrameFacts facts;
        facts.timeStamp = 40 * n;
        facts.videoLoss = n % 2;
        facts.channel = 3;
        facts.width = 704;
        facts.height = 480;
        return ring_.Feed(recorders_, jpeg, facts, stop);
    }

    ormidon::TestClock clock_;
    ormidon::ScopedClockOverride useClock_{clock_};
    CPreRecordBuffer ring_;
    RingHandOver alarm_;
    RingHandOver user_;
    RingHandOver schedule_;
    RingHandOver* recorders_[3] = {&alarm_, &user_, &schedule_};
};

TEST_F(PreRecordRingTest, FramesGoRoundTheTwentySlots) {
    struct Step {
        uint32_t frames;  // fed in all
        uint16_t newest;
        uint16_t writeIndex;
    } steps[] = {{1, 0, 1}, {19, 18, 19}, {20, 19, 0}, {21, 0, 1}, {45, 4, 5}};
    uint32_t fed = 0;
    for (const Step& step : steps) {
        while (fed < step.frames) ASSERT_EQ(Feed(++fed), 1);
        EXPECT_EQ(ring_.NewestSlot(), step.newest) << step.frames;
        EXPECT_EQ(ring_.m_wWriteIndex, step.writeIndex) << step.frames;
        EXPECT_EQ(ring_.FramesFed(), step.frames);
    }
    const PreRecordFrame_Struct& d = ring_.Descriptor(ring_.NewestSlot());
    EXPECT_EQ(d.serial, 0u);
    EXPECT_EQ(d.length, 46u);
    EXPECT_EQ(d.channel, 3);
    EXPECT_EQ(d.videoLoss, 1u);
    EXPECT_EQ(d.timeStamp, 40u * 45);
    EXPECT_EQ(d.width, 704);
    EXPECT_EQ(d.height, 480);
    EXPECT_EQ(d.localTime, (ormidon::LocalTime{2009, 3, 4, 21, 15, 7, 0, 0}));
    const auto bytes = ring_.SlotBytes(ring_.NewestSlot());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), std::vector<uint8_t>(46, 45));
}

TEST_F(PreRecordRingTest, FrameLongerThanASlotIsLeftOut) {
    Feed(1);
    RecordFrameFacts facts;
    EXPECT_EQ(ring_.Feed(recorders_, std::vector<uint8_t>(kPreRecordSlotSize + 1), facts), 1);
    EXPECT_EQ(ring_.FramesFed(), 1u);
    EXPECT_EQ(ring_.Feed(recorders_, std::vector<uint8_t>(kPreRecordSlotSize), facts), 1);
    EXPECT_EQ(ring_.FramesFed(), 2u);
    // Neither left the guards taken.
    ring_.FreeBuffer();
    EXPECT_EQ(Feed(3), 1);
    EXPECT_EQ(ring_.FramesFed(), 2u);
}

// With a recorder taking frames, the next frame waits until the recorder has written the one
// handed over; the others are not held up by a recorder that takes no frames.
TEST_F(PreRecordRingTest, HandOverIsLockStep) {
    user_.StartTaking();
    ASSERT_EQ(Feed(1), 1);
    ASSERT_TRUE(user_.FrameReady().Wait(0));
    EXPECT_FALSE(alarm_.FrameReady().Wait(0));

    auto next = std::async(std::launch::async, [&] { return Feed(2); });
    EXPECT_EQ(next.wait_for(50ms), std::future_status::timeout);
    EXPECT_EQ(ring_.FramesFed(), 1u);
    user_.FrameDone();
    EXPECT_EQ(next.get(), 1);
    EXPECT_EQ(ring_.FramesFed(), 2u);
    ASSERT_TRUE(user_.FrameReady().Wait(0));
    user_.FrameDone();
}

// A recorder that stops with a frame handed over and not taken leaves the ring free.
TEST_F(PreRecordRingTest, StoppingSettlesAHandOverNotTaken) {
    alarm_.StartTaking();
    ASSERT_EQ(Feed(1), 1);
    alarm_.StopTaking();
    EXPECT_FALSE(alarm_.FrameReady().Wait(0));
    for (uint32_t n = 2; n < 30; ++n) ASSERT_EQ(Feed(n), 1);
    EXPECT_FALSE(alarm_.FrameReady().Wait(0));

    // Stopping with nothing handed over leaves the pair as it was.
    alarm_.StopTaking();
    ASSERT_EQ(Feed(30), 1);
}

// The compose thread's stop wakes a feeder that waits for a recorder, and the guards it had
// taken go back.
TEST_F(PreRecordRingTest, StopWakesAWaitingFeeder) {
    user_.StartTaking();
    ASSERT_EQ(Feed(1), 1);
    std::stop_source stop;
    auto blocked = std::async(std::launch::async, [&] { return Feed(2, stop.get_token()); });
    EXPECT_EQ(blocked.wait_for(20ms), std::future_status::timeout);
    stop.request_stop();
    EXPECT_EQ(blocked.get(), 0);
    EXPECT_EQ(ring_.FramesFed(), 1u);
    EXPECT_TRUE(alarm_.TakeGuard({}));
    alarm_.GiveBackGuard();
    user_.StopTaking();
    EXPECT_EQ(Feed(3), 1);
}

}  // namespace
