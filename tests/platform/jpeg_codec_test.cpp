#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/JpegCodec.h"

namespace ormidon {
namespace {

// An upright picture of four colour bands from top to bottom: red, green, blue, white,
// stored in the pipeline layout (bottom-up BGR).
std::vector<uint8_t> Bands(int width, int height) {
    static const uint8_t kBgr[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};
    std::vector<uint8_t> picture(BgrPictureBytes(width, height));
    for (int y = 0; y < height; ++y) {  // y counts from the top of the picture
        const uint8_t* colour = kBgr[y * 4 / height];
        uint8_t* row = picture.data() + static_cast<size_t>(height - 1 - y) * width * 3;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = colour[c];
        }
    }
    return picture;
}

// Pixel (x, y counted from the top) of a bottom-up BGR picture.
const uint8_t* PixelFromTop(const std::vector<uint8_t>& picture, int width, int height, int x,
                            int y) {
    return picture.data() + (static_cast<size_t>(height - 1 - y) * width + x) * 3;
}

void ExpectNear(const uint8_t* pixel, const uint8_t (&bgr)[3]) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(pixel[c], bgr[c], 12) << "channel " << c;
}

TEST(JpegCodec, RoundTripKeepsOrientationColoursAndOddWidths) {
    for (int width : {704, 642, 17}) {
        const int height = 96;
        JpegCodec codec;
        std::vector<uint8_t> jpeg;
        ASSERT_TRUE(codec.Encode(Bands(width, height), width, height, 90, jpeg));
        ASSERT_GE(jpeg.size(), 4u);
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);

        // Decoded by the bare library top-down as RGB, the first rows must be red: the
        // encoder turned the bottom-up picture upright.
        tjhandle plain = tjInitDecompress();
        std::vector<uint8_t> rgb(BgrPictureBytes(width, height));
        ASSERT_EQ(tjDecompress2(plain, jpeg.data(), jpeg.size(), rgb.data(), width, 0, height,
                                TJPF_RGB, 0),
                  0);
        tjDestroy(plain);
        EXPECT_NEAR(rgb[(width / 2) * 3 + 0], 255, 12);
        EXPECT_NEAR(rgb[(width / 2) * 3 + 1], 0, 12);

        std::vector<uint8_t> picture(BgrPictureBytes(width, height));
        int w = 0;
        int h = 0;
        ASSERT_EQ(codec.Decode(jpeg, picture, w, h), JpegDecodeStatus::Decoded);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        const uint8_t kRed[3] = {0, 0, 255};
        const uint8_t kGreen[3] = {0, 255, 0};
        const uint8_t kBlue[3] = {255, 0, 0};
        const uint8_t kWhite[3] = {255, 255, 255};
        ExpectNear(PixelFromTop(picture, width, height, width / 2, 4), kRed);
        ExpectNear(PixelFromTop(picture, width, height, width / 2, height * 3 / 8), kGreen);
        ExpectNear(PixelFromTop(picture, width, height, width / 2, height * 5 / 8), kBlue);
        ExpectNear(PixelFromTop(picture, width, height, width / 2, height - 4), kWhite);
    }
}

TEST(JpegCodec, Upright32DecodeFillsPaddedRowsTopDownAndRefusesAShortBuffer) {
    const int width = 17, height = 32, bytesPerLine = 80;  // 68 bytes of pixels, 12 of padding
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.Encode(Bands(width, height), width, height, 90, jpeg));
    std::vector<uint8_t> rows(static_cast<size_t>(bytesPerLine) * (height - 1) + width * 4, 0xAB);
    int w = 0, h = 0;
    ASSERT_EQ(codec.DecodeUpright32(jpeg, rows, bytesPerLine, w, h), JpegDecodeStatus::Decoded);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    const uint8_t kRed[3] = {0, 0, 255};
    const uint8_t kWhite[3] = {255, 255, 255};
    ExpectNear(rows.data() + 2 * bytesPerLine + 8 * 4, kRed);  // top rows first
    ExpectNear(rows.data() + static_cast<size_t>(height - 2) * bytesPerLine + 8 * 4, kWhite);
    EXPECT_EQ(rows[width * 4], 0xAB) << "the padding behind a row is not written";

    std::vector<uint8_t> shortRows(rows.size() - 1, 0xCD);
    EXPECT_EQ(codec.DecodeUpright32(jpeg, shortRows, bytesPerLine, w, h),
              JpegDecodeStatus::TooLarge);
    EXPECT_EQ(codec.DecodeUpright32(jpeg, rows, width * 4 - 1, w, h), JpegDecodeStatus::TooLarge);
    EXPECT_EQ(shortRows[0], 0xCD);
}

