#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameBytes.h"
#include "net/FrameHeaderParser.h"
#include "net/RTPH_Struct.h"
#include "platform/Clock.h"

namespace {

using namespace frame_bytes;

// 17 July 2008, 10:30:15.
constexpr uint32_t kPackedTime = 8u << 26 | 7u << 22 | 17u << 17 | 10u << 12 | 30u << 6 | 15u;

Bytes FullVersion1Header() {
    Bytes b;
    Put16(b, 1);
    Put16(b, 1000);
    Put8(b, 0xA3);  // users 3; the high nibble is not read
    Put8(b, 0x5B);  // channel 5; the low nibble is not read
    Put16(b, 0x0002 | 0x0004 | 0x0008 | 0x0010 | 0x0020 | 0x0040 | 0x0080 | 0x0100 | 0x2000);
    Put16(b, 0x0101);  // motion
    Put16(b, 0x0202);  // event bits 1
    Put16(b, 0x0404);  // event bits 3
    Put32(b, 200);     // 1000 ms
    Put32(b, kPackedTime);
    PutText16(b, "CAM-01");
    Put8(b, 0x77);
    Put8(b, 50);  // extension mark
    Put8(b, 0x99);
    Put16(b, 0x0001 | 0x0002 | 0x0004 | 0x0008 | 0x0010);
    Put8(b, 1);  // resolution
    Put8(b, 3);  // R.E.T.R. state
    Put8(b, 9);  // camera-sensor status
    return b;
}

Bytes FullFlagHeader() {
    Bytes b;
    Put32(b, 0x3FFF);
    Put32(b, 5000);
    PutText16(b, "0123456789ABCDEF");  // all 16 used: no terminator
    Put8(b, 4);
    Put8(b, 0xEE);         // second byte of the R.E.T.R. field, not read
    Put8(b, 1);            // resolution
    Put8(b, 0x42);         // extra byte
    Put32(b, 0x40000000);  // time stamp x 5 wraps at 32 bits
    Put8(b, 7);            // users
    Put16(b, 0x0001);      // event bits 1
    Put16(b, 0x0002);      // motion
    Put16(b, 0x0004);      // event bits 3
    Put8(b, 12);           // channel
    Put32(b, kPackedTime);
    return b;
}

TEST(FrameHeaderParser, VersionHeaderWithEveryField) {
    const Bytes bytes = Join({FullVersion1Header(), {0xFF, 0xD8}});
    FrameHeaderFields f;
    ASSERT_EQ(ParseVersionFrameHeader(bytes, f), FrameHeaderScan::Complete);
    EXPECT_EQ(f.info.dwHeaderLength, 46u);
    EXPECT_EQ(f.info.dwPayloadLength, 1000u);
    EXPECT_EQ(f.info.byOnlineUserCount, 3);
    EXPECT_EQ(f.info.byLiveChannel, 5);
    EXPECT_EQ(f.info.wMotionDetect, 0x0101);
    EXPECT_EQ(f.info.wEventBits1, 0x0202);
    EXPECT_EQ(f.info.wEventBits3, 0x0404);
    EXPECT_TRUE(f.hasMotionDetect && f.hasEventBits1 && f.hasEventBits3 && f.hasDeviceTime);
    EXPECT_EQ(f.info.dwTimeStamp, 1000u);
    EXPECT_EQ(f.info.stDeviceTime, (ormidon::LocalTime{2008, 7, 17, 10, 30, 15, 0, 0}));
    EXPECT_STREQ(f.info.szHUText, "CAM-01");
    EXPECT_EQ(f.info.byExtraByte, 0x77);
    EXPECT_EQ(f.info.byResolution, 1);
    EXPECT_TRUE(f.hasRetrState);
    EXPECT_EQ(f.retrState, 3);
    EXPECT_TRUE(f.hasSensorStatus);
    EXPECT_EQ(f.sensorStatus, 9);
    EXPECT_EQ(f.info.byVideoLoss, 1);
    EXPECT_TRUE(f.networkBackup);
    EXPECT_EQ(f.info.dwHeaderFlags, 0u);
}

TEST(FrameHeaderParser, Version2TakesItsLengthFromOffsetFour) {
    Bytes b;
    Put16(b, 2);
    Put16(b, 0xBEEF);  // not read
    Put32(b, 70000);
    Put8(b, 2);
    Put8(b, 0x30);
    Put16(b, 0x2000);
    Put8(b, 50);
    Put8(b, 0);
    Put16(b, 0x0020);  // the device shows all channels: channel 16
    FrameHeaderFields f;
    ASSERT_EQ(ParseVersionFrameHeader(b, f), FrameHeaderScan::Complete);
    EXPECT_EQ(f.info.dwPayloadLength, 70000u);
    EXPECT_EQ(f.info.dwHeaderLength, 16u);
    EXPECT_EQ(f.info.byOnlineUserCount, 2);
    EXPECT_EQ(f.info.byLiveChannel, 16);
}

TEST(FrameHeaderParser, ExtensionWithoutItsMarkIsNotPartOfTheHeader) {
    Bytes b;
    Put16(b, 1);
    Put16(b, 10);
    Put8(b, 0);
    Put8(b, 0);
    Put16(b, 0x2000);
    const Bytes bytes = Join({b, {0xFF, 0xD8, 0xFF, 0xDB}});
    FrameHeaderFields f;
    ASSERT_EQ(ParseVersionFrameHeader(bytes, f), FrameHeaderScan::Complete);
    EXPECT_EQ(f.info.dwHeaderLength, 8u);
    // Without the byte after it, the header cannot yet say where it ends.
    EXPECT_EQ(ParseVersionFrameHeader(b, f), FrameHeaderScan::Incomplete);
}

TEST(FrameHeaderParser, FlagHeaderWithEveryField) {
    const Bytes bytes = FullFlagHeader();
    FrameHeaderFields f;
    ASSERT_EQ(ParseFlagFrameHeader(bytes, f), FrameHeaderScan::Complete);
    EXPECT_EQ(f.info.dwHeaderLength, 44u);
    EXPECT_EQ(f.info.dwHeaderFlags, 0x3FFFu);
    EXPECT_EQ(f.info.dwPayloadLength, 5000u);
    EXPECT_EQ(std::string(f.info.szHUText, 16), "0123456789ABCDEF");
    EXPECT_EQ(f.retrState, 4);
    EXPECT_EQ(f.info.byResolution, 1);
    EXPECT_EQ(f.info.byExtraByte, 0x42);
    EXPECT_EQ(f.info.dwTimeStamp, 0x40000000u * 5u);
    EXPECT_EQ(f.info.byOnlineUserCount, 7);
    EXPECT_EQ(f.info.wEventBits1, 1);
    EXPECT_EQ(f.info.wMotionDetect, 2);
    EXPECT_EQ(f.info.wEventBits3, 4);
    EXPECT_TRUE(f.networkBackup);
    EXPECT_EQ(f.info.byLiveChannel, 12);
    EXPECT_EQ(f.info.stDeviceTime.year, 2008);
    EXPECT_EQ(f.info.byVideoLoss, 1);
    EXPECT_FALSE(f.hasSensorStatus);
}

TEST(FrameHeaderParser, FlagHeaderWithoutLengthBitHasNoPayload) {
    Bytes b;
    Put32(b, 0x0040);
    Put8(b, 3);
    FrameHeaderFields f;
    ASSERT_EQ(ParseFlagFrameHeader(b, f), FrameHeaderScan::Complete);
    EXPECT_EQ(f.info.dwPayloadLength, 0u);
    EXPECT_EQ(f.info.dwHeaderLength, 5u);
}

TEST(FrameHeaderParser, EveryShorterPrefixAsksForMoreAndOtherVersionsAreRefused) {
    for (const Bytes& header : {FullVersion1Header(), FullFlagHeader()}) {
        const bool version = header == FullVersion1Header();
        for (std::size_t n = 0; n < header.size(); ++n) {
            FrameHeaderFields f;
            const std::span<const uint8_t> prefix(header.data(), n);
            const FrameHeaderScan scan =
                version ? ParseVersionFrameHeader(prefix, f) : ParseFlagFrameHeader(prefix, f);
            EXPECT_EQ(scan, FrameHeaderScan::Incomplete) << n << " bytes";
        }
    }
    for (uint16_t word : {0, 3, 0xD8FF}) {
        Bytes b;
        Put16(b, word);
        Put16(b, 100);
        FrameHeaderFields f;
        EXPECT_EQ(ParseVersionFrameHeader(b, f), FrameHeaderScan::Invalid) << word;
    }
}

TEST(FrameHeaderParser, VersionTimeStamps) {
    struct Case {
        uint32_t raw;
        uint32_t expected;
    };
    const uint32_t tick = 123456;
    for (const Case& c : {Case{0, tick}, Case{858993458u, 4294967290u}, Case{858993459u, tick},
                          Case{0xFFFFFFFFu, tick}, Case{1, 5}}) {
        ormidon::TestClock clock(tick);
        ormidon::ScopedClockOverride useClock(clock);
        Bytes b;
        Put16(b, 1);
        Put16(b, 0);
        Put16(b, 0);
        Put16(b, 0x0020);
        Put32(b, c.raw);
        RTPH_Struct header;
        header.fNewHeader = 1;
        uint32_t length = 0;
        FrameInfo_Struct slot;
        ASSERT_EQ(header.Parse(b, length, slot), FrameHeaderScan::Complete);
        EXPECT_EQ(slot.dwTimeStamp, c.expected) << c.raw;
    }
}

// Records what a header sets off.
struct RecordingListener : FrameHeaderListener {
    FrameHeaderConditions conditions;
    ormidon::LocalTime frameTime;
    std::vector<std::string> calls;

