#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "FrameBytes.h"
#include "net/LiveStreamFetch.h"
#include "net/LiveStreamReader.h"
#include "net/RTPH_Struct.h"

namespace {

using namespace frame_bytes;

constexpr std::size_t kSlotSize = 102400;

struct Frame {
    Bytes jpeg;
    uint8_t channel = 0;
    bool operator==(const Frame&) const = default;
};

// Feeds a stream to a reader in the pieces `split` cuts it into, with a slot always ready,
// and collects the frames it gives.
struct StreamRun {
    std::vector<Frame> frames;
    bool failed = false;
    LiveStreamCounters counters;
};

StreamRun ReadStream(const Bytes& stream, const std::vector<std::size_t>& pieces,
                     bool versionLayout, FrameHeaderListener* listener = nullptr) {
    RTPH_Struct header;
    header.fNewHeader = versionLayout ? 1 : 0;
    header.SetListener(listener);
    LiveStreamReader reader(
        [&header](std::span<const uint8_t> b, uint32_t& length, FrameInfo_Struct& info) {
            return header.Parse(b, length, info);
        },
        versionLayout ? EmptyHeaderRule::NextHeader : EmptyHeaderRule::JpegStart);
    std::vector<uint8_t> slot(kSlotSize);
    FrameInfo_Struct info;
    reader.SetSlot(slot, &info);
    StreamRun run;
    std::size_t at = 0;
    std::size_t piece = 0;
    while (at < stream.size() && !run.failed) {
        const std::size_t size = std::min(pieces[piece++ % pieces.size()], stream.size() - at);
        std::span<const uint8_t> chunk(stream.data() + at, size);
        at += size;
        while (!chunk.empty()) {
            const LiveStreamStep step = reader.Feed(chunk);
            chunk = chunk.subspan(step.consumed);
            if (step.event == LiveStreamEvent::FrameReady) {
                run.frames.push_back(
                    {Bytes(slot.begin(), slot.begin() + info.dwPayloadLength), info.byLiveChannel});
                reader.SetSlot(slot, &info);
            } else if (step.event == LiveStreamEvent::Failed) {
                run.failed = true;
                break;
            } else {
                EXPECT_EQ(step.event, LiveStreamEvent::NeedMore);
                EXPECT_TRUE(chunk.empty());
                if (!chunk.empty()) break;
            }
        }
    }
    run.counters = reader.Counters();
    return run;
}

// The segmentations every stream is read with: whole, header and picture apart (the
// header sizes used below are 8 and 46 bytes), one byte at a time, and an odd size.
std::vector<std::vector<std::size_t>> Segmentations(std::size_t headerSize, std::size_t frame) {
    return {{1u << 30}, {headerSize, frame - headerSize}, {1}, {7}, {1400}};
}

Bytes VersionFrame(const Bytes& jpeg, uint8_t channel) {
    return Join({Version1Header(static_cast<uint16_t>(jpeg.size()), 1, channel), jpeg});
}

TEST(LiveStreamReader, SameFramesWhateverTheSegmentation) {
    const Bytes a = FakeJpeg(3000, 1);
    const Bytes b = FakeJpeg(700, 2);
    const Bytes c = FakeJpeg(4, 3);
    const Bytes stream = Join({VersionFrame(a, 1), VersionFrame(b, 2), VersionFrame(c, 3)});
    const std::vector<Frame> expected = {{a, 1}, {b, 2}, {c, 3}};
    for (const auto& pieces : Segmentations(8, 3008)) {
        const StreamRun run = ReadStream(stream, pieces, true);
        EXPECT_FALSE(run.failed);
        EXPECT_EQ(run.frames, expected) << "piece " << pieces[0];
        EXPECT_EQ(run.counters.resynchronised, 0u);
    }
}

TEST(LiveStreamReader, MixedFaultsReadTheSameUnderRandomSegmentation) {
    Bytes badVersion;
    Put16(badVersion, 9);
    Bytes jfif = FakeJpeg(400, 7);
    jfif[3] = 0xE0;
    Bytes garbage(97, 0x22);
    garbage.push_back(0xFF);
    garbage.push_back(0xD9);
    Bytes stream;
    for (int round = 0; round < 20; ++round) {
        const Bytes jpeg = FakeJpeg(100 + round * 37, static_cast<uint8_t>(round));
        stream = Join({stream, VersionFrame(jpeg, static_cast<uint8_t>(round % 16)),
                       round % 3 == 0 ? Join({badVersion, garbage}) : Bytes{},
                       round % 4 == 1 ? VersionFrame(jfif, 0) : Bytes{},
                       round % 5 == 2 ? Join({Version1Header(100), garbage}) : Bytes{},
                       round % 2 == 0 ? Version1Header(0) : Bytes{}});
    }
    const StreamRun whole = ReadStream(stream, {1u << 30}, true);
    EXPECT_EQ(whole.frames.size(), 20u);
    std::mt19937 random(6);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<std::size_t> pieces(64);
        for (std::size_t& piece : pieces) piece = 1 + random() % (trial % 2 == 0 ? 16 : 1500);
        const StreamRun run = ReadStream(stream, pieces, true);
        EXPECT_EQ(run.frames, whole.frames) << "trial " << trial;
        EXPECT_EQ(run.counters.resynchronised, whole.counters.resynchronised);
        EXPECT_EQ(run.counters.droppedFrames, whole.counters.droppedFrames);
        EXPECT_EQ(run.counters.headerOnly, whole.counters.headerOnly);
    }
}

