// JPEG decoding into a picture slot of any size, from arbitrary and cut-short bytes, by the
// codec and by the frame pipeline's decode: nothing is written past the slot nor past the
// picture the header announces, and the status agrees with the announced size and the slot.
#include <algorithm>
#include <memory>
#include <vector>

#include "FuzzTarget.h"
#include "net/FrameCompose.h"
#include "platform/JpegCodec.h"

namespace {

using ormidon::BgrPictureBytes;
using ormidon::JpegCodec;
using ormidon::JpegDecodeStatus;

// A test picture with a gradient in each channel, bottom-up BGR.
std::vector<uint8_t> Picture(int width, int height) {
    std::vector<uint8_t> picture(BgrPictureBytes(width, height));
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<uint8_t>(i % 3 == 0 ? i / 3 : i % 3 == 1 ? i / 7 : 255 - i / 5);
    return picture;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    std::vector<FuzzBytes> seeds;
    JpegCodec codec;
    for (auto [width, height, quality] : {std::tuple{16, 8, 75}, {33, 17, 90}, {8, 64, 20}}) {
        std::vector<uint8_t> jpeg;
        if (!codec.Encode(Picture(width, height), width, height, quality, jpeg)) continue;
        const uint16_t rooms = static_cast<uint16_t>(BgrPictureBytes(width, height) / 16 + 1);
        seeds.push_back(fuzz::Seed().U16(rooms).Append(jpeg));
        // Cut short, and a slot one row too small.
        seeds.push_back(fuzz::Seed().U16(rooms).Append(std::span(jpeg).first(jpeg.size() / 2)));
        seeds.push_back(fuzz::Seed().U16(rooms - 1).Append(jpeg));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // One codec for every input, as the thread that decodes frames keeps its own.
    static JpegCodec codec;
    fuzz::Input in(data, size);
    const std::size_t room = static_cast<std::size_t>(in.U16()) * 16;
    const std::span<const uint8_t> jpeg = in.Rest();

    constexpr uint8_t kMark = 0x5C;
    auto slot = std::make_unique<uint8_t[]>(room);
    std::fill_n(slot.get(), room, kMark);
    int width = -1;
    int height = -1;
    const JpegDecodeStatus status =
        codec.Decode(jpeg, std::span<uint8_t>(slot.get(), room), width, height);

    int headerWidth = 0;
    int headerHeight = 0;
    const bool hasSize = codec.ReadSize(jpeg, headerWidth, headerHeight);
    if (!hasSize) {
        FUZZ_CHECK(status == JpegDecodeStatus::Unreadable);
        FUZZ_CHECK(width == -1 && height == -1);
    } else {
        FUZZ_CHECK(width == headerWidth && height == headerHeight);
    }
    const std::size_t picture = hasSize ? BgrPictureBytes(width, height) : 0;
    if (status == JpegDecodeStatus::TooLarge) FUZZ_CHECK(picture > room);
    if (status == JpegDecodeStatus::Decoded) FUZZ_CHECK(picture > 0 && picture <= room);
    // Nothing written behind the picture, nor anywhere when it did not fit.
    const std::size_t written = status == JpegDecodeStatus::TooLarge ? 0 : std::min(picture, room);
    FUZZ_CHECK(
        std::all_of(slot.get() + written, slot.get() + room, [](uint8_t b) { return b == kMark; }));

    // The pipeline's decode into its slot: a frame is kept only when it was decoded, and the
    // size it reports is the header's.
    std::fill_n(slot.get(), room, kMark);
    uint16_t slotWidth = 1;
    uint16_t slotHeight = 1;
    const int kept =
        DecodeJpegImage(codec, jpeg, std::span<uint8_t>(slot.get(), room), &slotWidth, &slotHeight);
    FUZZ_CHECK(kept == (status == JpegDecodeStatus::Decoded ? 1 : 0));
    if (hasSize && width <= 0xFFFF && height <= 0xFFFF) {
        FUZZ_CHECK(slotWidth == width && slotHeight == height);
    }
    FUZZ_CHECK(
        std::all_of(slot.get() + written, slot.get() + room, [](uint8_t b) { return b == kMark; }));
    return 0;
}
