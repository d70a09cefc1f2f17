#include "sim/StreamJpeg.h"

#include <turbojpeg.h>

namespace ormidon::sim {

StreamJpegEncoder::StreamJpegEncoder() : m_handle(tjInitCompress()) {}

StreamJpegEncoder::~StreamJpegEncoder() {
    if (m_handle != nullptr) tjDestroy(m_handle);
}

std::string StreamJpegEncoder::Encode(const std::vector<uint8_t>& rgb, int width, int height,
                                      int quality) {
    if (m_handle == nullptr || width <= 0 || height <= 0 ||
        rgb.size() < static_cast<std::size_t>(width) * height * 3) {
        return {};
    }
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(m_handle, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size,
                    TJSAMP_420, quality, 0) != 0) {
        tjFree(out);
        return {};
    }
    std::string jpeg(reinterpret_cast<const char*>(out), size);
    tjFree(out);
    // Drop the APP0 segment that follows the start marker: FF E0, a 16-bit big-endian length
    // that counts itself, then its data.
    if (jpeg.size() > 6 && static_cast<uint8_t>(jpeg[2]) == 0xFF &&
        static_cast<uint8_t>(jpeg[3]) == 0xE0) {
        const std::size_t length =
            static_cast<uint8_t>(jpeg[4]) << 8 | static_cast<uint8_t>(jpeg[5]);
        if (4 + length <= jpeg.size()) jpeg.erase(2, 2 + length);
    }
    return jpeg;
}

}  // namespace ormidon::sim
