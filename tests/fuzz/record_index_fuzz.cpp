// The player's index of a record file read a piece at a time, over arbitrary bytes that
// arrive in steps (a growing download), with one read failing on the way: after every step
// it finds what ReadRecordFileForPlayback finds in the bytes so far, and it never reads
// past them.
//
// Input: a step count (u8, at most 8), the steps (u16 each), the read that fails (u8, 0 for
// none), then the file's bytes.
#include <string>

#include "FuzzTarget.h"
#include "platform/Clock.h"
#include "record/RecordFile.h"
#include "record/RecordFileIndex.h"
#include "record/RecordFileName.h"
#include "record/RecordFileValidator.h"
#include "support/TempFolder.h"

namespace {

// A file of `frames` frames, the second one video loss; finished or not.
std::string WrittenFile(int frames, bool finish) {
    ormidon::TestClock clock;
    clock.SetLocalTime({2008, 7, 17, 10, 30, 15, 250, 4});
    ormidon::ScopedClockOverride useClock(clock);
    ormidon::test::TempFolder folder;
    RecordFile file;
    if (!file.Create(RecordFolder(folder.path().string()), "USER", {})) return {};
    file.WriteHeader();
    for (int n = 0; n < frames; ++n) {
        PreRecordFrame_Struct frame;
        frame.length = static_cast<uint32_t>(5 + n);
        frame.channel = 2;
        frame.videoLoss = n == 1 ? 1 : 0;
        frame.timeStamp = 2000u + 40u * static_cast<uint32_t>(n);
        const std::vector<uint8_t> jpeg(frame.length, static_cast<uint8_t>(0x41 + n));
        file.WriteFrame(frame, jpeg);
    }
    const std::string path = file.Path();
    if (finish) file.Finish();
    return ormidon::test::ReadFile(path);
}

FuzzBytes Seed(const std::string& file, std::vector<uint16_t> steps, uint8_t failingRead) {
    FuzzBytes seed{static_cast<uint8_t>(steps.size())};
    for (uint16_t step : steps) {
        seed.push_back(static_cast<uint8_t>(step));
        seed.push_back(static_cast<uint8_t>(step >> 8));
    }
    seed.push_back(failingRead);
    seed.insert(seed.end(), file.begin(), file.end());
    return seed;
}

void CheckSame(const RecordFilePlayback& a, const RecordFilePlayback& b) {
    FUZZ_CHECK(a.check.valid == b.check.valid);
    FUZZ_CHECK(a.check.error == b.check.error);
    FUZZ_CHECK(a.indexed == b.indexed);
    FUZZ_CHECK(a.damage == b.damage);
    FUZZ_CHECK(a.damageOffset == b.damageOffset);
    if (!a.check.valid) return;
    FUZZ_CHECK(a.check.firstTimeStamp == b.check.firstTimeStamp);
    FUZZ_CHECK(a.check.lastTimeStamp == b.check.lastTimeStamp);
    FUZZ_CHECK(a.check.recordType == b.check.recordType);
    FUZZ_CHECK(a.check.userName == b.check.userName);
    FUZZ_CHECK(a.check.frames.size() == b.check.frames.size());
    for (std::size_t k = 0; k < a.check.frames.size(); ++k) {
        const RecordFileFrame& x = a.check.frames[k];
        const RecordFileFrame& y = b.check.frames[k];
        FUZZ_CHECK(x.blockOffset == y.blockOffset && x.jpegOffset == y.jpegOffset);
        FUZZ_CHECK(x.serial == y.serial && x.length == y.length && x.timeStamp == y.timeStamp);
        FUZZ_CHECK(x.width == y.width && x.height == y.height && x.channel == y.channel);
        FUZZ_CHECK(x.videoLoss == y.videoLoss);
    }
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    return {Seed(WrittenFile(0, true), {}, 0), Seed(WrittenFile(3, true), {100, 40, 3}, 0),
            Seed(WrittenFile(3, false), {95, 31, 1, 60}, 4),
            Seed(WrittenFile(4, true), {130, 200}, 7)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const int stepCount = input.U8() % 9;
    std::vector<uint16_t> steps;
    for (int i = 0; i < stepCount; ++i) steps.push_back(input.U16());
    const int failingRead = input.U8();
    const std::span<const uint8_t> file = input.Rest();

    RecordFileIndex index;
    int reads = 0;
    std::size_t available = 0;
    const RecordFileIndex::ReadAt read = [&](uint64_t offset, std::span<uint8_t> out) {
        FUZZ_CHECK(offset <= available && out.size() <= available - offset);
        if (++reads == failingRead) return false;
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    };
    // A failed read leaves what was found; the next call reads on from there.
    const auto advance = [&] {
        if (!index.Advance(available, read)) {
            FUZZ_CHECK(reads == failingRead);
            FUZZ_CHECK(index.Advance(available, read));
        }
        CheckSame(index.Playback(), ReadRecordFileForPlayback(file.first(available)));
    };
    steps.push_back(static_cast<uint16_t>(0xFFFF));
    for (uint16_t step : steps) {
        available = std::min<std::size_t>(available + step, file.size());
        advance();
    }
    // Read again from the start, all at once.
    index.Clear();
    available = file.size();
    advance();
    return 0;
}
