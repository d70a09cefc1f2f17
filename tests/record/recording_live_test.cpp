// Local recording against the simulated recorder: the live pipeline feeds the pre-record
// ring, the frame headers' alarm words open and end alarm recordings, and a user recording
// goes on across a re-login; every file is checked whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/BuiltProgramFolder.h"
#include "../support/EngineHarness.h"
#include "../support/LiveRecordingTest.h"
#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/SessionCookie.h"
#include "platform/Paths.h"
#include "platform/RecordingAudioOut.h"
#include "record/AlarmSound.h"
#include "record/AppRecording.h"
#include "record/RecordFileValidator.h"
#include "sim/SimulatedRecorder.h"

namespace {

using namespace ormidon;
using namespace ormidon::test;
using namespace std::chrono_literals;

class RecordingLiveTest : public LiveRecordingTest {
  protected:
    bool ShowMore(uint32_t count) {
        const uint32_t target = app.dw_ShownFrames + count;
        return WaitUntil([&] { return app.dw_ShownFrames >= target; });
    }
};

// The alarm bits open an alarm recording that begins with the twenty frames before the
// alarm; their end finishes it with its database entry. The alarm sound plays meanwhile.
TEST_F(RecordingLiveTest, AlarmBitsRecordWithThePreRecordFrames) {
    RecordingAudioSink sound;
    SetAudioOutFactory(sound.Factory());
    LogInForStream(1);
    StartStream();
    ASSERT_TRUE(ShowMore(30));
    EXPECT_EQ(app.m_AlarmRecord.m_fAlarmRecordActive, 0u);

    device.Video().SetEvents(0x0001, 0, false);
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.m_fAlarmRecordActive != 0; }));
    ASSERT_TRUE(ShowMore(15));
    device.Video().SetEvents(0, 0, false);
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.m_fAlarmRecordActive == 0; }));
    ASSERT_TRUE(ShowMore(5));

    const auto files = Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("ALARM_MJPEG_", 0), 0u);
    const RecordFileCheck check = ValidateRecordFile(files[0]);
    ASSERT_TRUE(check.valid) << check.error;
    EXPECT_EQ(check.recordType, kAlarmRecording);
    EXPECT_EQ(check.userName, "admin");
    EXPECT_EQ(check.deviceAddress[0], 127);
    // The twenty frames before the alarm, then most of those shown while it lasted.
    ASSERT_GE(check.frames.size(), 20u + 10u);
    for (size_t k = 1; k < check.frames.size(); ++k)
        EXPECT_GE(check.frames[k].timeStamp, check.frames[k - 1].timeStamp) << k;
    EXPECT_EQ(check.frames[0].width, 160);

    SystemConfig& db = g_SystemConfig;
    ASSERT_EQ(db.AlarmDB_LoadItems(), 1);
    ASSERT_EQ(db.m_wAlarmDBCount, 1);
    EXPECT_EQ(db.m_lpAlarmDBItem_Struct[0].path, files[0].string());
    EXPECT_EQ(db.m_lpAlarmDBItem_Struct[0].frames, check.frames.size());
    EXPECT_EQ(db.m_lpAlarmDBItem_Struct[0].source, "127.0.0.1");
    db.AlarmDB_FreeBuffer();

    // The headers asked the main window for the sound; its handler plays it.
    ASSERT_GE(router.Count(WM_POSTALARMAUDIO, 0), 1u);
    app.CSettingINI.m_strTriggerWavPath = (program / "missing.wav").string();
    std::filesystem::copy_file(
        ormidon::test::BuiltProgramFolder() / "alarm.wav",
        program / "alarm.wav");
    EXPECT_EQ(OnPlayAlarmSound(0), 0);
    EXPECT_TRUE(sound.WaitForBlocks(8, 5s));
    EXPECT_EQ(OnPlayAlarmSound(kAlarmSoundStop), 0);
    SetAudioOutFactory({});
}

// A user recording survives a dropped stream: the re-login's new threads go on with the
// same file, and the stop finishes one valid file.
TEST_F(RecordingLiveTest, UserRecordingGoesOnAcrossAReLogin) {
    LogInForStream(2);
    StartStream();
    ASSERT_TRUE(ShowMore(3));
    ASSERT_EQ(app.m_UserRecord.OpenRecordFile(app.CSettingINI.m_strRecordPath), 1);
    ASSERT_TRUE(ShowMore(10));

    const size_t requests = StreamRequests();
    device.Video().AddFault({sim::StreamFault::Kind::kClose, 0});
    const uint32_t shown = app.dw_ShownFrames;
    ASSERT_TRUE(AdvanceUntil(
        clock, [&] { return StreamRequests() == requests + 1 && app.dw_ShownFrames >= shown + 10; },
        250, 120000));
    ASSERT_TRUE(ShowMore(5));
    EXPECT_TRUE(app.m_UserRecord.IsRecording());
    app.m_UserRecord.StopRecord();

    const auto files = Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("USER_MJPEG_", 0), 0u);
    const RecordFileCheck check = ValidateRecordFile(files[0]);
    ASSERT_TRUE(check.valid) << check.error;
    EXPECT_EQ(check.recordType, kUserRecording);
    EXPECT_GE(check.frames.size(), 10u + 15u);
}

}  // namespace