    FrameHeaderConditions Conditions() override { return conditions; }
    ormidon::LocalTime FrameTime() override { return frameTime; }
    void SetFrameTime(const ormidon::LocalTime& t) override { frameTime = t; }
    void RedrawDateTime() override { calls.push_back("redraw"); }
    void SwitchChannel(uint8_t channel) override {
        calls.push_back("channel " + std::to_string(channel));
    }
    void SetRetrState(uint8_t s) override { calls.push_back("retr " + std::to_string(s)); }
    void ShowNetworkBackup() override { calls.push_back("backup"); }
    void PostSensorStatus(uint8_t s) override { calls.push_back("sensor " + std::to_string(s)); }
    void PostAlarmSound(bool start) override { calls.push_back(start ? "sound" : "silence"); }
    void StartAlarmRecord() override {
        calls.push_back("record");
        conditions.alarmRecordActive = true;
    }
    void StopAlarmRecord() override {
        calls.push_back("stop record");
        conditions.alarmRecordActive = false;
    }
};

// A flag-word header with the given event words (absent when negative) and a date.
Bytes EventHeader(int eventBits1, int motion, int eventBits3, uint32_t packedTime = 0) {
    uint32_t flags = 0x0001;
    if (eventBits1 >= 0) flags |= 0x0080;
    if (motion >= 0) flags |= 0x0100;
    if (eventBits3 >= 0) flags |= 0x0200;
    if (packedTime != 0) flags |= 0x2000;
    Bytes b;
    Put32(b, flags);
    Put32(b, 100);
    if (eventBits1 >= 0) Put16(b, eventBits1);
    if (motion >= 0) Put16(b, motion);
    if (eventBits3 >= 0) Put16(b, eventBits3);
    if (packedTime != 0) Put32(b, packedTime);
    return b;
}

std::vector<std::string> ParseWith(RTPH_Struct& header, RecordingListener& listener,
                                   const Bytes& bytes) {
    listener.calls.clear();
    uint32_t length = 0;
    FrameInfo_Struct slot;
    EXPECT_EQ(header.Parse(bytes, length, slot), FrameHeaderScan::Complete);
    EXPECT_EQ(length, slot.dwHeaderLength);
    return listener.calls;
}

using Calls = std::vector<std::string>;

TEST(RTPH_Struct, AlarmSoundAndRecordingFollowTheEventWords) {
    RecordingListener listener;
    listener.conditions.p62KFamily = true;
    listener.conditions.alarmTriggerRecord = 1;
    RTPH_Struct header;
    header.SetListener(&listener);

    // A motion word of 0 still asks for the sound, but never records.
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 0, -1)), Calls{"sound"});
    EXPECT_EQ(header.dwEventKind, 0x100u);
    // A non-zero word records once; the recorder then runs.
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 4, -1)), (Calls{"sound", "record"}));
    EXPECT_EQ(header.m_wAlarmData.load(), 4);
    listener.conditions.alarmWavPlaying = true;
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 4, -1)), Calls{});
    // The word seen last is missing: the sound stops and the recording is asked to end.
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, -1, -1)),
              (Calls{"silence", "stop record"}));
    EXPECT_EQ(header.dwEventKind, 0u);
    EXPECT_EQ(header.m_wAlarmData.load(), 4);  // kept until cleared
    EXPECT_EQ(header.CheckEvent(), 1);
    EXPECT_EQ(header.CheckEvent(), 0);
}

