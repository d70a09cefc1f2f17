#pragma once
// The frame header's reactions carried out on the application record: alarm sound and
// alarm recording, the channel switch on motion (handed to the window, never run on the
// fetch thread), device time, R.E.T.R. state, camera-sensor state and network backup.
#include "net/RTPH_Struct.h"

class AppFrameHeaderListener final : public FrameHeaderListener {
  public:
    FrameHeaderConditions Conditions() override;
    ormidon::LocalTime FrameTime() override;
    void SetFrameTime(const ormidon::LocalTime& time) override;
    void RedrawDateTime() override;
    void SwitchChannel(uint8_t channel) override;
    void SetRetrState(uint8_t state) override;
    void ShowNetworkBackup() override;
    void PostSensorStatus(uint8_t status) override;
    void PostAlarmSound(bool start) override;
    void StartAlarmRecord() override;
    void StopAlarmRecord() override;
};

// The one listener of the application record's frame header.
FrameHeaderListener& AppFrameHeaderReactions();
