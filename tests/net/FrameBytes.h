#pragma once
// Byte fixtures for live frame headers and frames, written field by field in wire order.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace frame_bytes {

using Bytes = std::vector<uint8_t>;

inline void Put8(Bytes& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
inline void Put16(Bytes& b, uint32_t v) {
    Put8(b, v);
    Put8(b, v >> 8);
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v);
    Put16(b, v >> 16);
}
inline void PutText16(Bytes& b, std::string_view text) {
    for (std::size_t i = 0; i < 16; ++i) Put8(b, i < text.size() ? text[i] : 0);
}
inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A minimal version-1 header: no optional fields.
inline Bytes Version1Header(uint16_t payload, uint8_t users = 0, uint8_t channel = 0) {
    Bytes b;
    Put16(b, 1);
    Put16(b, payload);
    Put8(b, users);
    Put8(b, channel << 4);
    Put16(b, 0);
    return b;
}

// A minimal flag-word header carrying only the payload length.
inline Bytes FlagHeader(uint32_t payload) {
    Bytes b;
    Put32(b, 0x0001);
    Put32(b, payload);
    return b;
}

// Something that passes for a JPEG on the stream: FF D8 FF DB, filler, FF D9. The filler
// never holds FF, so the only end marker is the last one.
inline Bytes FakeJpeg(std::size_t size, uint8_t seed) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xDB};
    while (b.size() + 2 < size) b.push_back(static_cast<uint8_t>((seed + b.size()) % 200));
    b.push_back(0xFF);
    b.push_back(0xD9);
    return b;
}

}  // namespace frame_bytes
