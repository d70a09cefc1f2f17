#pragma once
// Comparing what the live frame readers give, for the fuzz targets of the frame header and the
// stream: per-frame blocks field by field, and a header listener that notes every reaction.
#include <cstdint>
#include <cstring>
#include <vector>

#include "net/FrameInfo.h"
#include "net/RTPH_Struct.h"

namespace fuzz {

inline bool SameFrameInfo(const FrameInfo_Struct& a, const FrameInfo_Struct& b) {
    return a.dwPayloadLength == b.dwPayloadLength && a.byOnlineUserCount == b.byOnlineUserCount &&
           a.byResolution == b.byResolution && a.byExtraByte == b.byExtraByte &&
           std::memcmp(a.szHUText, b.szHUText, sizeof a.szHUText) == 0 &&
           a.dwHeaderFlags == b.dwHeaderFlags && a.dwHeaderLength == b.dwHeaderLength &&
           a.dwTimeStamp == b.dwTimeStamp && a.wEventBits1 == b.wEventBits1 &&
           a.wMotionDetect == b.wMotionDetect && a.wEventBits3 == b.wEventBits3 &&
           a.byLiveChannel == b.byLiveChannel && a.byVideoLoss == b.byVideoLoss &&
           a.stDeviceTime == b.stDeviceTime;
}

// Notes each reaction as a number: its kind times 0x10000 plus its argument.
class NotingHeaderListener : public FrameHeaderListener {
  public:
    explicit NotingHeaderListener(const FrameHeaderConditions& conditions)
        : conditions_(conditions) {}

    FrameHeaderConditions Conditions() override { return conditions_; }
    ormidon::LocalTime FrameTime() override { return frameTime_; }
    void SetFrameTime(const ormidon::LocalTime& time) override {
        frameTime_ = time;
        Note(1, static_cast<uint32_t>(time.second));
    }
    void RedrawDateTime() override { Note(2, 0); }
    void SwitchChannel(uint8_t channel) override { Note(3, channel); }
    void SetRetrState(uint8_t state) override { Note(4, state); }
    void ShowNetworkBackup() override { Note(5, 0); }
    void PostSensorStatus(uint8_t status) override { Note(6, status); }
    void PostAlarmSound(bool start) override { Note(7, start); }
    void StartAlarmRecord() override { Note(8, 0); }
    void StopAlarmRecord() override { Note(9, 0); }

    const std::vector<uint32_t>& Notes() const { return notes_; }

  private:
    void Note(uint32_t kind, uint32_t argument) { notes_.push_back(kind << 16 | argument); }

    FrameHeaderConditions conditions_;
    ormidon::LocalTime frameTime_;
    std::vector<uint32_t> notes_;
};

// Conditions from the low ten bits of a word.
inline FrameHeaderConditions ConditionsFromBits(uint16_t bits) {
    FrameHeaderConditions c;
    c.alarmWavPlaying = bits & 0x001;
    c.alarmTriggerRecord = bits & 0x002 ? 1 : 0;
    c.alarmAutoSwitchVideo = bits & 0x004 ? 1 : 0;
    c.p5xKFamily = bits & 0x008;
    c.multiChannel = bits & 0x010;
    c.p62KFamily = bits & 0x020;
    c.t18DFamily = bits & 0x040;
    c.n2xVFamily = bits & 0x080;
    c.hasRetrDvr = bits & 0x100;
    c.alarmRecordActive = bits & 0x200;
    return c;
}

}  // namespace fuzz