TEST(RTPH_Struct, OnlyReactingFamiliesGetAlarmSoundAndRecording) {
    struct Case {
        bool p5xK, t18D, n2xV, retrDvr;
        bool reacts;
    };
    for (const Case& c :
         {Case{true, false, false, false, false}, Case{false, true, false, false, false},
          Case{false, false, true, false, true}, Case{true, false, false, true, true}}) {
        RecordingListener listener;
        listener.conditions.p5xKFamily = c.p5xK;
        listener.conditions.t18DFamily = c.t18D;
        listener.conditions.n2xVFamily = c.n2xV;
        listener.conditions.hasRetrDvr = c.retrDvr;
        listener.conditions.alarmTriggerRecord = 1;
        RTPH_Struct header;
        header.SetListener(&listener);
        EXPECT_EQ(ParseWith(header, listener, EventHeader(1, -1, -1)),
                  c.reacts ? (Calls{"sound", "record"}) : Calls{});
    }
}

TEST(RTPH_Struct, MotionSwitchesToTheLowestAlarmChannel) {
    RecordingListener listener;
    listener.conditions.p5xKFamily = true;
    listener.conditions.multiChannel = true;
    listener.conditions.alarmAutoSwitchVideo = 1;
    RTPH_Struct header;
    header.SetListener(&listener);
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 0x0C, -1)), Calls{"channel 3"});
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 0, -1)), Calls{});
    listener.conditions.multiChannel = false;
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, 1, -1)), Calls{});
}

