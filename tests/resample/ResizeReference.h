#pragma once

// A plain reference of the resize routine for the tests: every destination pixel is computed on
// its own, straight from the formulas, with no tables shared between pixels, no line buffers and
// no windows. Slow, and meant to be.

#include <cstdint>
#include <vector>

#include "ResizeImage.h"

namespace ormidon::test {

struct Image {
    int width = 0;
    int height = 0;
    int step = 0;
    std::vector<std::uint8_t> bytes;

    std::uint8_t& At(int x, int y, int c) {
        return bytes[static_cast<std::size_t>(y) * step + 3 * x + c];
    }
    std::uint8_t At(int x, int y, int c) const {
        return bytes[static_cast<std::size_t>(y) * step + 3 * x + c];
    }
};

struct ReferenceCall {
    ImageSize srcSize;
    ImageRect roi;
    ImageSize dstRoiSize;
    double xFactor;
    double yFactor;
    int interpolation;
};

struct ReferenceResult {
    int width = 0;  // the part of the destination that is written
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3, rows packed

    std::uint8_t At(int x, int y, int c) const {
        return pixels[(static_cast<std::size_t>(y) * width + x) * 3 + c];
    }
};

// The expected output of a call whose arguments pass every check.
ReferenceResult ReferenceResize(const Image& src, const ReferenceCall& call);

}  // namespace ormidon::test
