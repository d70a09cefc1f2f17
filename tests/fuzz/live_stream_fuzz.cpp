// The live stream reader with both header layouts and their reactions, fed arbitrary bytes
// once whole and once in arbitrary pieces: both give the same frames, counters, failure and
// reactions; every frame fits its exact-size slot and starts FF D8 FF DB; every byte given is
// used or handed back, and the reader never stalls.
#include <memory>
#include <vector>

#include "FrameChecks.h"
#include "FuzzTarget.h"
#include "net/FrameBytes.h"
#include "net/LiveStreamReader.h"
#include "platform/Clock.h"

namespace {

struct Frame {
    std::vector<uint8_t> jpeg;
    FrameInfo_Struct info;
};

struct Run {
    std::vector<Frame> frames;
    bool failed = false;
    LiveStreamCounters counters;
    std::vector<uint32_t> reactions;
    uint16_t alarmData = 0;
};

struct Setup {
    bool versionLayout;
    FrameHeaderConditions conditions;
    std::size_t slotSize;
};

Run ReadStream(const Setup& setup, std::span<const uint8_t> stream, fuzz::Splitter splitter) {
    RTPH_Struct header;
    header.fNewHeader = setup.versionLayout ? 1 : 0;
    fuzz::NotingHeaderListener listener(setup.conditions);
    header.SetListener(&listener);
    LiveStreamReader reader(
        [&header](std::span<const uint8_t> bytes, uint32_t& length, FrameInfo_Struct& info) {
            return header.Parse(bytes, length, info);
        },
        setup.versionLayout ? EmptyHeaderRule::NextHeader : EmptyHeaderRule::JpegStart);
    // A fresh slot of exactly its size for every frame.
    std::unique_ptr<uint8_t[]> slot;
    FrameInfo_Struct info;
    const auto newSlot = [&] {
        slot = std::make_unique<uint8_t[]>(setup.slotSize);
        reader.SetSlot(std::span<uint8_t>(slot.get(), setup.slotSize), &info);
    };
    newSlot();

    Run run;
    std::size_t steps = 0;
    std::size_t at = 0;
    while (at < stream.size() && !run.failed) {
        std::span<const uint8_t> piece = stream.subspan(at, splitter.Next(stream.size() - at));
        at += piece.size();
        // After a frame the reader is fed again even with nothing left, so bytes it holds
        // back are read in every run alike.
        for (;;) {
            FUZZ_CHECK(++steps <= 2 * stream.size() + 8);
            const LiveStreamStep step = reader.Feed(piece);
            FUZZ_CHECK(step.consumed <= piece.size());
            piece = piece.subspan(step.consumed);
            if (step.event == LiveStreamEvent::FrameReady) {
                FUZZ_CHECK(info.dwPayloadLength >= 4 && info.dwPayloadLength <= setup.slotSize);
                const uint8_t* jpeg = slot.get();
                FUZZ_CHECK(jpeg[0] == 0xFF && jpeg[1] == 0xD8 && jpeg[2] == 0xFF &&
                           jpeg[3] == 0xDB);
                run.frames.push_back({{jpeg, jpeg + info.dwPayloadLength}, info});
                newSlot();
                continue;
            }
            FUZZ_CHECK(step.event != LiveStreamEvent::NeedSlot);
            if (step.event == LiveStreamEvent::Failed) {
                FUZZ_CHECK(*reader.FailureReason() != '\0');
                run.failed = true;
                break;
            }
            FUZZ_CHECK(piece.empty());
            break;
        }
    }
    run.counters = reader.Counters();
    FUZZ_CHECK(run.counters.frames == run.frames.size());
    run.reactions = listener.Notes();
    run.alarmData = header.m_wAlarmData;
    return run;
}

void CheckSame(const Run& a, const Run& b) {
    FUZZ_CHECK(a.failed == b.failed);
    FUZZ_CHECK(a.frames.size() == b.frames.size());
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        FUZZ_CHECK(a.frames[i].jpeg == b.frames[i].jpeg);
        FUZZ_CHECK(fuzz::SameFrameInfo(a.frames[i].info, b.frames[i].info));
    }
    FUZZ_CHECK(a.counters.droppedFrames == b.counters.droppedFrames);
    FUZZ_CHECK(a.counters.headerOnly == b.counters.headerOnly);
    FUZZ_CHECK(a.counters.resynchronised == b.counters.resynchronised);
    FUZZ_CHECK(a.reactions == b.reactions);
    FUZZ_CHECK(a.alarmData == b.alarmData);
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    using namespace frame_bytes;
    const Bytes a = FakeJpeg(300, 1);
    const Bytes b = FakeJpeg(70, 2);
    Bytes jfif = FakeJpeg(40, 7);
    jfif[3] = 0xE0;
    Bytes garbage(30, 0x22);
    garbage.push_back(0xFF);
    garbage.push_back(0xD9);
    Bytes badVersion;
    Put16(badVersion, 9);
    Bytes alarm;  // version layout with motion and event words
    Put16(alarm, 1);
    Put16(alarm, static_cast<uint16_t>(b.size()));
    Put8(alarm, 1);
    Put8(alarm, 2 << 4);
    Put16(alarm, 0x0006);
    Put16(alarm, 0x0004);
    Put16(alarm, 0x0001);

    const Bytes version =
        Join({Version1Header(uint16_t(a.size()), 1, 1), a, badVersion, garbage,
              Version1Header(uint16_t(jfif.size())), jfif, Version1Header(0), alarm, b});
    const Bytes flag = Join({FlagHeader(uint32_t(a.size())), a, FlagHeader(5000), garbage,
                             FlagHeader(uint32_t(b.size())), b});
    const std::string http = "HTTP/1.1 200 OK\r\nContent-Type: x\r\n\r\n";
    const Bytes httpFlag = Join({Bytes(http.begin(), http.end()), flag});

    std::vector<FuzzBytes> seeds;
    for (uint32_t split : {0u, 1u, 12345u}) {
        seeds.push_back(fuzz::Seed().U8(1).U16(0x3FF).U16(1000).U32(split).U8(9).Append(version));
        seeds.push_back(fuzz::Seed().U8(0).U16(0x122).U16(400).U32(split).U8(40).Append(flag));
        seeds.push_back(fuzz::Seed().U8(0).U16(0).U16(400).U32(split).U8(3).Append(httpFlag));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // The version layout stamps a frame without time with the tick count: keep it still.
    static ormidon::TestClock clock(1000);
    static ormidon::ScopedClockOverride useClock(clock);

    fuzz::Input in(data, size);
    Setup setup;
    setup.versionLayout = in.U8() & 1;
    setup.conditions = fuzz::ConditionsFromBits(in.U16());
    setup.slotSize = in.U16();
    const uint32_t splitSeed = in.U32();
    const std::size_t largestPiece = in.U8();
    const std::span<const uint8_t> stream = in.Rest();

    const Run whole = ReadStream(setup, stream, fuzz::Splitter(0, 1));
    const Run pieces = ReadStream(setup, stream, fuzz::Splitter(splitSeed, largestPiece));
    CheckSame(whole, pieces);
    return 0;
}
