#pragma once
// The live frame header as the rest of the program sees it: the parser that picks the layout
// the login asked for, the alarm state that lasts from frame to frame, and the reactions a
// header sets off (alarm sound, alarm recording, channel switch on motion, device time,
// R.E.T.R. state, camera-sensor state, network backup).
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "net/FrameHeaderParser.h"
#include "net/FrameInfo.h"

// What the reactions to a header depend on; read from the application record and the
// settings by the listener, once per header.
struct FrameHeaderConditions {
    bool alarmWavPlaying = false;      // f_AlarmWavPlaying
    uint8_t alarmTriggerRecord = 0;    // m_byAlarmTriggerRecord
    uint8_t alarmAutoSwitchVideo = 0;  // m_byAlarmAutoSwitchVideo
    bool p5xKFamily = false;
    bool multiChannel = false;
    bool p62KFamily = false;
    bool t18DFamily = false;
    bool n2xVFamily = false;
    bool hasRetrDvr = false;         // an R.E.T.R. DVR among the control devices
    bool alarmRecordActive = false;  // the alarm recorder's m_fAlarmRecordActive
};

// The rest of the program as a header reaches it. Called on the fetch thread: anything that
// sends a request to the device must be handed to another thread.
class FrameHeaderListener {
  public:
    virtual ~FrameHeaderListener() = default;
    virtual FrameHeaderConditions Conditions() = 0;
    // st_FrameTime of the application record.
    virtual ormidon::LocalTime FrameTime() = 0;
    virtual void SetFrameTime(const ormidon::LocalTime& time) = 0;
    virtual void RedrawDateTime() = 0;                // WM_REDRAWDATETIME to the main window
    virtual void SwitchChannel(uint8_t channel) = 0;  // ask the device to show this channel
    virtual void SetRetrState(uint8_t state) = 0;
    virtual void ShowNetworkBackup() = 0;               // "Network backup,stop video!!"
    virtual void PostSensorStatus(uint8_t status) = 0;  // WM_CMOSSTATUS
    virtual void PostAlarmSound(bool start) = 0;        // WM_POSTALARMAUDIO: play or stop
    virtual void StartAlarmRecord() = 0;
    virtual void StopAlarmRecord() = 0;
};

class RTPH_Struct {
  public:
    RTPH_Struct() = default;
    RTPH_Struct(const RTPH_Struct&) = delete;
    RTPH_Struct& operator=(const RTPH_Struct&) = delete;

    // Parses the header at the start of `bytes` in the layout `fNewHeader` selects. Until it
    // reports Complete nothing is changed, so the caller may ask again with more bytes. On
    // Complete: `headerLength` receives the header's length, `slot` a copy of the per-frame
    // block, and the header's reactions have run. Only the fetch thread parses.
    FrameHeaderScan Parse(std::span<const uint8_t> bytes, uint32_t& headerLength,
                          FrameInfo_Struct& slot);
    FrameHeaderScan ParseVersionHeader(std::span<const uint8_t> bytes, uint32_t& headerLength,
                                       FrameInfo_Struct& slot);
    FrameHeaderScan ParseFlagHeader(std::span<const uint8_t> bytes, uint32_t& headerLength,
                                    FrameInfo_Struct& slot);

    // Clears a pending alarm word: 1 when there was one, else 0.
    int CheckEvent();

    // The per-frame block of the last header, for the frame drawing on another thread.
    FrameInfo_Struct LastFrameInfo() const;

    // Without a listener a header only updates the state kept here.
    void SetListener(FrameHeaderListener* listener) { listener_ = listener; }

    // Event word read last; kept from frame to frame, cleared by CheckEvent and by the alarm
    // recorder.
    std::atomic<uint16_t> m_wAlarmData{0};
    // 0x80, 0x100 or 0x200: which event word set m_wAlarmData last (event bits 1, motion bits,
    // event bits 3); 0 for none. Fetch thread only.
    uint32_t dwEventKind = 0;
    // 1: version-word layout (the login asked for "NEWHR"); 0: flag-word layout.
    std::atomic<uint32_t> fNewHeader{0};

  private:
    FrameHeaderScan Apply(FrameHeaderScan scan, FrameHeaderFields& fields, bool versionLayout,
                          uint32_t& headerLength, FrameInfo_Struct& slot);

    FrameHeaderListener* listener_ = nullptr;
    mutable std::mutex frameInfoMutex_;
    FrameInfo_Struct frameInfo_;
};
