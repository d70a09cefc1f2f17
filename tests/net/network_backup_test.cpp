// The network backup: the request, the reply read over any split, the file made under its
// final name and kept with exactly the bytes received whatever the end, statuses and
// progress, and cancelling, against the simulated recorder.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../sim/RawHttp.h"
#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "net/NetworkBackupDownload.h"
#include "net/NetworkBackupStream.h"
#include "platform/JpegCodec.h"
#include "record/RecordFileValidator.h"
#include "sim/SimulatedRecorder.h"

namespace {

using ormidon::sim::BackupRecording;
using ormidon::sim::BackupRecordingBytes;
using ormidon::sim::NetworkBackupScript;
using ormidon::test::TempFolder;

std::string Frame(uint32_t type, std::string_view payload, std::optional<uint32_t> length = {}) {
    std::string out;
    uint32_t n = length.value_or(static_cast<uint32_t>(payload.size()));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(n >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(type >> (8 * i)));
    return out + std::string(payload);
}

struct Parsed {
    std::string data;
    NetworkBackupStream::State state;
    std::size_t consumed = 0;
};

// The stream fed in pieces of `piece` bytes (0: whole).
Parsed Parse(const std::string& bytes, std::size_t piece = 0) {
    Parsed out;
    NetworkBackupStream stream([&](std::string_view p) {
        out.data += p;
        return true;
    });
    std::size_t step = piece == 0 ? bytes.size() : piece;
    for (std::size_t at = 0; at < bytes.size() && !stream.Finished(); at += step) {
        out.consumed += stream.Feed(bytes.data() + at, std::min(step, bytes.size() - at));
    }
    out.state = stream.GetState();
    return out;
}

TEST(NetworkBackupStreamTest, EveryStreamReadsTheSameWhateverTheSplit) {
    using S = NetworkBackupStream::State;
    const std::string data1(2048, 'a'), data2 = "tail";
    struct Case {
        const char* name;
        std::string bytes;
        std::string data;
        S state;
        std::size_t consumed;  // of the whole stream
    };
    const std::string ended = Frame(3, data1) + Frame(2, "") + Frame(3, data2) + Frame(1, "");
    const std::vector<Case> cases = {
        {"data, other type, data, end, trailing bytes", ended + "junk", data1 + data2, S::kEnded,
         ended.size()},
        {"end first", Frame(1, "") + Frame(3, "x"), "", S::kEnded, 8},
        {"refused", Frame(6, ""), "", S::kRefused, 8},
        {"head 200 then frames", "HTTP/1.1 200 OK\r\nX: y\r\n\r\n" + Frame(3, "ab") + Frame(1, ""),
         "ab", S::kEnded, 25 + 10 + 8},
        {"head 404", "HTTP/1.1 404 Not Found\r\n\r\n" + Frame(3, "ab"), "", S::kHeadFailed, 26},
        {"length over 16 MiB", Frame(3, "", 16u * 1024 * 1024 + 1) + "zz", "", S::kGarbage, 8},
        {"cut in a payload", Frame(3, "abcdef").substr(0, 11), "abc", S::kPayload, 11},
        {"starts like HTTP but is not", "HTTQ" + std::string(4, '\0'), "", S::kHeader, 8},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
            SCOPED_TRACE(std::string(c.name) + " in pieces of " + std::to_string(piece));
            Parsed p = Parse(c.bytes, piece);
            EXPECT_EQ(p.data, c.data);
            EXPECT_EQ(p.state, c.state);
            if (piece <= 1) {
                EXPECT_EQ(p.consumed, c.consumed);
            }
        }
    }
}

