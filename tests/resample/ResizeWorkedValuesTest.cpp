// Known values of every mode, the sizing and downgrading rules, and the edge cases where the
// routine holds its reads inside the source.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include "ResizeHarness.h"
#include "ResizeKernels.h"

namespace ormidon::test {
namespace {

// An image whose rows are given sample by sample; all three channels alike.
Image GrayImage(std::initializer_list<std::initializer_list<int>> rows) {
    Image image;
    image.height = static_cast<int>(rows.size());
    image.width = static_cast<int>(rows.begin()->size());
    image.step = image.width * 3;
    for (const auto& row : rows) {
        for (int v : row) {
            for (int c = 0; c < 3; ++c) {
                image.bytes.push_back(static_cast<std::uint8_t>(v));
            }
        }
    }
    return image;
}

Image FlatImage(int width, int height, int value) {
    Image image;
    image.width = width;
    image.height = height;
    image.step = width * 3;
    image.bytes.assign(static_cast<std::size_t>(image.step) * height,
                       static_cast<std::uint8_t>(value));
    return image;
}

ReferenceCall WholeImageCall(const Image& src, double xFactor, double yFactor, int interpolation,
                             ImageSize dstSize) {
    return {{src.width, src.height},
            {0, 0, src.width, src.height},
            dstSize,
            xFactor,
            yFactor,
            interpolation};
}

// Channel 0 of destination row y, x = 0 .. count - 1.
std::vector<int> Row(const GuardedDestination& dst, int y, int count) {
    std::vector<int> values;
    for (int x = 0; x < count; ++x) {
        values.push_back(dst.At(x, y, 0));
    }
    return values;
}

std::vector<int> Column(const GuardedDestination& dst, int x, int count) {
    std::vector<int> values;
    for (int y = 0; y < count; ++y) {
        values.push_back(dst.At(x, y, 0));
    }
    return values;
}

using Values = std::vector<int>;

TEST(ResizeLinear, WorkedValues) {
    // 0 above 255, doubled twice: weights 0, 5461, 10922 and the last row taken whole.
    const Image column = GrayImage({{0, 0}, {255, 255}});
    GuardedDestination tall({2, 4}, 0);
    ASSERT_EQ(Resize(column, WholeImageCall(column, 1.0, 2.0, RESIZE_LINEAR, {2, 4}), tall),
              RESIZE_OK);
    EXPECT_EQ(Column(tall, 0, 4), (Values{0, 85, 170, 255}));

    const Image row = GrayImage({{0, 200}, {0, 200}});
    GuardedDestination wide({3, 2}, 0);
    ASSERT_EQ(Resize(row, WholeImageCall(row, 1.5, 1.0, RESIZE_LINEAR, {3, 2}), wide), RESIZE_OK);
    EXPECT_EQ(Row(wide, 0, 3), (Values{0, 100, 200}));
}

// The exact 16-bit blend of line doubling against the formula, for every pair of samples.
TEST(ResizeLinear, LineDoublingBlendsEveryPairOfSamplesExactly) {
    const int pixels = 65536 / 3 + 1;
    Image src;
    src.width = pixels;
    src.height = 2;
    src.step = pixels * 3;
    src.bytes.resize(static_cast<std::size_t>(src.step) * 2);
    for (int k = 0; k < pixels * 3; ++k) {
        src.bytes[k] = static_cast<std::uint8_t>(k & 255);                    // upper
        src.bytes[src.step + k] = static_cast<std::uint8_t>((k >> 8) & 255);  // lower
    }
    const double yFactor = 23.0;  // 46 rows, weights spread over 0..16384
    GuardedDestination dst({pixels, 46}, 0);
    ASSERT_EQ(Resize(src, WholeImageCall(src, 1.0, yFactor, RESIZE_LINEAR, {pixels, 46}), dst),
              RESIZE_OK);
    double position = 0.0;
    const double step = 1.0 / 45.0;
    int mismatches = 0;
    for (int y = 0; y < 46; ++y) {
        const int index = static_cast<int>(position + 1e-7);
        const int a = index == 1 ? 16384 : static_cast<int>((position - index) * 16384 + 1e-7);
        for (int k = 0; k < pixels * 3; ++k) {
            const int upper = src.bytes[k];
            const int lower = src.bytes[src.step + k];
            const int expected = (a * 64 * lower + (16384 - a) * 64 * upper + 524288) >> 20;
            mismatches += dst.At(k / 3, y, k % 3) != expected;
        }
        position += step;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ResizeNearest, PicksTheSourcePixelUnderTheCentre) {
    const Image src = GrayImage({{0, 10, 20, 30, 40, 50, 60, 70}, {0, 10, 20, 30, 40, 50, 60, 70}});
    GuardedDestination half({4, 1}, 0);
    ASSERT_EQ(Resize(src, WholeImageCall(src, 0.5, 0.5, RESIZE_NEAREST, {4, 1}), half), RESIZE_OK);
    EXPECT_EQ(Row(half, 0, 4), (Values{10, 30, 50, 70}));

    GuardedDestination doubled({16, 4}, 0);
    ASSERT_EQ(Resize(src, WholeImageCall(src, 2.0, 2.0, RESIZE_NEAREST, {16, 4}), doubled),
              RESIZE_OK);
    EXPECT_EQ(Row(doubled, 3, 6), (Values{0, 0, 10, 10, 20, 20}));
}

TEST(ResizeCubic, FlatStaysFlatAndEdgesAreExact) {
    const Image flat = FlatImage(7, 7, 93);
    GuardedDestination dst({17, 17}, 0);
    ASSERT_EQ(Resize(flat, WholeImageCall(flat, 17.0 / 7, 17.0 / 7, RESIZE_CUBIC, {17, 17}), dst),
              RESIZE_OK);
    for (int y = 0; y < 17; ++y) {
        EXPECT_EQ(Row(dst, y, 17), Values(17, 93));
    }
    // The first and last destination pixels sit on the source's first and last pixels.
    const Image edges = GrayImage(
        {{7, 200, 3, 90, 41}, {7, 200, 3, 90, 41}, {7, 200, 3, 90, 41}, {7, 200, 3, 90, 41}});
    GuardedDestination wide({9, 4}, 0);
    ASSERT_EQ(Resize(edges, WholeImageCall(edges, 1.8, 1.0, RESIZE_CUBIC, {9, 4}), wide),
              RESIZE_OK);
    EXPECT_EQ(wide.At(0, 0, 0), 7);
    EXPECT_EQ(wide.At(8, 0, 0), 41);
}

TEST(ResizeLanczos, FlatAreaAtHalfAndWholeFractions) {
    // 11 pixels to 21: step 0.5, so odd pixels sit halfway between two source pixels.
    const Image flat = FlatImage(11, 11, 255);
    GuardedDestination dst({21, 21}, 0);
    ASSERT_EQ(
        Resize(flat, WholeImageCall(flat, 21.0 / 11, 21.0 / 11, RESIZE_LANCZOS, {21, 21}), dst),
        RESIZE_OK);
    EXPECT_EQ(dst.At(5, 5, 0), 252);
    EXPECT_EQ(dst.At(4, 4, 0), 255);
    EXPECT_EQ(dst.At(0, 0, 2), 255);  // corner taps are copies of the edge
}

TEST(ResizeLanczos, KernelTableMatchesTheKernel) {
    const float* T = ormidon::resize::LanczosKernelTable;
    const struct {
        int i;
        double value;
    } telling[] = {{0, 1.0},           {1, 0.99981719},   {25, 0.89006704},   {50, 0.60792708},
                   {75, 0.27018979},   {100, 0.0},        {125, -0.13287102}, {150, -0.13509491},
                   {175, -0.06779135}, {200, 0.0},        {225, 0.03002109},  {250, 0.02431709},
                   {275, 0.00735592},  {299, 0.00001118}, {300, 0.0}};
    for (const auto& row : telling) {
        EXPECT_NEAR(T[row.i], row.value, 5e-9) << row.i;
    }
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int i = 0; i <= 300; ++i) {
        const long double x = i / 100.0L;
        const long double exact =
            i == 0 ? 1.0L : std::sin(pi * x) / (pi * x) * std::sin(pi * x / 3) / (pi * x / 3);
        EXPECT_NEAR(static_cast<double>(T[i]), static_cast<double>(exact), 1e-7) << i;
    }
    EXPECT_EQ(T[100], 0.0f);
    EXPECT_EQ(T[200], 0.0f);
    EXPECT_EQ(T[300], 0.0f);
}

TEST(ResizeSuperSample, WorkedValues) {
    const Image block = GrayImage({{10, 20}, {30, 41}});
    GuardedDestination one({1, 1}, 0);
    ASSERT_EQ(Resize(block, WholeImageCall(block, 0.5, 0.5, RESIZE_SUPERSAMPLE, {1, 1}), one),
              RESIZE_OK);
    EXPECT_EQ(one.At(0, 0, 0), 25);  // 101 * 0.25 + 0.5 = 25.75

    const Image white = FlatImage(2, 2, 255);
    GuardedDestination whiteOut({1, 1}, 0);
    ASSERT_EQ(Resize(white, WholeImageCall(white, 0.5, 0.5, RESIZE_SUPERSAMPLE, {1, 1}), whiteOut),
              RESIZE_OK);
    EXPECT_EQ(whiteOut.At(0, 0, 1), 255);

    // Boxes of 2.5 columns: 0 + 1 + half of 2, then the other half of 2 + 3 + 4.
    const Image row = GrayImage({{10, 20, 30, 40, 50}, {10, 20, 30, 40, 50}});
    GuardedDestination columns({2, 2}, 0);
    ASSERT_EQ(Resize(row, WholeImageCall(row, 0.4, 1.0, RESIZE_SUPERSAMPLE, {2, 2}), columns),
              RESIZE_OK);
    EXPECT_EQ(Row(columns, 0, 2), (Values{18, 42}));  // 45 * 0.4 + 0.5, 105 * 0.4 + 0.5

    const Image col = GrayImage({{10}, {20}, {30}, {40}, {50}});
    GuardedDestination rows({1, 2}, 0);
    ASSERT_EQ(Resize(col, WholeImageCall(col, 1.0, 0.4, RESIZE_SUPERSAMPLE, {1, 2}), rows),
              RESIZE_OK);
    EXPECT_EQ(Column(rows, 0, 2), (Values{18, 42}));
}

TEST(ResizeSizing, EffectiveDestinationSize) {
    std::mt19937 rng(4);
    // A 720-wide region halved into a 400-wide destination writes 360 columns.
    const Image wide = RandomImage(720, 2, 0, rng);
    GuardedDestination dst({400, 1}, 0);
    ASSERT_EQ(Resize(wide, WholeImageCall(wide, 0.5, 0.5, RESIZE_NEAREST, {400, 1}), dst),
              RESIZE_OK);
    EXPECT_EQ(dst.ChangedOutside(360, 1), 0);
    EXPECT_NE(dst.ChangedOutside(359, 1), 0);

    // A 3-pixel region at factor 0.2 still gives one pixel.
    const Image narrow = RandomImage(3, 3, 0, rng);
    GuardedDestination tiny({4, 4}, 0);
    ASSERT_EQ(Resize(narrow, WholeImageCall(narrow, 0.2, 0.2, RESIZE_LINEAR, {4, 4}), tiny),
              RESIZE_OK);
    EXPECT_EQ(tiny.ChangedOutside(1, 1), 0);

    // Factors computed as destination size over region size give back the destination size.
    int wrong = 0;
    for (int s = 1; s <= 2048; ++s) {
        for (int d = 1; d <= 2048; ++d) {
            wrong += static_cast<int>(s * (static_cast<double>(d) / s) + 1e-7) != d;
        }
    }
    EXPECT_EQ(wrong, 0);
    const Image frame = RandomImage(704, 3, 0, rng);
    GuardedDestination window({1366, 1}, 0);
    ASSERT_EQ(Resize(frame, WholeImageCall(frame, 1366.0 / 704, 1.0 / 3, RESIZE_NEAREST, {1366, 1}),
                     window),
              RESIZE_OK);
    EXPECT_EQ(window.ChangedOutside(1366, 1), 0);
    EXPECT_NE(window.ChangedOutside(1365, 1), 0);  // the last column is written too
}

TEST(ResizeSizing, RegionPastTheSourceIsShortened) {
    std::mt19937 rng(5);
    const Image src = RandomImage(20, 12, 2, rng);
    for (int mode : {RESIZE_NEAREST, RESIZE_LINEAR, RESIZE_CUBIC, RESIZE_LANCZOS}) {
        ReferenceCall longer{{20, 12}, {5, 3, 40, 40}, {30, 30}, 1.5, 1.5, mode};
        ReferenceCall exact{{20, 12}, {5, 3, 15, 9}, {30, 30}, 1.5, 1.5, mode};
        GuardedDestination a({30, 30}, 0);
        GuardedDestination b({30, 30}, 0);
        ASSERT_EQ(Resize(src, longer, a), RESIZE_OK);
        ASSERT_EQ(Resize(src, exact, b), RESIZE_OK);
        for (int y = 0; y < 30; ++y) {
            ASSERT_EQ(Row(a, y, 30), Row(b, y, 30)) << mode;
        }
    }
}

// The mode falls back by the size of the whole source, not of the region.
TEST(ResizeDowngrade, SmallSourcesRunTheSimplerMode) {
    std::mt19937 rng(6);
    struct DowngradeCase {
        int width, height, requested, runs;
    };
    const DowngradeCase cases[] = {
        // Four rows carry the four cubic taps, so a Lanczos request there runs as cubic.
        {3, 10, RESIZE_CUBIC, RESIZE_LINEAR},    {10, 4, RESIZE_LANCZOS, RESIZE_CUBIC},
        {5, 5, RESIZE_LANCZOS, RESIZE_CUBIC},    {3, 3, RESIZE_LANCZOS, RESIZE_LINEAR},
        {40, 1, RESIZE_LANCZOS, RESIZE_NEAREST}, {1, 9, RESIZE_LINEAR, RESIZE_NEAREST},
    };
    for (const DowngradeCase& c : cases) {
        const Image src = RandomImage(c.width, c.height, 0, rng);
        GuardedDestination requested({20, 20}, 0);
        GuardedDestination runs({20, 20}, 0);
        ASSERT_EQ(Resize(src, WholeImageCall(src, 1.7, 1.3, c.requested, {20, 20}), requested),
                  RESIZE_OK);
        ASSERT_EQ(Resize(src, WholeImageCall(src, 1.7, 1.3, c.runs, {20, 20}), runs), RESIZE_OK);
        for (int y = 0; y < 20; ++y) {
            ASSERT_EQ(Row(requested, y, 20), Row(runs, y, 20)) << c.width << "x" << c.height;
        }
    }
    // A 2 x 2 region of a large source stays cubic and reads taps around the region.
    const Image large = RandomImage(40, 30, 0, rng);
    const ReferenceCall cubic{{40, 30}, {10, 10, 2, 2}, {5, 5}, 2.5, 2.5, RESIZE_CUBIC};
    GuardedDestination dst({5, 5}, 0);
    ASSERT_EQ(Resize(large, cubic, dst), RESIZE_OK);
    const ReferenceResult expected = ReferenceResize(large, cubic);
    ReferenceCall linear = cubic;
    linear.interpolation = RESIZE_LINEAR;
    const ReferenceResult asLinear = ReferenceResize(large, linear);
    EXPECT_NE(expected.pixels, asLinear.pixels);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(dst.At(x, y, 1), expected.At(x, y, 1));
        }
    }
}

