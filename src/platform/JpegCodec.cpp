#include "platform/JpegCodec.h"

#include <turbojpeg.h>

namespace ormidon {

std::size_t BgrPictureBytes(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
}

JpegCodec::~JpegCodec() {
    if (decompressor_ != nullptr) tjDestroy(decompressor_);
    if (compressor_ != nullptr) tjDestroy(compressor_);
}

void JpegCodec::ResetDecompressor() {
    tjDestroy(decompressor_);
    decompressor_ = nullptr;
}

bool JpegCodec::ReadSize(std::span<const uint8_t> jpeg, int& width, int& height) {
    if (jpeg.empty()) return false;
    if (decompressor_ == nullptr) decompressor_ = tjInitDecompress();
    if (decompressor_ == nullptr) return false;
    int subsampling = 0;
    int colourspace = 0;
    int w = 0;
    int h = 0;
    if (tjDecompressHeader3(decompressor_, jpeg.data(), jpeg.size(), &w, &h, &subsampling,
                            &colourspace) != 0) {
        ResetDecompressor();
        return false;
    }
    if (w <= 0 || h <= 0) return false;
    width = w;
    height = h;
    return true;
}

JpegDecodeStatus JpegCodec::Decode(std::span<const uint8_t> jpeg, std::span<uint8_t> picture,
                                   int& width, int& height) {
    int w = 0;
    int h = 0;
    if (!ReadSize(jpeg, w, h)) return JpegDecodeStatus::Unreadable;
    width = w;
    height = h;
    if (BgrPictureBytes(w, h) > picture.size()) return JpegDecodeStatus::TooLarge;
    // The library writes the rows bottom-up itself, so the picture lands in its slot in one pass.
    if (tjDecompress2(decompressor_, jpeg.data(), jpeg.size(), picture.data(), w, w * 3, h,
                      TJPF_BGR, TJFLAG_BOTTOMUP) != 0 &&
        tjGetErrorCode(decompressor_) != TJERR_WARNING) {
        ResetDecompressor();
        return JpegDecodeStatus::Unreadable;
    }
    return JpegDecodeStatus::Decoded;
}

JpegDecodeStatus JpegCodec::DecodeUpright32(std::span<const uint8_t> jpeg, std::span<uint8_t> rows,
                                            int bytesPerLine, int& width, int& height) {
    int w = 0;
    int h = 0;
    if (!ReadSize(jpeg, w, h)) return JpegDecodeStatus::Unreadable;
    width = w;
    height = h;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    if (bytesPerLine < 0 || static_cast<std::size_t>(bytesPerLine) < rowBytes ||
        static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(h - 1) + rowBytes >
            rows.size()) {
        return JpegDecodeStatus::TooLarge;
    }
    if (tjDecompress2(decompressor_, jpeg.data(), jpeg.size(), rows.data(), w, bytesPerLine, h,
                      TJPF_BGRX, 0) != 0 &&
        tjGetErrorCode(decompressor_) != TJERR_WARNING) {
        ResetDecompressor();
        return JpegDecodeStatus::Unreadable;
    }
    return JpegDecodeStatus::Decoded;
}

bool JpegCodec::Encode(std::span<const uint8_t> picture, int width, int height, int quality,
                       std::vector<uint8_t>& jpeg) {
    if (BgrPictureBytes(width, height) == 0 || BgrPictureBytes(width, height) > picture.size()) {
        return false;
    }
    if (quality < 1 || quality > 100) return false;
    if (compressor_ == nullptr) compressor_ = tjInitCompress();
    if (compressor_ == nullptr) return false;
    // Encode into a buffer of the worst-case size, so the library never reallocates it.
    jpeg.resize(tjBufSize(width, height, TJSAMP_420));
    unsigned char* out = jpeg.data();
    unsigned long outSize = jpeg.size();
    if (tjCompress2(compressor_, picture.data(), width, width * 3, height, TJPF_BGR, &out, &outSize,
                    TJSAMP_420, quality, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0) {
        jpeg.clear();
        return false;
    }
    jpeg.resize(outSize);
    return true;
}

}  // namespace ormidon