TEST(LiveStreamReader, HttpReplyIsReadBeforeTheFramesAndMustSucceed) {
    const Bytes jpeg = FakeJpeg(500, 4);
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: x\r\n\r\n";
    const Bytes okStream = Join({Bytes(ok.begin(), ok.end()), FlagHeader(500), jpeg});
    for (const auto& pieces : Segmentations(ok.size(), ok.size() + 8)) {
        const StreamRun run = ReadStream(okStream, pieces, false);
        EXPECT_FALSE(run.failed);
        EXPECT_EQ(run.frames, (std::vector<Frame>{{jpeg, 0}}));
    }
    for (const std::string reply :
         {"HTTP/1.1 404 Not Found\r\n\r\n", "HTTP/1.0 302 Moved\n\n", "HTTP/1.1 20\r\n\r\n"}) {
        const StreamRun run = ReadStream(
            Join({Bytes(reply.begin(), reply.end()), FlagHeader(500), jpeg}), {1}, false);
        EXPECT_TRUE(run.failed) << reply;
        EXPECT_TRUE(run.frames.empty());
    }
    // Bytes that only start like "HTTP/" are the first header.
    Bytes lookalike;
    Put32(lookalike, 0x54540001);  // "\x01\x00TT": payload length bit and ignored bits
    Put32(lookalike, 500);
    const StreamRun run = ReadStream(Join({lookalike, jpeg}), {1}, false);
    EXPECT_EQ(run.frames.size(), 1u);
}