// The recorder's backup of any size is a record file of exactly that size whose frames
// decode, whichever way its bytes are read; too short for a frame, it is a file's start.
TEST(BackupRecordingTest, EverySizeIsAWholeRecordFileOfPicturesThatDecode) {
    const ormidon::sim::BackupTime time{2024, 2, 29, 23, 59, 58};
    const std::string first = BackupRecordingBytes(3, time, 1 << 20);
    const RecordFileCheck firstCheck = ValidateRecordFile(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(first.data()), first.size()));
    ASSERT_GE(firstCheck.frames.size(), 2u);
    const uint64_t frameBytes = firstCheck.frames[1].blockOffset - firstCheck.frames[0].blockOffset;
    for (uint64_t size : {uint64_t{1} << 20, (uint64_t{1} << 20) + 1, (uint64_t{1} << 20) + 3,
                          94 + frameBytes + 8, 94 + frameBytes + 7 + 70000, uint64_t{3} << 20}) {
        SCOPED_TRACE(size);
        const std::string bytes = BackupRecordingBytes(3, time, size);
        ASSERT_EQ(bytes.size(), size);
        const std::span<const uint8_t> span(reinterpret_cast<const uint8_t*>(bytes.data()),
                                            bytes.size());
        const RecordFileCheck check = ValidateRecordFile(span);
        ASSERT_TRUE(check.valid) << check.error;
        EXPECT_EQ(check.frames.size(), BackupRecording(3, time, size).FrameCount());
        EXPECT_EQ(check.frames.back().timeStamp - check.frames.front().timeStamp,
                  40 * (check.frames.size() - 1));
        ormidon::JpegCodec codec;
        for (const RecordFileFrame& frame : {check.frames.front(), check.frames.back()}) {
            EXPECT_EQ(frame.channel, 4);
            std::vector<uint8_t> bgr(ormidon::BgrPictureBytes(frame.width, frame.height));
            int width = 0, height = 0;
            EXPECT_EQ(
                codec.Decode(span.subspan(frame.jpegOffset, frame.length), bgr, width, height),
                ormidon::JpegDecodeStatus::Decoded);
            EXPECT_EQ(width, frame.width);
        }
        // Read in odd pieces, the bytes are the same.
        std::string pieces;
        const BackupRecording recording(3, time, size);
        for (uint64_t at = 0; at < size; at += 1999) recording.Read(at, 1999, pieces);
        EXPECT_TRUE(pieces == bytes);
    }
    // Too short for a frame: the start of a one-frame file, which a player reads as a file
    // cut short, without damage.
    for (uint64_t size : {uint64_t{0}, uint64_t{50}, uint64_t{5000}}) {
        SCOPED_TRACE(size);
        const std::string bytes = BackupRecordingBytes(0, time, size);
        ASSERT_EQ(bytes.size(), size);
        const RecordFilePlayback playback = ReadRecordFileForPlayback(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_EQ(playback.check.valid, size >= 94);
        EXPECT_TRUE(playback.check.frames.empty());
        EXPECT_EQ(playback.damage, "");
    }
}

TEST(NetworkBackupTest, RequestIsTheDevicesByteForByte) {
    NetworkBackupJob job;
    job.cookie = "";
    job.hostAddress = "127.0.0.1";
    job.year = 2008, job.month = 5, job.day = 7, job.hour = 13, job.minute = 4, job.second = 9;
    job.slot = 5, job.channelIndex = 3, job.sizeMB = 20;
    EXPECT_EQ(BuildNetworkBackupRequest(job),
              "GET /NetworkBk.cgi?Cookie=&Year=2008&Month=5&Day=7&Hour=13&Minute=4&Second=9&Num=5"
              "&CH=3&Size=20 HTTP/1.1\r\n"
              "Accept: */* \r\nAccept-Language: zh-tw\r\nAccept-Encoding: gzip, deflate\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
              "1.1.4322)\r\nHost: 127.0.0.1\r\nConnection: Keep-Alive\r\n\r\n");
    job.cookie = "a\r\nb";
    EXPECT_EQ(BuildNetworkBackupRequest(job), "");
}

TEST(NetworkBackupTest, PercentIsClampedAndSixtyFourBit) {
    EXPECT_EQ(BackupPercent(2'621'440, 5), 50u);
    EXPECT_EQ(BackupPercent(300ull * 1024 * 1024, 1), 100u);  // once wrapped past 255
    EXPECT_EQ(BackupPercent(419'430'400, 500), 80u);          // bytes x 100 is beyond 32 bits
    EXPECT_EQ(BackupPercent(1024, 0), 0u);
}

