// The command sender's reply reading fed arbitrary bytes in arbitrary pieces: it never writes
// past the reply room, never asks for nothing, and a body it accepts is exactly the bytes
// behind the header's blank line.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "net/CommandReply.h"

namespace {

// A connection that hands out the stream in the pieces the splitter cuts, never more than
// asked for, and then reports the close.
class FakeConnection {
  public:
    FakeConnection(std::string_view stream, uint32_t splitSeed)
        : stream_(stream), splitter_(splitSeed, 97) {}

    int Receive(char* buffer, int size) {
        FUZZ_CHECK(size > 0);
        if (position_ == stream_.size()) return 0;
        std::size_t n = splitter_.Next(stream_.size() - position_);
        if (n > static_cast<std::size_t>(size)) n = static_cast<std::size_t>(size);
        std::memcpy(buffer, stream_.data() + position_, n);
        position_ += n;
        return static_cast<int>(n);
    }

  private:
    std::string_view stream_;
    fuzz::Splitter splitter_;
    std::size_t position_ = 0;
};

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string_view replies[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
        "HTTP/1.1 200 OK\r\ncontent-LENGTH:3\r\n\r\nabcdef",
        "HTTP/1.1 200 OK\r\nX-Content-Length: 9\r\nContent-Length:  2 \r\n\r\nxy",
        "HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\nabc",
        "HTTP/1.0 202\r\n\r\n",
        "HTTP/1.1 OK 200\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\nSession-ID=abc;Firmware-Version=1060;",
    };
    std::vector<FuzzBytes> seeds;
    for (std::string_view reply : replies) {
        seeds.push_back(fuzz::Seed().U16(256).U8(3).U32(0).Append(reply));
        seeds.push_back(fuzz::Seed().U16(4).U8(1).U32(7).Append(reply));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const uint32_t capacity = in.U16() % 8192;
    const uint8_t options = in.U8();
    const uint32_t splitSeed = in.U32();
    const std::string_view stream = in.RestText();

    // Exact-size room, so a write past it is caught.
    const bool wantBody = options & 1;
    const bool wantStatus = options & 2;
    auto reply = std::make_unique<uint8_t[]>(capacity);
    auto status = std::make_unique<int32_t[]>(2);
    status[0] = status[1] = -7;
    uint32_t length = 0xDEADBEEF;

    FakeConnection connection(stream, splitSeed);
    const int result = ReadCommandReply(
        [&connection](char* buffer, int n) { return connection.Receive(buffer, n); },
        wantStatus ? status.get() : nullptr, wantStatus ? 8 : 0, wantBody ? reply.get() : nullptr,
        capacity, &length);

    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK(status[0] == -7);
    if (result == 1) FUZZ_CHECK(status[1] == -7);
    if (result == 1 && wantBody && length != 0xDEADBEEF) {
        FUZZ_CHECK(length <= capacity);
        const std::size_t bodyStart = stream.find("\r\n\r\n") + 4;
        FUZZ_CHECK(bodyStart + length <= stream.size());
        FUZZ_CHECK(std::memcmp(reply.get(), stream.data() + bodyStart, length) == 0);
    } else {
        FUZZ_CHECK(length == 0xDEADBEEF);
    }
    return 0;
}
