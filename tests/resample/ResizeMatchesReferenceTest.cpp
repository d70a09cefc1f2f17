// Every mode against the per-pixel reference, bit for bit, on random images, sizes, regions,
// steps and factors, with the baseline and with the AVX2 copies of the loops; nothing outside
// the effective destination is written.

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <tuple>

#include "ResizeHarness.h"
#include "WideVectors.h"

namespace ormidon::test {
namespace {

struct ModeCase {
    const char* name;
    int interpolation;
    bool reduceOnly;  // factors at most 1.0
    bool halving;     // both factors exactly 0.5
};

void PrintTo(const ModeCase& mode, std::ostream* out) { *out << mode.name; }

// Runs the loop copies of the test's path and gives back the best ones afterwards.
class LoopCopies {
  public:
    explicit LoopCopies(bool wide) { UseWideVectorsForTesting(wide); }
    ~LoopCopies() { UseWideVectorsForTesting(true); }
    LoopCopies(const LoopCopies&) = delete;
    LoopCopies& operator=(const LoopCopies&) = delete;
};

const char* PathName(bool wide) { return wide ? "Avx2" : "Baseline"; }

class ResizeMatchesReference : public ::testing::TestWithParam<std::tuple<ModeCase, bool>> {};

double RandomFactor(std::mt19937& rng, bool reduceOnly, int regionSize) {
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_real_distribution<double> any(reduceOnly ? 0.05 : 0.1, reduceOnly ? 1.0 : 3.5);
    std::uniform_int_distribution<int> size(1, reduceOnly ? regionSize : 3 * regionSize);
    std::uniform_int_distribution<int> divisor(1, 5);
    switch (kind(rng)) {
        case 0:  // destination size over region size, as the frame drawing computes it
            return static_cast<double>(size(rng)) / regionSize;
        case 1:
            return reduceOnly ? 1.0 / divisor(rng) : divisor(rng);
        case 2:
            return 1.0;
        default:
            return any(rng);
    }
}

TEST_P(ResizeMatchesReference, RandomCalls) {
    const ModeCase mode = std::get<0>(GetParam());
    const LoopCopies copies(std::get<1>(GetParam()));
    if (std::get<1>(GetParam()) && !resize::WideVectorsInUse()) {
        GTEST_SKIP() << "the processor has no AVX2";
    }
    std::mt19937 rng(0x5eed + mode.interpolation + (mode.halving ? 100 : 0));
    std::uniform_int_distribution<int> srcSide(1, 29);
    std::uniform_int_distribution<int> padding(0, 5);
    for (int round = 0; round < 300; ++round) {
        const Image src = RandomImage(srcSide(rng), srcSide(rng), padding(rng), rng);
        std::uniform_int_distribution<int> originX(0, src.width - 1);
        std::uniform_int_distribution<int> originY(0, src.height - 1);
        ReferenceCall call{};
        call.srcSize = {src.width, src.height};
        call.roi.x = originX(rng);
        call.roi.y = originY(rng);
        // Regions may reach past the source; they are clipped.
        call.roi.width = std::uniform_int_distribution<int>(1, src.width - call.roi.x + 3)(rng);
        call.roi.height = std::uniform_int_distribution<int>(1, src.height - call.roi.y + 3)(rng);
        const int clippedW = std::min(call.roi.width, src.width - call.roi.x);
        const int clippedH = std::min(call.roi.height, src.height - call.roi.y);
        call.xFactor = RandomFactor(rng, mode.reduceOnly, clippedW);
        call.yFactor = RandomFactor(rng, mode.reduceOnly, clippedH);
        if (mode.halving) {
            call.xFactor = 0.5;
            call.yFactor = 0.5;
        }
        call.interpolation = mode.interpolation;
        // A destination that is sometimes smaller than the scaled region.
        std::uniform_int_distribution<int> shrink(0, 3);
        const int fullW = std::max(1, static_cast<int>(clippedW * call.xFactor + 1e-7));
        const int fullH = std::max(1, static_cast<int>(clippedH * call.yFactor + 1e-7));
        call.dstRoiSize = {std::max(1, fullW - (shrink(rng) == 0 ? 2 : -1)),
                           std::max(1, fullH - (shrink(rng) == 0 ? 2 : -1))};

        const ReferenceResult expected = ReferenceResize(src, call);
        GuardedDestination dst(call.dstRoiSize, padding(rng));
        const std::string where =
            "round " + std::to_string(round) + ": src " + std::to_string(src.width) + "x" +
            std::to_string(src.height) + " roi " + std::to_string(call.roi.x) + "," +
            std::to_string(call.roi.y) + " " + std::to_string(call.roi.width) + "x" +
            std::to_string(call.roi.height) + " factors " + std::to_string(call.xFactor) + " " +
            std::to_string(call.yFactor);
        ASSERT_EQ(Resize(src, call, dst), RESIZE_OK) << where;
        ASSERT_EQ(dst.ChangedOutside(expected.width, expected.height), 0) << where;
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x) {
                for (int c = 0; c < 3; ++c) {
                    ASSERT_EQ(dst.At(x, y, c), expected.At(x, y, c))
                        << where << " at " << x << "," << y << " channel " << c;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllModes, ResizeMatchesReference,
    ::testing::Combine(::testing::Values(ModeCase{"Nearest", RESIZE_NEAREST, false, false},
                                         ModeCase{"Linear", RESIZE_LINEAR, false, false},
                                         ModeCase{"Cubic", RESIZE_CUBIC, false, false},
                                         ModeCase{"Lanczos", RESIZE_LANCZOS, false, false},
                                         ModeCase{"SuperSample", RESIZE_SUPERSAMPLE, true, false},
                                         ModeCase{"Halving", RESIZE_SUPERSAMPLE, true, true}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<ModeCase, bool>>& param) {
        return std::string(std::get<0>(param.param).name) + PathName(std::get<1>(param.param));
    });

// Frame-sized calls: line doubling and window fitting as the system makes them, and the other
// modes on odd and even frame sizes, so that the wide loops run many full vectors and a tail.
class ResizeMatchesReferenceFrames : public ::testing::TestWithParam<bool> {};

TEST_P(ResizeMatchesReferenceFrames, FrameSizes) {
    const LoopCopies copies(GetParam());
    if (GetParam() && !resize::WideVectorsInUse()) {
        GTEST_SKIP() << "the processor has no AVX2";
    }
    std::mt19937 rng(7);
    struct FrameCase {
        int srcW, srcH, dstW, dstH, interpolation;
    };
    const FrameCase cases[] = {
        {176, 60, 176, 120, RESIZE_LINEAR},     {177, 72, 177, 144, RESIZE_LINEAR},
        {180, 144, 480, 270, RESIZE_NEAREST},   {180, 144, 341, 192, RESIZE_NEAREST},
        {180, 144, 88, 72, RESIZE_NEAREST},     {180, 144, 341, 192, RESIZE_CUBIC},
        {181, 143, 88, 71, RESIZE_CUBIC},       {181, 143, 340, 191, RESIZE_LANCZOS},
        {180, 144, 90, 72, RESIZE_SUPERSAMPLE}, {181, 143, 90, 71, RESIZE_SUPERSAMPLE},
        {180, 144, 72, 57, RESIZE_SUPERSAMPLE}, {180, 144, 60, 36, RESIZE_SUPERSAMPLE},
    };
    for (const FrameCase& f : cases) {
        const Image src = RandomImage(f.srcW, f.srcH, 0, rng);
        ReferenceCall call{};
        call.srcSize = {f.srcW, f.srcH};
        call.roi = {0, 0, f.srcW, f.srcH};
        call.dstRoiSize = {f.dstW, f.dstH};
        call.xFactor = static_cast<double>(f.dstW) / f.srcW;
        call.yFactor = static_cast<double>(f.dstH) / f.srcH;
        call.interpolation = f.interpolation;
        const ReferenceResult expected = ReferenceResize(src, call);
        ASSERT_EQ(expected.width, f.dstW);
        ASSERT_EQ(expected.height, f.dstH);
        GuardedDestination dst(call.dstRoiSize, 0);
        ASSERT_EQ(Resize(src, call, dst), RESIZE_OK);
        EXPECT_EQ(dst.ChangedOutside(f.dstW, f.dstH), 0);
        int mismatches = 0;
        for (int y = 0; y < f.dstH; ++y) {
            for (int x = 0; x < f.dstW; ++x) {
                for (int c = 0; c < 3; ++c) {
                    mismatches += dst.At(x, y, c) != expected.At(x, y, c);
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << f.srcW << "x" << f.srcH << " to " << f.dstW << "x" << f.dstH;
    }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, ResizeMatchesReferenceFrames, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(PathName(param.param));
                         });

}  // namespace
}  // namespace ormidon::test
