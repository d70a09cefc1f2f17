#include <gtest/gtest.h>

#include "RecorderFixture.h"
#include "platform/Thread.h"

namespace {

using ormidon::test::RecorderFixture;

class UserRecordTest : public RecorderFixture {
  protected:
    void Start() { ASSERT_TRUE(user_->CreateThread(pipelineEnd_)); }
    void Open() { ASSERT_EQ(user_->OpenRecordFile(RecordPath()), 1); }
};

// A user recording starts with the first frame handed over after the start.
TEST_F(UserRecordTest, RecordsFromTheStartToTheStop) {
    Start();
    FeedRange(1, 5);
    Open();
    EXPECT_EQ(user_->OpenRecordFile(RecordPath()), 0);  // one recording at a time
    FeedRange(6, 9);
    WaitForWrites();
    EXPECT_EQ(user_->StopRecord(), 1);
    EXPECT_FALSE(user_->IsRecording());
    const auto files = Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "USER_MJPEG_090304T211507_UR.vse");
    EXPECT_EQ(TimeStamps(files[0]), Stamps(6, 9));
    EXPECT_EQ(ValidateRecordFile(files[0]).recordType, kUserRecording);
    EXPECT_FALSE(std::filesystem::exists(SystemConfig::AlarmDBFilePath()));
}

// RECORD pressed twice within one frame: a header and a trailer of count 0.
TEST_F(UserRecordTest, StopBeforeTheFirstFrameLeavesAnEmptyValidFile) {
    Start();
    Open();
    user_->StopRecord();
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_TRUE(TimeStamps(Files()[0]).empty());
    FeedRange(1, 3);  // nothing waits for the user recorder
    Open();           // a new recording in the same second keeps the first file
    Feed(4);
    WaitForWrites();
    user_->StopRecord();
    ASSERT_EQ(Files().size(), 2u);
    EXPECT_EQ(Files()[1].filename(), "USER_MJPEG_090304T211507_UR_1.vse");
    EXPECT_EQ(TimeStamps(Files()[1]), Stamps(4, 4));
}

// A re-login ends the record thread with the file open; the next login's thread goes on
// with it: one file, one header, serials running on.
TEST_F(UserRecordTest, RecordingGoesOnAcrossARelogin) {
    Start();
    Open();
    FeedRange(1, 3);
    WaitForWrites();
    pipelineEnd_.Set();
    EXPECT_TRUE(user_->CloseThread());
    EXPECT_TRUE(user_->IsRecording());
    FeedRange(4, 6);  // frames while nobody records are not waited for
    pipelineEnd_.Reset();
    Start();
    EXPECT_EQ(user_->RestartRecord(), 1);
    FeedRange(7, 8);
    WaitForWrites();
    user_->StopRecord();
    ASSERT_EQ(Files().size(), 1u);
    std::vector<uint32_t> expected = Stamps(1, 3);
    for (uint32_t stamp : Stamps(7, 8)) expected.push_back(stamp);
    EXPECT_EQ(TimeStamps(Files()[0]), expected);
    EXPECT_EQ(user_->RestartRecord(), 0);
}

// With the stream gone (no thread), a stop still finishes the file; so does shut-down.
TEST_F(UserRecordTest, StopWithoutAThreadFinishesTheFile) {
    Start();
    Open();
    FeedRange(1, 2);
    WaitForWrites();
    pipelineEnd_.Set();
    ASSERT_TRUE(user_->CloseThread());
    user_->StopRecord();
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(1, 2));

    pipelineEnd_.Reset();
    Start();
    Open();
    Feed(3);
    WaitForWrites();
    user_.reset();
    ASSERT_EQ(Files().size(), 2u);
    EXPECT_EQ(TimeStamps(Files()[1]), Stamps(3, 3));
}

TEST_F(UserRecordTest, LongRecordingRollsOverToANewFile) {
    Start();
    Open();
    FeedRange(1, 6000);
    clock_.Advance(61 * 1000);
    FeedRange(6001, 6002);
    WaitForWrites();
    user_->StopRecord();
    const auto files = Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(TimeStamps(files[0]), Stamps(1, 6000));
    EXPECT_EQ(files[1].filename(), "USER_MJPEG_090304T211608_UR.vse");
    EXPECT_EQ(TimeStamps(files[1]), Stamps(6001, 6002));
}

// A login whose record thread the system does not give: a recording opened meanwhile holds
// up no frame and waits for the next login's thread, which goes on with it.
TEST_F(UserRecordTest, AThreadThatCannotStartHoldsUpNoFrame) {
    ormidon::FailThreadStartsForTesting(1);
    EXPECT_FALSE(user_->CreateThread(pipelineEnd_));
    Open();
    FeedRange(1, 3);  // never held up

    Start();
    EXPECT_EQ(user_->RestartRecord(), 1);
    FeedRange(4, 5);
    WaitForWrites();
    user_->StopRecord();
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(4, 5));
}

TEST_F(UserRecordTest, FileThatCannotBeCreatedStartsNothing) {
    Start();
    EXPECT_EQ(user_->OpenRecordFile(RecordPath() + "/missing"), 0);
    EXPECT_FALSE(user_->IsRecording());
    FeedRange(1, 3);
}

}  // namespace