class RecordingListener : public NetworkBackupListener {
  public:
    void OnStatus(int status, uint32_t percent) override {
        std::lock_guard lock(mutex);
        statuses.push_back(status);
        if (status == kBackupProgress) percents.push_back(percent);
    }
    void OnProgress(uint32_t command, uint32_t) override {
        std::lock_guard lock(mutex);
        commands.push_back(command);
    }
    void OnDeviceLeftSending() override { leftSending = true; }
    bool LockFile(const std::stop_token& stop) override { return lockFile ? lockFile(stop) : true; }
    std::function<bool(const std::stop_token&)> lockFile;
    std::atomic<bool> leftSending{false};
    std::mutex mutex;
    std::vector<int> statuses;
    std::vector<uint32_t> percents;
    std::vector<uint32_t> commands;
};

class NetworkBackupDownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.Start());
        job.address = "127.0.0.1";
        job.port = device.Port();
        job.cookie = simtest::LogIn(device.Port());
        job.hostAddress = "127.0.0.1";
        job.year = 2024, job.month = 2, job.day = 29, job.hour = 23, job.minute = 59;
        job.second = 58, job.slot = 2, job.channelIndex = 4, job.sizeMB = 1;
        job.file = folder / "CH05_0001.dvr";
    }
    // The first `size` bytes of the recording the job asks for (of `size` bytes when that is
    // more, as with bytes beyond Size).
    std::string Expected(uint64_t size) const {
        const uint64_t total = std::max<uint64_t>(size, uint64_t(job.sizeMB) * 1024 * 1024);
        return BackupRecordingBytes(job.channelIndex, {2024, 2, 29, 23, 59, 58}, total)
            .substr(0, size);
    }
    // The recording bytes in the first `replyBytes` bytes of the reply (2048-byte frames).
    static uint64_t DataIn(uint64_t replyBytes) {
        const uint64_t rest = replyBytes % (8 + 2048);
        return replyBytes / (8 + 2048) * 2048 + (rest > 8 ? rest - 8 : 0);
    }
    int Run() {
        listener.leftSending = false;
        return RunNetworkBackup(job, {}, listener);
    }
    int BackupRequests() {
        int n = 0;
        for (const auto& request : device.Server().Log()) n += request.path == "/NetworkBk.cgi";
        return n;
    }
    uint64_t FileSize() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(job.file, error);
        return error ? 0 : size;
    }

    ormidon::sim::SimulatedRecorder device;
    TempFolder folder;
    NetworkBackupJob job;
    RecordingListener listener;
};

TEST_F(NetworkBackupDownloadTest, TheFileIsTheRecordersBytesUnderItsName) {
    device.Backup().SetScript({.otherFrame = true});
    EXPECT_EQ(Run(), kBackupFinished);
    EXPECT_EQ(ormidon::test::ReadFile(job.file), Expected(1024 * 1024));
    // The recording is a whole record file of the requested channel and time.
    const RecordFileCheck check = ValidateRecordFile(job.file);
    EXPECT_TRUE(check.valid) << check.error;
    EXPECT_EQ(
        check.frames.size(),
        BackupRecording(job.channelIndex, {2024, 2, 29, 23, 59, 58}, 1024 * 1024).FrameCount());
    EXPECT_EQ(check.frames.at(0).channel, 5);
    EXPECT_EQ(check.creationTime.hour, 23);
    EXPECT_EQ(listener.percents.back(), 100u);
    EXPECT_EQ(listener.statuses.back(), kBackupFinished);
    EXPECT_EQ(listener.commands.front(), 1u);
    EXPECT_EQ(listener.commands.back(), 4u);
}

TEST_F(NetworkBackupDownloadTest, AHeadAndOneBytePerWriteGiveTheSameFile) {
    job.sizeMB = 0;
    device.Backup().SetScript({.httpStatus = 200, .byteByByte = true, .extraBytes = 5000});
    EXPECT_EQ(Run(), kBackupFinished);
    EXPECT_EQ(ormidon::test::ReadFile(job.file), Expected(5000));
}

