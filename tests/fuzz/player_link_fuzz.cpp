// Frames from the playback program, fed once whole and once in arbitrary pieces: both give
// the same frames, each whole (its data exactly as long as its header said, never over the
// bound) and in the order of a plain reference reading; a length over the bound breaks the
// stream and nothing after it is read. Texts read from padded fields stay within their bound.
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "platform/PlayerLinkFrame.h"

namespace {

struct Read {
    std::vector<ormidon::LinkFrame> frames;
    bool broken = false;
};

Read ReadFrames(std::string_view bytes, fuzz::Splitter splitter) {
    Read read;
    ormidon::LinkFrameReader reader;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t piece = splitter.Next(bytes.size() - at);
        const bool ok = reader.Feed(bytes.data() + at, piece, [&](const ormidon::LinkFrame& f) {
            FUZZ_CHECK(f.data.size() <= ormidon::kLinkMaxData);
            read.frames.push_back(f);
        });
        at += piece;
        if (!ok) break;
    }
    read.broken = reader.Broken();
    return read;
}

uint64_t LE(std::string_view s, std::size_t at, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
    return v;
}

std::vector<ormidon::LinkFrame> Reference(std::string_view s, bool& broken) {
    std::vector<ormidon::LinkFrame> frames;
    broken = false;
    std::size_t at = 0;
    while (at + ormidon::kLinkHeaderBytes <= s.size()) {
        const uint64_t length = LE(s, at + 16, 4);
        if (length > ormidon::kLinkMaxData) {
            broken = true;
            break;
        }
        if (at + ormidon::kLinkHeaderBytes + length > s.size()) break;
        frames.push_back({static_cast<uint32_t>(LE(s, at, 4)),
                          static_cast<uint32_t>(LE(s, at + 4, 4)), LE(s, at + 8, 8),
                          std::string(s.substr(at + ormidon::kLinkHeaderBytes, length))});
        at += ormidon::kLinkHeaderBytes + length;
    }
    return frames;
}

bool Same(const ormidon::LinkFrame& a, const ormidon::LinkFrame& b) {
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
           a.data == b.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint32_t splitSeed = input.U32();
    const std::size_t largest = input.U8();
    const std::string_view bytes = input.RestText();

    const Read whole = ReadFrames(bytes, fuzz::Splitter(0, 1));
    const Read pieces = ReadFrames(bytes, fuzz::Splitter(splitSeed, largest));
    bool broken = false;
    const std::vector<ormidon::LinkFrame> reference = Reference(bytes, broken);
    FUZZ_CHECK(whole.broken == broken && pieces.broken == broken);
    FUZZ_CHECK(whole.frames.size() == reference.size());
    FUZZ_CHECK(pieces.frames.size() == reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) {
        FUZZ_CHECK(Same(whole.frames[i], reference[i]));
        FUZZ_CHECK(Same(pieces.frames[i], reference[i]));
        // Texts the player hands over come out bounded and without their padding.
        const std::string path = ormidon::TextOfPadded(reference[i].data);
        FUZZ_CHECK(path.size() <= ormidon::kBackupPathBytes);
        FUZZ_CHECK(path.find('\0') == std::string::npos);
        const std::string name =
            ormidon::TextOfPadded(reference[i].data, ormidon::kBackupMutexBytes);
        FUZZ_CHECK(name.size() <= ormidon::kBackupMutexBytes);
    }
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    auto frame = [](uint32_t message, uint32_t wParam, uint64_t lParam, std::string data) {
        const std::string bytes = ormidon::EncodeLinkFrame({message, wParam, lParam, data});
        return FuzzBytes(bytes.begin(), bytes.end());
    };
    auto join = [](std::initializer_list<FuzzBytes> parts) {
        FuzzBytes out;
        for (const FuzzBytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    auto seed = [](uint32_t split, uint8_t largest, const FuzzBytes& stream) {
        fuzz::Seed s;
        s.U32(split).U8(largest).Append(std::span<const uint8_t>(stream));
        return FuzzBytes(s);
    };
    const FuzzBytes player =
        join({frame(ormidon::kLinkHello, 4242, 77, ""), frame(ormidon::WM_PLAYERACK, 64, 77, ""),
              frame(ormidon::WM_DOWNLOADSTOP, 0, 0, ""),
              frame(ormidon::kLinkCopyData, 1, ormidon::COPYDATA_BACKUP_PATH,
                    ormidon::PaddedText("/tmp/CH01_0001.dvr.part", ormidon::kBackupPathBytes))});
    fuzz::Seed tooLong;
    tooLong.U32(ormidon::WM_PLAYERACK).U32(0).U32(0).U32(0).U32(ormidon::kLinkMaxData + 1);
    return {seed(0, 0, player), seed(4711, 7, player),
            seed(3, 2, join({player, FuzzBytes(tooLong)}))};
}