// Calls whose arithmetic would leave the source are held inside it.
TEST(ResizeEdges, ReadsStayInsideTheSource) {
    // Nearest: a 3-pixel region at the right edge shrunk to a tenth maps its one pixel to
    // index 5; it takes the region's last pixel.
    const Image src = GrayImage({{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}});
    GuardedDestination one({1, 1}, 0);
    ASSERT_EQ(Resize(src, {{6, 2}, {3, 0, 3, 2}, {1, 1}, 0.1, 0.1, RESIZE_NEAREST}, one),
              RESIZE_OK);
    EXPECT_EQ(one.At(0, 0, 0), 6);

    // Super-sampling: a box larger than the region repeats the region's last row and column.
    const Image corner =
        GrayImage({{9, 9, 9, 9}, {9, 100, 100, 100}, {9, 100, 100, 100}, {9, 100, 100, 100}});
    GuardedDestination box({1, 1}, 0);
    ASSERT_EQ(Resize(corner, {{4, 4}, {1, 1, 3, 3}, {1, 1}, 0.25, 0.25, RESIZE_SUPERSAMPLE}, box),
              RESIZE_OK);
    EXPECT_EQ(box.At(0, 0, 0), 100);
    const ReferenceCall fractional{{4, 4}, {1, 1, 3, 3}, {1, 1}, 0.3, 0.3, RESIZE_SUPERSAMPLE};
    GuardedDestination fractionalBox({1, 1}, 0);
    ASSERT_EQ(Resize(corner, fractional, fractionalBox), RESIZE_OK);
    EXPECT_EQ(fractionalBox.At(0, 0, 0), 100);
}

