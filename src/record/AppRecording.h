#pragma once
// Local recording as the rest of the program reaches it through the application record:
// the live stream's frames and alarm words (LiveRecording), and the recorder threads that
// the login resources start and stop with the live pipeline.
#include <cstdint>
#include <span>

#include "net/LiveRecording.h"

class AppLiveRecording final : public LiveRecording {
  public:
    // Stores the frame in the pre-record ring and hands it to the recorders that record,
    // with the selected channel and the last decoded picture's size.
    void FeedRecordFrame(std::span<const uint8_t> jpeg, uint32_t timeStamp,
                         uint8_t videoLoss) override;
    bool IsAlarmRecordActive() override;
    // An alarm recording into the "Record Path" folder.
    void StartAlarmRecord() override;
    void StopAlarmRecord() override;
};

// The one instance; start-up installs it with SetLiveRecording beside the live pipeline.
AppLiveRecording& AppLiveRecordingInstance();

// After the frame threads of a login: the alarm recorder's thread from a clean state (the
// event word of the frame header cleared), the user recorder's thread. False when one of
// them could not be started; StopRecorderThreads then ends the other.
bool StartRecorderThreads();
// After the frame threads stopped: the alarm recording is finished, a user recording waits
// with its file open for the next login. False when a thread overran its bound.
bool StopRecorderThreads();
// Finishes the alarm recording (none opens before the next login) and clears the alarm
// word and the main window's alarm text; the schedule recorder records nothing.
void StopAlarmAndScheduleRecording();
// After a re-login: the user recording goes on in its file. True when one is open.
bool RestartUserRecord();