TEST_F(NetworkBackupDownloadTest, EveryOtherEndKeepsExactlyTheBytesReceived) {
    // Left sending: the device did not end its side, so it should be told to stop.
    struct Case {
        const char* name;
        NetworkBackupScript script;
        int sizeMB;
        int status;
        uint64_t kept;
        bool leftSending;
    };
    const std::vector<Case> cases = {
        {"end frame first", {}, 0, kBackupNoData, 0, false},
        {"refused", {.refuse = true}, 1, kBackupRefused, 0, false},
        {"head 404", {.httpStatus = 404}, 1, kBackupRequestFailed, 0, false},
        {"cut mid-way", {.cutAfter = 100'000}, 1, kBackupReceiveFailed, DataIn(100'000), false},
        {"garbage length", {.firstLength = 0x7FFFFFFF}, 1, kBackupReceiveFailed, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(job.file);
        device.Backup().SetScript(c.script);
        job.sizeMB = c.sizeMB;
        EXPECT_EQ(Run(), c.status);
        ASSERT_TRUE(std::filesystem::exists(job.file));
        EXPECT_EQ(ormidon::test::ReadFile(job.file), Expected(c.kept));
        EXPECT_EQ(listener.commands.back(), 4u);
        EXPECT_EQ(listener.leftSending, c.leftSending);
    }
}

TEST_F(NetworkBackupDownloadTest, CancelAndATenSecondStallKeepTheBytesReceived) {
    // Time runs on the test clock: the stall's 10 s pass when the test says so.
    ormidon::TestClock clock;
    ormidon::ScopedClockOverride useClock(clock);
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "stalled");
        std::filesystem::remove(job.file);
        device.Backup().SetScript({.cutAfter = 50'000, .stall = true});
        std::stop_source stop;
        std::atomic<int> status{-1};
        listener.leftSending = false;
        std::thread worker([&] { status = RunNetworkBackup(job, stop.get_token(), listener); });
        // Everything the device sent is in the file before the download is ended.
        EXPECT_TRUE(ormidon::test::WaitUntil([&] { return FileSize() == DataIn(50'000); }));
        if (cancel) {
            stop.request_stop();
        } else {
            // Steps of 10 s, each once a wait runs, until the read gave up.
            EXPECT_TRUE(ormidon::test::AdvanceUntil(
                clock, [&] { return status.load() >= 0; }, 10'000, 100'000, 1));
        }
        worker.join();
        EXPECT_EQ(status, cancel ? kBackupCancelled : kBackupReceiveFailed);
        EXPECT_EQ(ormidon::test::ReadFile(job.file), Expected(DataIn(50'000)));
        // Neither a cancel nor a silent device ended the device's side.
        EXPECT_TRUE(listener.leftSending);
    }
}

TEST_F(NetworkBackupDownloadTest, WhatCameWithAStopIsWrittenWhileThePlayerHoldsTheFile) {
    // The player keeps the file locked until the operator cancels: the bytes that wait for
    // the lock still go to the file.
    std::stop_source stop;
    listener.lockFile = [&](const std::stop_token&) {
        stop.request_stop();
        return false;
    };
    EXPECT_EQ(RunNetworkBackup(job, stop.get_token(), listener), kBackupCancelled);
    const std::string kept = ormidon::test::ReadFile(job.file);
    EXPECT_GT(kept.size(), 0u);
    EXPECT_EQ(kept, Expected(kept.size()));
    EXPECT_TRUE(listener.leftSending);
    EXPECT_EQ(listener.commands.back(), 4u);
}

TEST_F(NetworkBackupDownloadTest, ANameInUseIsRefusedAndNeverReplaced) {
    EXPECT_FALSE(BackupNameTaken(job.file));
    ormidon::test::WriteFile(folder / "taken.dvr", "keep");
    EXPECT_TRUE(BackupNameTaken(folder / "taken.dvr"));
    std::filesystem::create_symlink(folder / "nowhere", folder / "link.dvr");
    EXPECT_TRUE(BackupNameTaken(folder / "link.dvr"));
    // A file that appears under the name before the download makes it is kept, and the
    // device is not asked for a backup whose file cannot be made; nor is it for a folder
    // that went away.
    ormidon::test::WriteFile(job.file, "someone else's");
    EXPECT_EQ(Run(), kBackupFileFailed);
    EXPECT_EQ(ormidon::test::ReadFile(job.file), "someone else's");
    job.file = folder / "gone" / "CH05_0001.dvr";
    EXPECT_EQ(Run(), kBackupFileFailed);
    EXPECT_EQ(BackupRequests(), 0);
    EXPECT_FALSE(listener.leftSending);
}

TEST_F(NetworkBackupDownloadTest, ANoDeviceIsAFailedRequest) {
    device.Stop();
    EXPECT_EQ(Run(), kBackupRequestFailed);
    EXPECT_FALSE(std::filesystem::exists(job.file));  // nothing to keep before the request
}

}  // namespace