// A box a hair below a whole number of pixels: the pixel shared by the first two boxes is
// counted once, so a flat area stays flat.
TEST(ResizeEdges, SuperSamplingBoxJustBelowAWholeNumber) {
    const Image flat = FlatImage(30, 30, 255);
    const double factor = 1.0 / 2.99999995;
    GuardedDestination dst({10, 10}, 0);
    ASSERT_EQ(Resize(flat, WholeImageCall(flat, factor, factor, RESIZE_SUPERSAMPLE, {10, 10}), dst),
              RESIZE_OK);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(Row(dst, y, 10), Values(10, 255)) << y;
    }
}

// Factors far out of the usual range saturate instead of overflowing, and boxes far larger
// than the region are summed without walking every repeated pixel.
TEST(ResizeEdges, ExtremeFactorsSaturate) {
    std::mt19937 rng(8);
    const Image src = RandomImage(9, 7, 1, rng);
    for (int mode : {RESIZE_NEAREST, RESIZE_LINEAR, RESIZE_CUBIC, RESIZE_LANCZOS}) {
        for (double factor : {1e300, 1e12, 1e-12, 1e-300}) {
            const ReferenceCall call = WholeImageCall(src, factor, factor, mode, {6, 5});
            GuardedDestination dst({6, 5}, 0);
            ASSERT_EQ(Resize(src, call, dst), RESIZE_OK) << mode << " " << factor;
            const ReferenceResult expected = ReferenceResize(src, call);
            EXPECT_EQ(dst.ChangedOutside(expected.width, expected.height), 0);
        }
    }
    for (double factor : {1e-6, 1e-12, 1e-300, 4.9e-324}) {
        const ReferenceCall call = WholeImageCall(src, factor, 0.7, RESIZE_SUPERSAMPLE, {6, 5});
        GuardedDestination dst({6, 5}, 0);
        ASSERT_EQ(Resize(src, call, dst), RESIZE_OK) << factor;
        EXPECT_EQ(dst.ChangedOutside(1, 4), 0) << factor;
    }
}

}  // namespace
}  // namespace ormidon::test