TEST(LiveStreamReader, FaultsAreDroppedOrResynchronised) {
    const Bytes good = FakeJpeg(900, 5);
    const Bytes next = FakeJpeg(600, 6);
    Bytes garbage(300, 0x11);
    garbage.push_back(0xFF);
    garbage.push_back(0xD9);  // resynchronisation ends here
    Bytes jfif = FakeJpeg(400, 7);
    jfif[3] = 0xE0;  // FF D8 FF E0: dropped without resynchronising

    struct Case {
        const char* name;
        Bytes stream;
        std::vector<Frame> frames;
        uint32_t resynchronised;
        uint32_t dropped;
    };
    Bytes badVersion;
    Put16(badVersion, 7);
    const Case cases[] = {
        {"garbage after a header",
         Join({Version1Header(300), garbage, VersionFrame(next, 1)}),
         {{next, 1}},
         1,
         0},
        {"unknown version word",
         Join({badVersion, garbage, VersionFrame(next, 1)}),
         {{next, 1}},
         1,
         0},
        {"not FF D8 FF DB",
         Join({VersionFrame(jfif, 0), VersionFrame(next, 1)}),
         {{next, 1}},
         0,
         1},
        {"header without payload",
         Join({Version1Header(0), VersionFrame(good, 2)}),
         {{good, 2}},
         0,
         0},
    };
    for (const Case& c : cases) {
        for (const auto& pieces : Segmentations(8, 200)) {
            const StreamRun run = ReadStream(c.stream, pieces, true);
            EXPECT_FALSE(run.failed) << c.name;
            EXPECT_EQ(run.frames, c.frames) << c.name << " piece " << pieces[0];
            EXPECT_EQ(run.counters.resynchronised, c.resynchronised) << c.name;
            EXPECT_EQ(run.counters.droppedFrames, c.dropped) << c.name;
        }
    }
}

// Counts what headers set off, with every reaction enabled.
struct CountingListener : FrameHeaderListener {
    int calls = 0;
    FrameHeaderConditions Conditions() override {
        FrameHeaderConditions c;
        c.alarmTriggerRecord = 1;
        c.p62KFamily = true;
        c.t18DFamily = true;
        return c;
    }
    ormidon::LocalTime FrameTime() override { return {}; }
    void SetFrameTime(const ormidon::LocalTime&) override { ++calls; }
    void RedrawDateTime() override { ++calls; }
    void SwitchChannel(uint8_t) override { ++calls; }
    void SetRetrState(uint8_t) override { ++calls; }
    void ShowNetworkBackup() override { ++calls; }
    void PostSensorStatus(uint8_t) override { ++calls; }
    void PostAlarmSound(bool) override { ++calls; }
    void StartAlarmRecord() override { ++calls; }
    void StopAlarmRecord() override { ++calls; }
};

// Every split of `stream` into two pieces, and the whole.
std::vector<std::vector<std::size_t>> TwoPieceSplits(std::size_t size) {
    std::vector<std::vector<std::size_t>> splits = {{size}};
    for (std::size_t at = 1; at < size; ++at) splits.push_back({at, size - at});
    return splits;
}

TEST(LiveStreamReader, FlagLayoutBytesAfterAnEmptyHeaderMustStartAJpeg) {
    // In this layout any four bytes pass for a header: "00 05 00 00" would announce a motion
    // word and a network backup. After an empty header they are garbage, not a header.
    Bytes garbage = {0x00, 0x05, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x03, 0x00, 0x21};
    garbage.push_back(0xFF);
    garbage.push_back(0xD9);
    const Bytes next = FakeJpeg(40, 12);
    const Bytes lengthless = FakeJpeg(30, 13);
    struct Case {
        const char* name;
        Bytes stream;
        uint32_t resynchronised;
    };
    const Case cases[] = {
        {"garbage", Join({FlagHeader(0), garbage, FlagHeader(40), next}), 1},
        {"a JPEG without length", Join({FlagHeader(0), lengthless, FlagHeader(40), next}), 0},
    };
    for (const Case& c : cases) {
        for (const auto& pieces : TwoPieceSplits(c.stream.size())) {
            CountingListener listener;
            const StreamRun run = ReadStream(c.stream, pieces, false, &listener);
            EXPECT_EQ(run.frames, (std::vector<Frame>{{next, 0}})) << c.name << " " << pieces[0];
            EXPECT_EQ(run.counters.resynchronised, c.resynchronised) << c.name << " " << pieces[0];
            EXPECT_EQ(listener.calls, 0) << c.name << " " << pieces[0];
        }
    }
}

