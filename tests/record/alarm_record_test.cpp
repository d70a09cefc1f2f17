#include <gtest/gtest.h>

#include "RecorderFixture.h"
#include "platform/Thread.h"
#include "record/AlarmDBItem.h"

namespace {

using ormidon::test::RecorderFixture;

class AlarmRecordTest : public RecorderFixture {
  protected:
    void Start() { ASSERT_TRUE(alarm_->CreateThread(pipelineEnd_)); }
    void Open() { ASSERT_EQ(alarm_->OpenRecordFile(RecordPath()), 1); }
    void Stop() {
        WaitForWrites();
        alarm_->RequestStop();
        EXPECT_EQ(alarm_->m_fAlarmRecordActive, 0u);
    }
    std::vector<AlarmDBItem_Struct> Entries() {
        alarmDB_.AlarmDB_LoadItems();
        return {alarmDB_.m_lpAlarmDBItem_Struct.get(),
                alarmDB_.m_lpAlarmDBItem_Struct.get() + alarmDB_.m_wAlarmDBCount};
    }
};

// The file begins with the frames fed before the event, oldest first, up to the first frame
// handed over; the database entry gets the first hand-over's date and the frame count.
TEST_F(AlarmRecordTest, RecordingBeginsWithThePreRecordFrames) {
    struct Case {
        uint32_t before;  // frames fed since the thread was created, before the event
        uint32_t firstInFile;
    } cases[] = {{0, 1}, {5, 1}, {19, 1}, {20, 2}, {30, 12}};
    for (const Case& c : cases) {
        Start();
        const uint32_t base = static_cast<uint32_t>(ring_.FramesFed());
        FeedRange(base + 1, base + c.before);
        Open();
        EXPECT_EQ(alarm_->m_fAlarmRecordActive, 1u);
        FeedRange(base + c.before + 1, base + c.before + 3);
        Stop();
        const auto files = Files();
        ASSERT_EQ(files.size(), 1u) << c.before;
        EXPECT_EQ(TimeStamps(files[0]), Stamps(base + c.firstInFile, base + c.before + 3))
            << c.before;
        const RecordFileCheck check = ValidateRecordFile(files[0]);
        EXPECT_EQ(check.recordType, kAlarmRecording);
        EXPECT_EQ(check.userName, "operator");
        EXPECT_EQ(check.deviceAddress[0], 10);
        EXPECT_EQ(check.deviceAddress[3], 7);
        EXPECT_EQ(check.frames[0].channel, 2);
        EXPECT_EQ(files[0].filename(), "ALARM_MJPEG_090304T211507_c00k.vse");

        const auto entries = Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].path, files[0].string());
        EXPECT_EQ(entries[0].frames, check.frames.size());
        EXPECT_EQ(entries[0].source, "10.0.0.7");
        EXPECT_EQ(entries[0].date, (ormidon::LocalTime{2009, 3, 4, 21, 15, 7, 0, 0}));
        std::filesystem::remove(files[0]);
        std::filesystem::remove(SystemConfig::AlarmDBFilePath());
    }
}

// After a re-login the write index runs on, but only this connection's frames open the file.
TEST_F(AlarmRecordTest, PreRecordFramesAreThoseOfTheCurrentConnection) {
    Start();
    FeedRange(1, 12);
    pipelineEnd_.Set();
    ASSERT_TRUE(alarm_->CloseThread());
    pipelineEnd_.Reset();
    Start();
    FeedRange(13, 17);
    Open();
    Feed(18);
    Stop();
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(13, 18));
}

// An event that lasts longer than a file holds: the first file has 6000 frames, the next
// begins with serial 1, and each file has its own entry.
TEST_F(AlarmRecordTest, LongEventRollsOverToANewFileWithItsOwnEntry) {
    Start();
    Open();
    FeedRange(1, 6000);
    clock_.Advance(250 * 1000);
    FeedRange(6001, 6005);
    Stop();
    const auto files = Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(TimeStamps(files[0]), Stamps(1, 6000));
    EXPECT_EQ(files[1].filename(), "ALARM_MJPEG_090304T211917_c00k.vse");
    EXPECT_EQ(TimeStamps(files[1]), Stamps(6001, 6005));
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, files[0].string());
    EXPECT_EQ(entries[0].frames, 6000u);
    EXPECT_EQ(entries[1].path, files[1].string());
    EXPECT_EQ(entries[1].frames, 5u);
    EXPECT_EQ(entries[1].date.minute, 19);
}

