#pragma once
// What the live stream hands to local recording: every decoded frame, and the alarm
// recording that frame headers start and stop. The recorders install the implementation;
// without one nothing is recorded.
#include <cstdint>
#include <span>

class LiveRecording {
  public:
    virtual ~LiveRecording() = default;

    // A frame decoded (or shown black for video loss), with its own JPEG bytes. Called on
    // the compose thread; may block it while a recorder writes the frame.
    virtual void FeedRecordFrame(std::span<const uint8_t> jpeg, uint32_t timeStamp,
                                 uint8_t videoLoss) = 0;
    // The alarm recorder: whether it records, start (into the record folder) and end.
    // Called on the fetch thread.
    virtual bool IsAlarmRecordActive() = 0;
    virtual void StartAlarmRecord() = 0;
    virtual void StopAlarmRecord() = 0;
};

// Installs the recording (nullptr removes it). Install before the live pipeline starts.
void SetLiveRecording(LiveRecording* recording);
LiveRecording* GetLiveRecording();
