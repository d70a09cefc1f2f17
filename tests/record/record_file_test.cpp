#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "platform/Clock.h"
#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/RecordFileValidator.h"
#include "record/RecordFormat.h"

namespace {

using ormidon::test::ReadFile;
using ormidon::test::TempFolder;

const ormidon::LocalTime kNow{2008, 7, 17, 10, 30, 15, 250, 4};

std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

RecordHeader_Struct AlarmHeader(std::string userName = "admin") {
    RecordHeader_Struct header;
    header.recordType = kAlarmRecording;
    header.userName = std::move(userName);
    header.deviceAddress = RecordDeviceAddress("192.168.1.10");
    return header;
}

PreRecordFrame_Struct Frame(uint32_t timeStamp, uint32_t length, uint32_t videoLoss = 0) {
    PreRecordFrame_Struct frame;
    frame.length = length;
    frame.channel = 1;
    frame.videoLoss = videoLoss;
    frame.timeStamp = timeStamp;
    frame.width = 320;
    frame.height = 240;
    return frame;
}

class RecordFileTest : public ::testing::Test {
  protected:
    RecordFileTest() { clock_.SetLocalTime(kNow); }

    std::string Folder() const { return RecordFolder(folder_.path().string()); }

    TempFolder folder_;
    ormidon::TestClock clock_;
    ormidon::ScopedClockOverride useClock_{clock_};
};

TEST_F(RecordFileTest, OneFrameFileIsByteExact) {
    RecordFile file;
    ASSERT_TRUE(file.Create(Folder(), "ALARM_MJPEG_080717T103015_abcd", AlarmHeader()));
    ASSERT_TRUE(file.WriteHeader());
    const std::vector<uint8_t> jpeg = Hex("FF D8 61 62 63 FF D9");
    ASSERT_TRUE(file.WriteFrame(Frame(1000, 7), jpeg));
    ASSERT_TRUE(file.Finish());

    const std::vector<uint8_t> expected = Hex(
        // header: magic, length 88, "P62K", 16 zero bytes
        "58 4B 58 00 50 36 32 4B"
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
        // creation time 2008-07-17 (Thursday) 10:30:15, milliseconds 0
        "D8 07 07 00 04 00 11 00 0A 00 1E 00 0F 00 00 00"
        // first and last time stamps 1000, one frame, 192.168.1.10, 23, 0, alarm
        "E8 03 00 00 E8 03 00 00 01 00 00 00 C0 A8 01 0A 17 00 00 01"
        // "admin", zero-filled to 16 bytes; flags 2
        "61 64 6D 69 6E 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00"
        // extension block, 0xFFFF
        "FF FF FF FF 00 00 00 00 FF FF"
        // frame block: mask, serial 1, length 7, 320 x 240, time stamp, channel 1, 0, 5,
        // magic, block length 29, byte sum, 0xFFFF
        "FF 00 00 E0 01 00 00 00 07 00 00 00 40 01 F0 00 E8 03 00 00 01 00 05"
        "58 4B 1D 00 C9 04 FF FF"
        // JPEG bytes
        "FF D8 61 62 63 FF D9"
        // index: frame 1 at 90; count 1
        "5A 00 00 00 00 00 00 00 01 00 00 00");
    EXPECT_EQ(Bytes(ReadFile(file.Path())), expected);
    EXPECT_EQ(file.Path(), Folder() + "ALARM_MJPEG_080717T103015_abcd.vse");

    const RecordFileCheck check = ValidateRecordFile(file.Path());
    ASSERT_TRUE(check.valid) << check.error;
    ASSERT_EQ(check.frames.size(), 1u);
    EXPECT_EQ(check.firstTimeStamp, 1000u);
    EXPECT_EQ(check.lastTimeStamp, 1000u);
    EXPECT_EQ(check.frames[0].jpegOffset, 90u + 31u);
}

TEST(RecordFormat, VideoLossFrameBlock) {
    PreRecordFrame_Struct frame = Frame(0x01020304, 0, 1);
    frame.serial = 9;
    const FrameBlock block = BuildFrameBlock(frame, 500);
    EXPECT_EQ(block.fieldMask, kFrameMaskVideoLoss);
    ASSERT_EQ(block.size, 32u);  // the JPEG bytes start at block offset 32
    const std::vector<uint8_t> expected =
        Hex("FF 08 00 E0 09 00 00 00 F4 01 00 00 40 01 F0 00 04 03 02 01 01 00 05 01"
            "58 4B 1E 00 E8 04 FF FF");
    EXPECT_EQ(std::vector<uint8_t>(block.Bytes().begin(), block.Bytes().end()), expected);
}

TEST_F(RecordFileTest, UserNameIsCutAtSixteenWithoutTerminator) {
    struct Case {
        std::string name;
        std::string stored;
    } cases[] = {{"abcdefghijklmnopqr", "abcdefghijklmnop"}, {"guest", "guest"}, {"", ""}};
    for (const Case& c : cases) {
        RecordFile file;
        ASSERT_TRUE(file.Create(Folder(), "USER", AlarmHeader(c.name)));
        ASSERT_TRUE(file.Finish());
        const std::string bytes = ReadFile(file.Path());
        EXPECT_EQ(bytes.substr(60, 16), c.stored + std::string(16 - c.stored.size(), '\0'));
        const RecordFileCheck check = ValidateRecordFile(file.Path());
        EXPECT_TRUE(check.valid) << check.error;
        EXPECT_EQ(check.userName, c.stored);
        EXPECT_TRUE(check.frames.empty());
        std::filesystem::remove(file.Path());
    }
}

TEST(RecordFileName, NamesFromTimeAndCookie) {
    const ormidon::LocalTime t{2013, 1, 2, 3, 4, 5, 0, 0};
    EXPECT_EQ(RecordFileBaseName(kAlarmRecording, t, "9f3a77c1"), "ALARM_MJPEG_130102T030405_9f3a");
    EXPECT_EQ(RecordFileBaseName(kAlarmRecording, t, "ab"), "ALARM_MJPEG_130102T030405_ab");
    EXPECT_EQ(RecordFileBaseName(kAlarmRecording, t, ""), "ALARM_MJPEG_130102T030405_");
    EXPECT_EQ(RecordFileBaseName(kAlarmRecording, t, "../x"), "ALARM_MJPEG_130102T030405_.._x");
    EXPECT_EQ(RecordFileBaseName(kUserRecording, t, "abcd"), "USER_MJPEG_130102T030405_UR");
    EXPECT_EQ(RecordFolder("/rec"), "/rec/");
    EXPECT_EQ(RecordFolder("/rec/"), "/rec/");
}

TEST_F(RecordFileTest, ANameInUseGetsANumberBeforeTheExtension) {
    RecordFile first;
    RecordFile second;
    RecordFile third;
    ASSERT_TRUE(first.Create(Folder(), "ALARM_MJPEG_080717T103015_ab", AlarmHeader()));
    ASSERT_TRUE(second.Create(Folder(), "ALARM_MJPEG_080717T103015_ab", AlarmHeader()));
    ASSERT_TRUE(third.Create(Folder(), "ALARM_MJPEG_080717T103015_ab", AlarmHeader()));
    EXPECT_EQ(second.Path(), Folder() + "ALARM_MJPEG_080717T103015_ab_1.vse");
    EXPECT_EQ(third.Path(), Folder() + "ALARM_MJPEG_080717T103015_ab_2.vse");
    EXPECT_FALSE(RecordFile().Create(Folder() + "missing/", "x", AlarmHeader()));
}

TEST_F(RecordFileTest, ValidatorRefusesDamagedFiles) {
    RecordFile file;
    ASSERT_TRUE(file.Create(Folder(), "two", AlarmHeader()));
    ASSERT_TRUE(file.WriteHeader());
    ASSERT_TRUE(file.WriteFrame(Frame(40, 10), std::vector<uint8_t>(10, 0xAA)));
    ASSERT_TRUE(file.WriteFrame(Frame(80, 12, 1), std::vector<uint8_t>(12, 0xBB)));
    ASSERT_TRUE(file.Finish());
    const std::string good = ReadFile(file.Path());
    const RecordFileCheck check = ValidateRecordFile(std::span<const uint8_t>(Bytes(good)));
    ASSERT_TRUE(check.valid) << check.error;
    ASSERT_EQ(check.frames.size(), 2u);
    EXPECT_TRUE(check.frames[1].videoLoss);
    EXPECT_EQ(check.frames[1].blockOffset, 90u + 31u + 10u);

    struct Damage {
        const char* what;
        size_t at;  // byte to change; npos: cut the last byte; npos - 1: add one
    } damages[] = {
        {"header magic", 0},
        {"frame count", 48},
        {"first time stamp", 40},
        {"extension block", 84},
        {"frame mask", 90},
        {"frame serial", 94},
        {"byte sum", 90 + 27},
        {"second block length", 131 + 26},
        {"index entry", good.size() - 12},
        {"trailer count", good.size() - 4},
        {"cut", std::string::npos},
        {"extra byte", std::string::npos - 1},
    };
    for (const Damage& d : damages) {
        std::string bad = good;
        if (d.at == std::string::npos) {
            bad.pop_back();
        } else if (d.at == std::string::npos - 1) {
            bad.insert(bad.size() - 20, 1, '\0');
        } else {
            bad[d.at] = static_cast<char>(bad[d.at] ^ 0x01);
        }
        EXPECT_FALSE(ValidateRecordFile(std::span<const uint8_t>(Bytes(bad))).valid) << d.what;
    }
}

// A disk that fills up in the middle of a frame: the frame goes again, and the file is
// finished with the frames that fit.
TEST_F(RecordFileTest, FailedFrameWriteLeavesAValidFile) {
    RecordFile file;
    ASSERT_TRUE(file.Create(Folder(), "full", AlarmHeader()));
    ASSERT_TRUE(file.WriteHeader());
    ASSERT_TRUE(file.WriteFrame(Frame(40, 100), std::vector<uint8_t>(100, 1)));

    ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 300;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = file.WriteFrame(Frame(80, 200), std::vector<uint8_t>(200, 2));
    const bool finished = file.Finish();
    ::setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_FALSE(written);
    EXPECT_TRUE(finished);
    const RecordFileCheck check = ValidateRecordFile(file.Path());
    ASSERT_TRUE(check.valid) << check.error;
    EXPECT_EQ(check.frames.size(), 1u);
}

}  // namespace
