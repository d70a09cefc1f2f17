// The ".vse" validator over arbitrary bytes: a file it passes has every frame block and every
// JPEG inside the file, in order, one index entry per frame, and the counts of header and
// trailer agree.
#include <string>

#include "FuzzTarget.h"
#include "platform/Clock.h"
#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/RecordFileValidator.h"
#include "record/RecordFormat.h"
#include "support/TempFolder.h"

namespace {

// Files of none, one and three frames, one of them a video-loss frame, by the record writer.
FuzzBytes WrittenFile(int frames) {
    ormidon::TestClock clock;
    clock.SetLocalTime({2008, 7, 17, 10, 30, 15, 250, 4});
    ormidon::ScopedClockOverride useClock(clock);
    ormidon::test::TempFolder folder;
    RecordHeader_Struct header;
    header.recordType = kAlarmRecording;
    header.userName = "admin";
    header.deviceAddress = RecordDeviceAddress("192.168.1.10");
    RecordFile file;
    if (!file.Create(RecordFolder(folder.path().string()), "ALARM", header)) return {};
    file.WriteHeader();
    for (int n = 0; n < frames; ++n) {
        PreRecordFrame_Struct frame;
        frame.length = static_cast<uint32_t>(7 + n);
        frame.channel = 1;
        frame.videoLoss = n == 1 ? 1 : 0;
        frame.timeStamp = 1000u + 40u * static_cast<uint32_t>(n);
        frame.width = 320;
        frame.height = 240;
        const std::vector<uint8_t> jpeg(frame.length, static_cast<uint8_t>(0x61 + n));
        file.WriteFrame(frame, jpeg);
    }
    file.Finish();
    const std::string bytes = ormidon::test::ReadFile(file.Path());
    return FuzzBytes(bytes.begin(), bytes.end());
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() { return {WrittenFile(0), WrittenFile(1), WrittenFile(3)}; }

// The player's reading: a sound file reads as the validator reads it; otherwise the frames
// are whole blocks one behind the other, every byte inside the file.
void CheckPlayback(const uint8_t* data, std::size_t size, const RecordFileCheck& validated) {
    const RecordFilePlayback playback = ReadRecordFileForPlayback(std::span<const uint8_t>(data, size));
    FUZZ_CHECK(playback.indexed == validated.valid);
    if (validated.valid) {
        FUZZ_CHECK(playback.check.frames.size() == validated.frames.size());
        return;
    }
    if (!playback.check.valid) {
        FUZZ_CHECK(playback.check.frames.empty());
        return;
    }
    uint64_t at = kRecordPreambleSize;
    for (const RecordFileFrame& frame : playback.check.frames) {
        FUZZ_CHECK(frame.blockOffset == at);
        FUZZ_CHECK(frame.jpegOffset > frame.blockOffset);
        at = uint64_t{frame.jpegOffset} + frame.length;
        FUZZ_CHECK(at <= size);
    }
    FUZZ_CHECK(playback.damage.empty() || playback.damageOffset == at);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const RecordFileCheck check = ValidateRecordFile(std::span<const uint8_t>(data, size));
    CheckPlayback(data, size, check);
    FUZZ_CHECK(check.valid == check.error.empty());
    if (!check.valid) return 0;
    FUZZ_CHECK(check.userName.size() <= kRecordUserNameSize);
    uint64_t at = kRecordPreambleSize;
    for (std::size_t k = 0; k < check.frames.size(); ++k) {
        const RecordFileFrame& frame = check.frames[k];
        FUZZ_CHECK(frame.blockOffset == at && frame.serial == k + 1);
        FUZZ_CHECK(frame.jpegOffset > frame.blockOffset);
        at = uint64_t{frame.jpegOffset} + frame.length;
    }
    FUZZ_CHECK(at + 8 * check.frames.size() + 4 == size);
    return 0;
}
