// The network backup's reply, fed once whole and once in arbitrary pieces: both hand on the
// same data and end in the same state; the data is exactly the type-3 payloads of a plain
// reference reading of the frames; nothing after an end or refusal frame is read.
#include <string>

#include "FuzzTarget.h"
#include "net/NetworkBackupStream.h"

namespace {

struct Read {
    std::string data;
    NetworkBackupStream::State state;
    std::size_t consumed = 0;
};

Read ReadStream(std::string_view bytes, fuzz::Splitter splitter) {
    Read read;
    NetworkBackupStream stream([&](std::string_view piece) {
        FUZZ_CHECK(!piece.empty());
        read.data += piece;
        return true;
    });
    std::size_t at = 0;
    while (at < bytes.size() && !stream.Finished()) {
        const std::size_t piece = splitter.Next(bytes.size() - at);
        const std::size_t used = stream.Feed(bytes.data() + at, piece);
        FUZZ_CHECK(used <= piece);
        FUZZ_CHECK(used == piece || stream.Finished());
        read.consumed += used;
        at += piece;
    }
    read.state = stream.GetState();
    FUZZ_CHECK(stream.DataBytes() == read.data.size());
    return read;
}

uint32_t U32At(std::string_view s, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
    return v;
}

// The frames read plainly, for a stream without an HTTP head.
std::string ReferenceData(std::string_view s) {
    std::string data;
    std::size_t at = 0;
    while (at + 8 <= s.size()) {
        const uint32_t length = U32At(s, at), type = U32At(s, at + 4);
        at += 8;
        if (type == 1 || type == 6) break;
        if (type != 3) continue;
        if (length > NetworkBackupStream::kMaxPayload) break;
        const std::size_t take = std::min<std::size_t>(length, s.size() - at);
        data.append(s.substr(at, take));
        at += take;
    }
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint32_t splitSeed = input.U32();
    const std::size_t largest = input.U8();
    const std::string_view bytes = input.RestText();

    const Read whole = ReadStream(bytes, fuzz::Splitter(0, 1));
    const Read pieces = ReadStream(bytes, fuzz::Splitter(splitSeed, largest));
    FUZZ_CHECK(whole.data == pieces.data);
    FUZZ_CHECK(whole.state == pieces.state);
    FUZZ_CHECK(whole.consumed == pieces.consumed);
    if (bytes.substr(0, 5) != std::string_view("HTTP/").substr(0, std::min<std::size_t>(5, bytes.size()))) {
        FUZZ_CHECK(whole.data == ReferenceData(bytes));
    }
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    auto frame = [](uint32_t type, std::string_view payload) {
        fuzz::Seed s;
        s.U32(static_cast<uint32_t>(payload.size())).U32(type).Append(payload);
        return FuzzBytes(s);
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
    const FuzzBytes ended = join({frame(3, std::string(300, 'd')), frame(2, ""), frame(3, "xy"),
                                  frame(1, "")});
    fuzz::Seed head;
    head.Append("HTTP/1.1 200 OK\r\n\r\n").Append(std::span<const uint8_t>(ended));
    return {seed(0, 0, ended), seed(12345, 5, ended), seed(7, 3, join({frame(6, ""), ended})),
            seed(99, 9, head)};
}