TEST_F(AlarmRecordTest, TwoEventsInOneSecondKeepBothFiles) {
    Start();
    for (uint32_t event = 0; event < 2; ++event) {
        Open();
        Feed(event * 2 + 1);
        Feed(event * 2 + 2);
        Stop();
    }
    const auto files = Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "ALARM_MJPEG_090304T211507_c00k.vse");
    EXPECT_EQ(files[1].filename(), "ALARM_MJPEG_090304T211507_c00k_1.vse");
    EXPECT_EQ(TimeStamps(files[1]), Stamps(1, 4));  // the ring holds the first event too
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(AlarmRecordTest, StopRecordFinishesAndRefusesUntilTheNextThread) {
    Start();
    Open();
    FeedRange(1, 3);
    WaitForWrites();
    EXPECT_EQ(alarm_->StopRecord(), 1);
    EXPECT_EQ(alarm_->m_fAlarmRecordActive, 0u);
    EXPECT_EQ(alarm_->OpenRecordFile(RecordPath()), 0);
    FeedRange(4, 6);  // the ring goes on without the recorder
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(1, 3));
    EXPECT_EQ(Entries().size(), 1u);

    Start();
    Open();
}

// A pipeline stop finishes the recording with its entry; the thread then ends, and starts
// are refused until the next login's thread.
TEST_F(AlarmRecordTest, PipelineStopFinishesTheRecording) {
    Start();
    Open();
    FeedRange(1, 4);
    WaitForWrites();
    pipelineEnd_.Set();
    EXPECT_TRUE(alarm_->CloseThread());
    EXPECT_EQ(alarm_->m_fAlarmRecordActive, 0u);
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(1, 4));
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_EQ(alarm_->OpenRecordFile(RecordPath()), 0);
    FeedRange(5, 40);  // never held up
}

// The thread's own stop (shut-down) finishes the file in the same way.
TEST_F(AlarmRecordTest, ThreadStopFinishesTheRecording) {
    Start();
    Open();
    FeedRange(1, 2);
    WaitForWrites();
    EXPECT_TRUE(alarm_->CloseThread());
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(1, 2));
    EXPECT_EQ(Entries().size(), 1u);
}

// A stop before the first hand-over leaves a valid empty file.
TEST_F(AlarmRecordTest, StopBeforeAnyFrameLeavesAnEmptyValidFile) {
    Start();
    Open();
    alarm_->RequestStop();
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_TRUE(TimeStamps(Files()[0]).empty());
    FeedRange(1, 3);
}

// A login whose record thread the system does not give: no alarm opens a file and no frame
// is held up; the next login's thread records again.
TEST_F(AlarmRecordTest, AThreadThatCannotStartTakesNoStart) {
    ormidon::FailThreadStartsForTesting(1);
    EXPECT_FALSE(alarm_->CreateThread(pipelineEnd_));
    ASSERT_EQ(alarm_->OpenRecordFile(RecordPath()), 0);
    EXPECT_EQ(alarm_->m_fAlarmRecordActive, 0u);
    FeedRange(1, 3);  // never held up
    EXPECT_TRUE(Files().empty());

    Start();
    Open();
    Feed(4);
    Stop();
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(TimeStamps(Files()[0]), Stamps(4, 4));
}

TEST_F(AlarmRecordTest, FileThatCannotBeCreatedLeavesNothingActive) {
    Start();
    EXPECT_EQ(alarm_->OpenRecordFile(RecordPath() + "/missing"), 0);
    EXPECT_EQ(alarm_->m_fAlarmRecordActive, 0u);
    FeedRange(1, 3);
    std::filesystem::create_directory(records_ / "missing");
    EXPECT_EQ(alarm_->OpenRecordFile(RecordPath() + "/missing"), 1);
}

}  // namespace
