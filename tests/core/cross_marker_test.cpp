#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CrossMarker.h"

namespace {

constexpr int kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

// A small frame with guard bytes on both sides.
struct GuardedFrame {
    int width, height;
    std::vector<uint8_t> bytes;
    GuardedFrame(int w, int h) : width(w), height(h), bytes(kGuard * 2 + w * h * 3, 0) {
        std::fill(bytes.begin(), bytes.begin() + kGuard, kGuardByte);
        std::fill(bytes.end() - kGuard, bytes.end(), kGuardByte);
    }
    uint8_t* pixels() { return bytes.data() + kGuard; }
    bool GuardsIntact() const {
        for (int i = 0; i < kGuard; ++i) {
            if (bytes[i] != kGuardByte || bytes[bytes.size() - 1 - i] != kGuardByte) return false;
        }
        return true;
    }
    // Bytes of the pixel at a column and a stored row (bottom up).
    std::vector<uint8_t> Pixel(int column, int row) const {
        auto at = bytes.begin() + kGuard + (row * width + column) * 3;
        return {at, at + 3};
    }
};

TEST(CrossMarker, DrawsInsideTheFrameOnly) {
    const struct {
        int x, y;
    } points[] = {{0, 0}, {11, 0}, {0, 8}, {11, 8}, {5, 4}, {65535, 65535}, {3, 20}};
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        GuardedFrame frame(12, 8);
        EXPECT_EQ(DrawCrossMarker(frame.pixels(), 12, 8, 0xFF0000, 2, p.x, p.y, 0, 0), 1);
        EXPECT_TRUE(frame.GuardsIntact());
    }
}

TEST(CrossMarker, DrawsTheCrossAndTicksInTheColoursByteOrder) {
    GuardedFrame frame(20, 20);
    DrawCrossMarker(frame.pixels(), 20, 20, 0x00FF0102, 2, 10, 10, 0, 0);  // row 20 - 10 = 10
    const std::vector<uint8_t> marked = {0x02, 0x01, 0xFF}, blank = {0, 0, 0};
    EXPECT_EQ(frame.Pixel(10, 10), marked);  // centre
    EXPECT_EQ(frame.Pixel(2, 9), marked);    // horizontal bar, left end
    EXPECT_EQ(frame.Pixel(18, 11), marked);  // horizontal bar, right end
    EXPECT_EQ(frame.Pixel(9, 2), marked);    // vertical bar, bottom
    EXPECT_EQ(frame.Pixel(5, 18), marked);   // tick on the top row
    EXPECT_EQ(frame.Pixel(18, 15), marked);  // tick on the right column
    EXPECT_EQ(frame.Pixel(6, 18), blank);    // between the tick and the bar
    EXPECT_EQ(frame.Pixel(18, 14), blank);
    EXPECT_EQ(frame.Pixel(1, 10), blank);  // past the bar's end
    EXPECT_EQ(frame.Pixel(5, 5), blank);
    EXPECT_EQ(DrawCrossMarker(nullptr, 20, 20, 0, 2, 10, 10, 0, 0), 0);
}

}  // namespace