TEST(LiveStreamReader, ReceiveFailureTraceSaysWhereTheStreamBroke) {
    RTPH_Struct header;
    const Bytes stream = Join({FlagHeader(64), FakeJpeg(64, 14)});
    struct Case {
        std::size_t fed;  // bytes of `stream` read before the receive failed
        int count;
        const char* trace;
    };
    const Case cases[] = {
        {0, -1, "if (RtpRecvLength == SOCKET_ERROR)"},
        {72, -1, "if (RtpRecvLength == SOCKET_ERROR)"},  // right after a whole frame
        {5, -1, "iReceiveLength <= 0"},
        {20, -1, "RtpRecvLength == SOCKET_ERROR"},
        {20, 0, "RtpRecvLength <= 0 2"},
    };
    for (const Case& c : cases) {
        LiveStreamReader reader(
            [&header](std::span<const uint8_t> b, uint32_t& length, FrameInfo_Struct& info) {
                return header.Parse(b, length, info);
            },
            EmptyHeaderRule::JpegStart);
        std::vector<uint8_t> slot(kSlotSize);
        FrameInfo_Struct info;
        reader.SetSlot(slot, &info);
        reader.Feed(std::span<const uint8_t>(stream).first(c.fed));
        EXPECT_STREQ(ReceiveFailureTrace(reader, c.count), c.trace) << c.fed;
    }
}

TEST(LiveStreamReader, PayloadLongerThanTheSlotIsSkippedToTheNextEndMarker) {
    // Version 2 carries 32-bit lengths: this one claims more than a slot holds.
    Bytes big;
    Put16(big, 2);
    Put16(big, 0);
    Put32(big, kSlotSize + 1);
    Put8(big, 0);
    Put8(big, 0);
    Put16(big, 0);
    const Bytes next = FakeJpeg(600, 8);
    const Bytes stream = Join({big, FakeJpeg(5000, 9), VersionFrame(next, 2)});
    for (const auto& pieces : Segmentations(12, 5012)) {
        const StreamRun run = ReadStream(stream, pieces, true);
        EXPECT_EQ(run.frames, (std::vector<Frame>{{next, 2}})) << pieces[0];
        EXPECT_EQ(run.counters.resynchronised, 1u);
    }
}

TEST(LiveStreamReader, EndMarkerInsideARefusedHeaderStartsTheNextHeader) {
    // Stray bytes "07 00 FF D9" then a frame: the refused header holds the end marker, and
    // the frame's header begins within the bytes already gathered.
    const Bytes next = FakeJpeg(50, 10);
    const Bytes stream = Join({{0x07, 0x00, 0xFF, 0xD9}, VersionFrame(next, 4)});
    for (const auto& pieces : Segmentations(4, 12)) {
        const StreamRun run = ReadStream(stream, pieces, true);
        EXPECT_EQ(run.frames, (std::vector<Frame>{{next, 4}})) << pieces[0];
    }
}

TEST(LiveStreamReader, WaitsForASlotBeforeAnyPayloadByte) {
    RTPH_Struct header;
    LiveStreamReader reader(
        [&header](std::span<const uint8_t> b, uint32_t& length, FrameInfo_Struct& info) {
            return header.Parse(b, length, info);
        });
    const Bytes jpeg = FakeJpeg(64, 11);
    const Bytes stream = Join({FlagHeader(64), jpeg});
    LiveStreamStep step = reader.Feed(stream);
    EXPECT_EQ(step.event, LiveStreamEvent::NeedSlot);
    EXPECT_EQ(step.consumed, 8u);
    std::vector<uint8_t> slot(kSlotSize);
    FrameInfo_Struct info;
    reader.SetSlot(slot, &info);
    step = reader.Feed(std::span<const uint8_t>(stream).subspan(8));
    EXPECT_EQ(step.event, LiveStreamEvent::FrameReady);
    EXPECT_EQ(info.dwPayloadLength, 64u);
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), slot.begin()));
}

}  // namespace
