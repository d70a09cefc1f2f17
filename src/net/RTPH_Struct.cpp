#include "net/RTPH_Struct.h"

namespace {

constexpr uint32_t kKindEventBits1 = 0x80;
constexpr uint32_t kKindMotion = 0x100;
constexpr uint32_t kKindEventBits3 = 0x200;

bool SameSecond(const ormidon::LocalTime& a, const ormidon::LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

FrameHeaderScan RTPH_Struct::Parse(std::span<const uint8_t> bytes, uint32_t& headerLength,
                                   FrameInfo_Struct& slot) {
    return fNewHeader.load() == 1 ? ParseVersionHeader(bytes, headerLength, slot)
                                  : ParseFlagHeader(bytes, headerLength, slot);
}

FrameHeaderScan RTPH_Struct::ParseVersionHeader(std::span<const uint8_t> bytes,
                                                uint32_t& headerLength, FrameInfo_Struct& slot) {
    FrameHeaderFields fields;
    return Apply(ParseVersionFrameHeader(bytes, fields), fields, true, headerLength, slot);
}

FrameHeaderScan RTPH_Struct::ParseFlagHeader(std::span<const uint8_t> bytes, uint32_t& headerLength,
                                             FrameInfo_Struct& slot) {
    FrameHeaderFields fields;
    return Apply(ParseFlagFrameHeader(bytes, fields), fields, false, headerLength, slot);
}

int RTPH_Struct::CheckEvent() { return m_wAlarmData.exchange(0) != 0 ? 1 : 0; }

FrameInfo_Struct RTPH_Struct::LastFrameInfo() const {
    std::lock_guard lock(frameInfoMutex_);
    return frameInfo_;
}

FrameHeaderScan RTPH_Struct::Apply(FrameHeaderScan scan, FrameHeaderFields& fields,
                                   bool versionLayout, uint32_t& headerLength,
                                   FrameInfo_Struct& slot) {
    if (scan == FrameHeaderScan::Invalid) {
        std::lock_guard lock(frameInfoMutex_);
        frameInfo_ = {};
    }
    if (scan != FrameHeaderScan::Complete) return scan;

    const FrameHeaderConditions conditions =
        listener_ != nullptr ? listener_->Conditions() : FrameHeaderConditions{};
    FrameInfo_Struct& info = fields.info;
    // That family counts the header in its payload length; a length shorter than the header
    // is a broken header, refused before it sets anything off.
    const bool countsHeaderInPayload = versionLayout && conditions.t18DFamily;
    if (countsHeaderInPayload && info.dwPayloadLength < info.dwHeaderLength) {
        std::lock_guard lock(frameInfoMutex_);
        frameInfo_ = {};
        return FrameHeaderScan::Invalid;
    }
    bool soundStart = false;
    bool soundStop = false;
    bool record = false;

    auto eventWord = [&](bool present, uint16_t word, uint32_t kind) {
        if (present) {
            if (!conditions.alarmWavPlaying && conditions.alarmTriggerRecord != 0)
                soundStart = true;
            m_wAlarmData.store(word);
            dwEventKind = kind;
            if (word != 0 && conditions.alarmTriggerRecord != 0) record = true;
        } else if (dwEventKind == kind) {
            dwEventKind = 0;
            soundStop = true;
        }
    };
    auto motionWord = [&] {
        eventWord(fields.hasMotionDetect, info.wMotionDetect, kKindMotion);
        if (conditions.p5xKFamily && conditions.multiChannel &&
            conditions.alarmAutoSwitchVideo != 0 && listener_ != nullptr) {
            const uint16_t alarm = m_wAlarmData.load();
            for (uint8_t bit = 0; bit < 16; ++bit) {
                if (alarm & (1u << bit)) {
                    listener_->SwitchChannel(static_cast<uint8_t>(bit + 1));
                    break;
                }
            }
        }
    };
    // The event words are taken in the order each layout carries them.
    if (versionLayout) {
        motionWord();
        eventWord(fields.hasEventBits1, info.wEventBits1, kKindEventBits1);
    } else {
        eventWord(fields.hasEventBits1, info.wEventBits1, kKindEventBits1);
        motionWord();
    }
    eventWord(fields.hasEventBits3, info.wEventBits3, kKindEventBits3);

    // A time stamp of 0 in the version-word layout means the device sent none usable.
    if (versionLayout && info.dwTimeStamp == 0) info.dwTimeStamp = ormidon::TickCount();

    if (listener_ != nullptr) {
        if (fields.hasDeviceTime && !SameSecond(info.stDeviceTime, listener_->FrameTime())) {
            listener_->SetFrameTime(info.stDeviceTime);
            if (conditions.p62KFamily || conditions.t18DFamily) listener_->RedrawDateTime();
        }
        if (fields.hasRetrState) listener_->SetRetrState(fields.retrState);
        if (fields.networkBackup) listener_->ShowNetworkBackup();
        if (fields.hasSensorStatus && conditions.t18DFamily) {
            listener_->PostSensorStatus(fields.sensorStatus);
        }
    }

    headerLength = info.dwHeaderLength;
    if (countsHeaderInPayload) info.dwPayloadLength -= info.dwHeaderLength;
    {
        std::lock_guard lock(frameInfoMutex_);
        frameInfo_ = info;
    }
    slot = info;

    if (listener_ == nullptr) return scan;
    if (!conditions.hasRetrDvr && !conditions.p62KFamily && !conditions.n2xVFamily) return scan;
    if (!conditions.alarmWavPlaying && soundStart) {
        listener_->PostAlarmSound(true);
    } else if (soundStop) {
        listener_->PostAlarmSound(false);
    }
    if (record && !conditions.alarmRecordActive) listener_->StartAlarmRecord();
    if (!record && conditions.alarmRecordActive) listener_->StopAlarmRecord();
    return scan;
}