// The live view decodes a picture it shows as it is straight into screen pixels: they must be
// the very pixels of the pipeline's picture, odd sizes and every edge block included.
TEST(JpegCodec, Upright32HoldsThePipelinePictureByteForByte) {
    const int width = 37, height = 29;
    std::vector<uint8_t> source(BgrPictureBytes(width, height));
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + i / 97);
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.Encode(source, width, height, 75, jpeg));
    std::vector<uint8_t> picture(source.size());
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    int w = 0, h = 0;
    ASSERT_EQ(codec.Decode(jpeg, picture, w, h), JpegDecodeStatus::Decoded);
    ASSERT_EQ(codec.DecodeUpright32(jpeg, rows, width * 4, w, h), JpegDecodeStatus::Decoded);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* expected = PixelFromTop(picture, width, height, x, y);
            const uint8_t* screen = rows.data() + (static_cast<size_t>(y) * width + x) * 4;
            ASSERT_TRUE(std::equal(expected, expected + 3, screen)) << x << "," << y;
        }
    }
}

TEST(JpegCodec, GrayscaleComesOutAsBgr) {
    const int width = 40;
    const int height = 16;
    std::vector<uint8_t> gray(width * height);
    for (int i = 0; i < width * height; ++i) gray[i] = static_cast<uint8_t>((i % width) * 6);
    tjhandle compressor = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    ASSERT_EQ(tjCompress2(compressor, gray.data(), width, 0, height, TJPF_GRAY, &out, &outSize,
                          TJSAMP_GRAY, 95, 0),
              0);
    std::vector<uint8_t> jpeg(out, out + outSize);
    tjFree(out);
    tjDestroy(compressor);

    JpegCodec codec;
    std::vector<uint8_t> picture(BgrPictureBytes(width, height), 0xAA);
    int w = 0;
    int h = 0;
    ASSERT_EQ(codec.Decode(jpeg, picture, w, h), JpegDecodeStatus::Decoded);
    for (int x : {0, 10, 39}) {
        const uint8_t* p = PixelFromTop(picture, width, height, x, 3);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_NEAR(p[0], x * 6, 6);
    }
}

TEST(JpegCodec, RefusesWhatDoesNotFitOrCannotBeRead) {
    const int width = 64;
    const int height = 48;
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.Encode(Bands(width, height), width, height, 75, jpeg));

    // One byte short of the picture: nothing may be written.
    std::vector<uint8_t> small(BgrPictureBytes(width, height) - 1, 0x5A);
    int w = 0;
    int h = 0;
    EXPECT_EQ(codec.Decode(jpeg, small, w, h), JpegDecodeStatus::TooLarge);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    for (uint8_t b : small) ASSERT_EQ(b, 0x5A);

    std::vector<uint8_t> picture(BgrPictureBytes(width, height));
    const std::vector<uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 4, 5};
    EXPECT_EQ(codec.Decode(garbage, picture, w, h), JpegDecodeStatus::Unreadable);
    EXPECT_EQ(codec.Decode({}, picture, w, h), JpegDecodeStatus::Unreadable);
    EXPECT_FALSE(codec.Encode(picture, width, height + 1, 75, jpeg));
    EXPECT_FALSE(codec.Encode(picture, 0, height, 75, jpeg));
}

TEST(JpegCodec, AnUnreadableFrameDoesNotSpoilTheNext) {
    const int width = 32;
    const int height = 16;
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.Encode(Bands(width, height), width, height, 75, jpeg));
    std::vector<uint8_t> corruptScan = jpeg;
    corruptScan.resize(jpeg.size() - 2);
    corruptScan.insert(corruptScan.end() - 40, {0xFF, 0xC0, 0x00});  // a marker inside the scan
    const std::vector<std::vector<uint8_t>> unreadable = {
        std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40),  // cut before the frame header
        {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 4, 5},
        corruptScan,
    };
    std::vector<uint8_t> picture(BgrPictureBytes(width, height));
    for (const auto& bad : unreadable) {
        int w = 0;
        int h = 0;
        codec.Decode(bad, picture, w, h);
        EXPECT_EQ(codec.Decode(jpeg, picture, w, h), JpegDecodeStatus::Decoded);
        EXPECT_EQ(w, width);
    }
}

TEST(JpegCodec, TruncatedFrameThatStillDecodesIsAccepted) {
    const int width = 160;
    const int height = 120;
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.Encode(Bands(width, height), width, height, 75, jpeg));
    jpeg.resize(jpeg.size() * 2 / 3);  // the end of the scan and the end marker are gone

    std::vector<uint8_t> picture(BgrPictureBytes(width, height));
    int w = 0;
    int h = 0;
    ASSERT_EQ(codec.Decode(jpeg, picture, w, h), JpegDecodeStatus::Decoded);
    const uint8_t kRed[3] = {0, 0, 255};
    ExpectNear(PixelFromTop(picture, width, height, 80, 2), kRed);
}

}  // namespace
}  // namespace ormidon
