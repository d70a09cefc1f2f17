#pragma once
// JPEG frames as the recorder sends them: baseline, without the JFIF application segment, so
// every frame starts FF D8 FF DB.
#include <cstdint>
#include <string>
#include <vector>

namespace ormidon::sim {

class StreamJpegEncoder {
  public:
    StreamJpegEncoder();
    ~StreamJpegEncoder();
    StreamJpegEncoder(const StreamJpegEncoder&) = delete;
    StreamJpegEncoder& operator=(const StreamJpegEncoder&) = delete;

    // Encodes a top-down RGB picture; empty on failure.
    std::string Encode(const std::vector<uint8_t>& rgb, int width, int height, int quality);

  private:
    void* m_handle;
};

}  // namespace ormidon::sim
