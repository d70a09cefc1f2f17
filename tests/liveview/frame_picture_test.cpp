#include <gtest/gtest.h>

#include <vector>

#include "liveview/FramePicture.h"

namespace {

// A bottom-up BGR picture whose pixel at (x, y from the top) is a colour made of x and y,
// so a read-back tells where each pixel came from.
struct SyntheticPicture {
    SyntheticPicture(int width, int height)
        : bytes(size_t(width) * size_t(height) * 3), picture{bytes.data(), width, height} {
        for (int y = 0; y < height; ++y) {
            uint8_t* row = bytes.data() + size_t(height - 1 - y) * size_t(width) * 3;
            for (int x = 0; x < width; ++x) {
                row[3 * x + 0] = uint8_t(x);      // blue
                row[3 * x + 1] = uint8_t(y);      // green
                row[3 * x + 2] = uint8_t(x + y);  // red
            }
        }
    }
    static QRgb Expected(int x, int y) { return qRgb(uint8_t(x + y), uint8_t(y), uint8_t(x)); }

    std::vector<uint8_t> bytes;
    BgrPicture picture;
};

TEST(FramePictureTest, ScreenImageIsUprightInRgb) {
    SyntheticPicture source(5, 3);
    const QImage image = ToScreenImage(source.picture);
    ASSERT_EQ(image.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, SyntheticPicture::Expected(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_TRUE(ToScreenImage({}).isNull());
}

// The screen image written back as a picture is the picture it was made of; an image of
// another size writes nothing.
TEST(FramePictureTest, ScreenImageGoesBackToThePictureItCameFrom) {
    SyntheticPicture source(7, 5);
    const QImage image = ToScreenImage(source.picture);
    std::vector<uint8_t> back(source.bytes.size(), 0xAA);
    ASSERT_TRUE(ScreenImageToPicture(image, {back.data(), 7, 5}));
    EXPECT_EQ(back, source.bytes);

    std::vector<uint8_t> other(size_t(5) * 7 * 3, 0xAA);
    EXPECT_FALSE(ScreenImageToPicture(image, {other.data(), 5, 7}));
    EXPECT_FALSE(
        ScreenImageToPicture(image.convertToFormat(QImage::Format_RGB888), {back.data(), 7, 5}));
    EXPECT_EQ(other, std::vector<uint8_t>(other.size(), 0xAA));
}

// Field pictures 640 wide or more are doubled when the doubled picture fits the buffer;
// a 720 x 576 or 640 x 480 frame would overrun it.
TEST(FramePictureTest, LineDoublingOnlyWhenItFits) {
    EXPECT_TRUE(ShouldDoubleLines(640, 228, false, kResizeBufferSize));
    EXPECT_TRUE(ShouldDoubleLines(640, 276, false, kResizeBufferSize));
    EXPECT_TRUE(ShouldDoubleLines(704, 240, false, kResizeBufferSize));
    EXPECT_TRUE(ShouldDoubleLines(704, 288, false, kResizeBufferSize));
    EXPECT_FALSE(ShouldDoubleLines(320, 240, false, kResizeBufferSize));
    EXPECT_FALSE(ShouldDoubleLines(640, 480, true, kResizeBufferSize));
    EXPECT_FALSE(ShouldDoubleLines(640, 480, false, kResizeBufferSize));
    EXPECT_FALSE(ShouldDoubleLines(720, 576, false, kResizeBufferSize));
}

TEST(FramePictureTest, DoubledFieldRowsFollowTheFieldRows) {
    SyntheticPicture field(640, 228);
    std::vector<uint8_t> buffer(kResizeBufferSize);
    const BgrPicture doubled = DoubleLines(field.picture, buffer.data());
    ASSERT_EQ(doubled.width, 640);
    ASSERT_EQ(doubled.height, 456);
    const QImage image = ToScreenImage(doubled);
    // Each output row lies between the field rows it came from.
    for (int y = 0; y < 456; y += 37) {
        for (int x = 0; x < 640; x += 53) {
            const QRgb pixel = image.pixel(x, y);
            EXPECT_EQ(qBlue(pixel), x % 256) << x << "," << y;
            EXPECT_NEAR(qGreen(pixel), y / 2, 1) << x << "," << y;
        }
    }
}

TEST(FramePictureTest, FittedPictureFillsTheArea) {
    SyntheticPicture frame(320, 240);
    const QSize area(800, 600);
    std::vector<uint8_t> buffer(size_t(area.width()) * area.height() * 3);
    const BgrPicture fitted = FitToArea(frame.picture, area, buffer.data(), buffer.size());
    ASSERT_EQ(fitted.width, 800);
    ASSERT_EQ(fitted.height, 600);
    const QImage image = ToScreenImage(fitted);
    // Nearest neighbour: each area pixel shows the source pixel under it.
    for (int y = 0; y < 600; y += 41) {
        for (int x = 0; x < 800; x += 59) {
            const int sx = x * 320 / 800, sy = y * 240 / 600;
            EXPECT_NEAR(qBlue(image.pixel(x, y)), sx % 256, 1) << x << "," << y;
            EXPECT_NEAR(qGreen(image.pixel(x, y)), sy, 1) << x << "," << y;
        }
    }
    // A buffer smaller than the area gives nothing rather than an overrun.
    EXPECT_TRUE(FitToArea(frame.picture, area, buffer.data(), buffer.size() - 1).IsEmpty());
}

}  // namespace
