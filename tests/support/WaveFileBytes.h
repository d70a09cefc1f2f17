#pragma once
// Wave files put together byte by byte, for the alarm sound's loader: little-endian
// numbers, chunks with their pad byte, a PCM format chunk and the RIFF frame around them.
#include <cstdint>
#include <string>
#include <string_view>

namespace ormidon::test::wave {

inline std::string U16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v)) + U16(static_cast<uint16_t>(v >> 16));
}

// A chunk whose header states `statedSize`, which may differ from the body it carries.
inline std::string Chunk(std::string_view id, const std::string& body, uint32_t statedSize) {
    std::string chunk = std::string(id) + U32(statedSize) + body;
    if (statedSize & 1) chunk += '\0';  // pad byte
    return chunk;
}
inline std::string Chunk(std::string_view id, const std::string& body) {
    return Chunk(id, body, static_cast<uint32_t>(body.size()));
}

inline std::string FormatChunk(uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return Chunk("fmt ",
                 U16(1) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits));
}

inline std::string Wave(const std::string& chunks) {
    return "RIFF" + U32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

}  // namespace ormidon::test::wave
