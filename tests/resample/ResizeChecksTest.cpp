// Argument checks in their order, the path choice, and running out of scratch memory.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "AlignedAlloc32.h"
#include "ResizeHarness.h"

namespace ormidon::test {
namespace {

struct Arguments {
    bool nullSrc = false;
    bool nullDst = false;
    ImageSize srcSize{8, 8};
    int srcStep = 24;
    ImageRect roi{0, 0, 8, 8};
    int dstStep = 24;
    ImageSize dstSize{8, 8};
    double xFactor = 1.0;
    double yFactor = 1.0;
    int interpolation = RESIZE_NEAREST;
};

struct CheckCase {
    const char* name;
    std::function<void(Arguments&)> change;
    int expected;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ResizeChecks, EachCheckInItsOrderLeavesTheDestinationUntouched) {
    const CheckCase cases[] = {
        {"null source", [](Arguments& a) { a.nullSrc = true; }, RESIZE_ERR_NULL_PTR},
        {"null destination", [](Arguments& a) { a.nullDst = true; }, RESIZE_ERR_NULL_PTR},
        {"null before sizes",
         [](Arguments& a) {
             a.nullDst = true;
             a.srcSize.width = 0;
         },
         RESIZE_ERR_NULL_PTR},
        {"source width 0", [](Arguments& a) { a.srcSize.width = 0; }, RESIZE_ERR_SIZE},
        {"source height negative", [](Arguments& a) { a.srcSize.height = -1; }, RESIZE_ERR_SIZE},
        {"source size before steps",
         [](Arguments& a) {
             a.srcSize.height = 0;
             a.srcStep = 0;
         },
         RESIZE_ERR_SIZE},
        {"source step 0", [](Arguments& a) { a.srcStep = 0; }, RESIZE_ERR_STEP},
        {"destination step negative", [](Arguments& a) { a.dstStep = -24; }, RESIZE_ERR_STEP},
        {"steps before region",
         [](Arguments& a) {
             a.dstStep = 0;
             a.roi.x = -1;
         },
         RESIZE_ERR_STEP},
        {"region x negative", [](Arguments& a) { a.roi.x = -1; }, RESIZE_ERR_SIZE},
        {"region y negative", [](Arguments& a) { a.roi.y = -1; }, RESIZE_ERR_SIZE},
        {"region width 0", [](Arguments& a) { a.roi.width = 0; }, RESIZE_ERR_SIZE},
        {"region height negative", [](Arguments& a) { a.roi.height = -5; }, RESIZE_ERR_SIZE},
        {"region size before intersection",
         [](Arguments& a) {
             a.roi.x = 8;
             a.roi.width = 0;
         },
         RESIZE_ERR_SIZE},
        {"region x at source width", [](Arguments& a) { a.roi.x = 8; },
         RESIZE_WARN_NO_INTERSECTION},
        {"region y past source height", [](Arguments& a) { a.roi.y = 9; },
         RESIZE_WARN_NO_INTERSECTION},
        {"intersection before destination size",
         [](Arguments& a) {
             a.roi.y = 8;
             a.dstSize.width = 0;
         },
         RESIZE_WARN_NO_INTERSECTION},
        {"destination width 0", [](Arguments& a) { a.dstSize.width = 0; }, RESIZE_ERR_SIZE},
        {"destination height negative", [](Arguments& a) { a.dstSize.height = -3; },
         RESIZE_ERR_SIZE},
        {"destination size before factors",
         [](Arguments& a) {
             a.dstSize.height = 0;
             a.xFactor = 0.0;
         },
         RESIZE_ERR_SIZE},
        {"x factor 0", [](Arguments& a) { a.xFactor = 0.0; }, RESIZE_ERR_FACTOR},
        {"y factor negative", [](Arguments& a) { a.yFactor = -1.0; }, RESIZE_ERR_FACTOR},
        {"x factor not a number", [](Arguments& a) { a.xFactor = kNaN; }, RESIZE_ERR_FACTOR},
        {"factor before interpolation",
         [](Arguments& a) {
             a.interpolation = 3;
             a.xFactor = 0.0;
         },
         RESIZE_ERR_FACTOR},
        {"interpolation 3", [](Arguments& a) { a.interpolation = 3; }, RESIZE_ERR_INTERPOLATION},
        {"interpolation 0", [](Arguments& a) { a.interpolation = 0; }, RESIZE_ERR_INTERPOLATION},
        {"super-sampling enlarging",
         [](Arguments& a) {
             a.interpolation = RESIZE_SUPERSAMPLE;
             a.xFactor = 2.0;
             a.yFactor = 0.5;
         },
         RESIZE_ERR_INTERPOLATION},
        {"super-sampling zero factor",
         [](Arguments& a) {
             a.interpolation = RESIZE_SUPERSAMPLE;
             a.xFactor = 0.5;
             a.yFactor = 0.0;
         },
         RESIZE_ERR_FACTOR},
        {"super-sampling factor not a number",
         [](Arguments& a) {
             a.interpolation = RESIZE_SUPERSAMPLE;
             a.xFactor = kNaN;
             a.yFactor = 0.5;
         },
         RESIZE_ERR_FACTOR},
        {"super-sampling null before its factors",
         [](Arguments& a) {
             a.interpolation = RESIZE_SUPERSAMPLE;
             a.nullSrc = true;
             a.xFactor = 0.0;
         },
         RESIZE_ERR_NULL_PTR},
        {"super-sampling reducing",
         [](Arguments& a) {
             a.interpolation = RESIZE_SUPERSAMPLE;
             a.xFactor = 0.5;
             a.yFactor = 0.5;
         },
         RESIZE_OK},
    };
    std::mt19937 rng(1);
    const Image src = RandomImage(8, 8, 0, rng);
    for (const CheckCase& c : cases) {
        Arguments a;
        c.change(a);
        GuardedDestination dst({8, 8}, 0);
        const int status = ResizeImage(a.nullSrc ? nullptr : src.bytes.data(), a.srcSize, a.srcStep,
                                       a.roi, a.nullDst ? nullptr : dst.First(), a.dstStep,
                                       a.dstSize, a.xFactor, a.yFactor, a.interpolation);
        EXPECT_EQ(status, c.expected) << c.name;
        if (c.expected != RESIZE_OK) {
            EXPECT_TRUE(dst.Untouched()) << c.name;
        }
    }
}

TEST(ResizeChecks, SuperSamplePathCalledWithAnEnlargingFactorRefusesIt) {
    std::mt19937 rng(2);
    const Image src = RandomImage(8, 8, 0, rng);
    GuardedDestination dst({16, 16}, 0);
    EXPECT_EQ(ResizeSuperSample(src.bytes.data(), {8, 8}, src.step, {0, 0, 8, 8}, dst.First(),
                                dst.Step(), {16, 16}, 2.0, 2.0, RESIZE_SUPERSAMPLE),
              RESIZE_ERR_INTERPOLATION);
    EXPECT_TRUE(dst.Untouched());
}

// Every scratch allocation of every mode may fail: the call then reports it, has written
// nothing and has released what it had (the sanitizer run checks the release). Halving needs no
// scratch memory; a quarter takes the whole-box path that does.
TEST(ResizeChecks, RunningOutOfScratchMemoryWritesNothing) {
    struct ModeCall {
        int interpolation;
        double factor;
    };
    const ModeCall calls[] = {{RESIZE_NEAREST, 1.5},    {RESIZE_LINEAR, 1.5},
                              {RESIZE_LINEAR, 1.0},     {RESIZE_CUBIC, 1.5},
                              {RESIZE_LANCZOS, 1.5},    {RESIZE_SUPERSAMPLE, 0.25},
                              {RESIZE_SUPERSAMPLE, 0.4}};
    std::mt19937 rng(3);
    const Image src = RandomImage(10, 10, 0, rng);
    for (const ModeCall& call : calls) {
        int status = RESIZE_ERR_NO_MEMORY;
        int allowed = 0;
        for (; status == RESIZE_ERR_NO_MEMORY && allowed < 32; ++allowed) {
            GuardedDestination dst({15, 15}, 0);
            FailAlignedAllocAfterForTesting(allowed);
            status =
                ResizeImage(src.bytes.data(), {10, 10}, src.step, {0, 0, 10, 10}, dst.First(),
                            dst.Step(), {15, 15}, call.factor, call.factor, call.interpolation);
            FailAlignedAllocAfterForTesting(-1);
            if (status == RESIZE_ERR_NO_MEMORY) {
                EXPECT_TRUE(dst.Untouched()) << call.interpolation << " after " << allowed;
            }
        }
        EXPECT_EQ(status, RESIZE_OK) << call.interpolation;
        EXPECT_GT(allowed, 1) << call.interpolation;  // at least one failure was seen
    }
}

TEST(AlignedAlloc32, AlignsAndRefusesEmptyRequests) {
    EXPECT_EQ(AlignedAlloc32(0), nullptr);
    EXPECT_EQ(AlignedAlloc32(-1), nullptr);
    EXPECT_EQ(AlignedAlloc32(PTRDIFF_MAX), nullptr);
    AlignedFree32(nullptr);
    for (std::ptrdiff_t size = 1; size < 100; size += 7) {
        void* block = AlignedAlloc32(size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 32, 0u);
        std::memset(block, 0xff, static_cast<std::size_t>(size));
        AlignedFree32(block);
    }
}

}  // namespace
}  // namespace ormidon::test
