#pragma once
// JPEG decoding and encoding in the picture layout the live pipeline uses: 3 bytes a pixel in
// blue, green, red order, rows bottom-up (the picture's last row first), each row width x 3
// bytes, rows packed without gaps.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ormidon {

enum class JpegDecodeStatus {
    Decoded,     // the picture is in the caller's buffer
    Unreadable,  // not a JPEG the library can read; nothing written
    TooLarge,    // width x height x 3 does not fit the caller's buffer; nothing written
};

// One codec per thread: the library handles inside are not shared between threads. The
// handles are made on first use and kept, so decoding a frame allocates nothing.
class JpegCodec {
  public:
    JpegCodec() = default;
    ~JpegCodec();
    JpegCodec(const JpegCodec&) = delete;
    JpegCodec& operator=(const JpegCodec&) = delete;

    // Reads the picture size from the JPEG's frame header. False when there is none.
    bool ReadSize(std::span<const uint8_t> jpeg, int& width, int& height);

    // Decodes `jpeg` straight into `picture` (bottom-up BGR rows). The size is checked against
    // `picture` before anything is written. Grayscale JPEGs come out as BGR with equal channels.
    // A JPEG cut short or slightly corrupt that the library still decodes (it only warns)
    // counts as decoded, as the library reports it. `width` and `height` receive the size
    // whenever the header could be read.
    JpegDecodeStatus Decode(std::span<const uint8_t> jpeg, std::span<uint8_t> picture, int& width,
                            int& height);

    // Decodes `jpeg` upright into 32-bit pixels (blue, green, red, unused byte in memory order,
    // as a little-endian 0xffRRGGBB word), rows `bytesPerLine` apart in `rows`, for a screen
    // image that is drawn without converting. Checked like Decode: a picture that does not fit
    // `rows` is refused before anything is written.
    JpegDecodeStatus DecodeUpright32(std::span<const uint8_t> jpeg, std::span<uint8_t> rows,
                                     int bytesPerLine, int& width, int& height);

    // Encodes a bottom-up BGR picture of `width` x `height` (rows of width x 3 bytes) as a
    // baseline JPEG that shows the picture upright. `quality` 1-100. Replaces `jpeg`.
    bool Encode(std::span<const uint8_t> picture, int width, int height, int quality,
                std::vector<uint8_t>& jpeg);

    // The quality the encoder uses when the caller has no preference.
    static constexpr int kDefaultQuality = 75;

  private:
    // A failed read leaves the library's handle half-way through the JPEG it refused, and
    // the next JPEG would fail on it too: the handle is made anew instead.
    void ResetDecompressor();

    void* decompressor_ = nullptr;
    void* compressor_ = nullptr;
};

// Bytes of a picture of this size in the pipeline layout; 0 for a non-positive size.
std::size_t BgrPictureBytes(int width, int height);

}  // namespace ormidon