TEST(RTPH_Struct, DeviceTimeRedrawsOncePerChange) {
    RecordingListener listener;
    listener.conditions.t18DFamily = true;
    RTPH_Struct header;
    header.SetListener(&listener);
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, -1, -1, kPackedTime)), Calls{"redraw"});
    EXPECT_EQ(listener.frameTime.minute, 30);
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, -1, -1, kPackedTime)), Calls{});
    EXPECT_EQ(ParseWith(header, listener, EventHeader(-1, -1, -1, kPackedTime + 1)),
              Calls{"redraw"});
}

TEST(RTPH_Struct, StateBytesAndT18DPayloadLength) {
    RecordingListener listener;
    listener.conditions.t18DFamily = true;
    RTPH_Struct header;
    header.fNewHeader = 1;
    header.SetListener(&listener);
    Bytes full = FullVersion1Header();
    EXPECT_EQ(ParseWith(header, listener, full), (Calls{"redraw", "retr 3", "backup", "sensor 9"}));
    EXPECT_EQ(header.LastFrameInfo().dwPayloadLength, 1000u - 46u);

    // That family counts the header in its length; a length below the header is refused.
    full[2] = 45;
    full[3] = 0;
    uint32_t length = 0;
    FrameInfo_Struct slot;
    EXPECT_EQ(header.Parse(full, length, slot), FrameHeaderScan::Invalid);
    EXPECT_EQ(header.LastFrameInfo().dwHeaderLength, 0u);

    // Other families get no sensor post, the byte is consumed all the same.
    listener.conditions.t18DFamily = false;
    full[2] = 0xE8;
    full[3] = 0x03;
    EXPECT_EQ(ParseWith(header, listener, full), (Calls{"retr 3", "backup"}));
    EXPECT_EQ(header.LastFrameInfo().dwPayloadLength, 1000u);
}

}  // namespace
