#pragma once

// Images and guarded destinations for the resize tests.

#include <cstdint>
#include <random>
#include <vector>

#include "ResizeImage.h"
#include "ResizeReference.h"

namespace ormidon::test {

inline Image RandomImage(int width, int height, int rowPadding, std::mt19937& rng) {
    Image image;
    image.width = width;
    image.height = height;
    image.step = width * 3 + rowPadding;
    image.bytes.resize(static_cast<std::size_t>(image.step) * height);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : image.bytes) {
        b = static_cast<std::uint8_t>(byte(rng));
    }
    return image;
}

// A destination of roiSize pixels with row padding, surrounded by guard bytes. Every byte starts
// with a known pattern, so writes outside the expected area show.
class GuardedDestination {
  public:
    static constexpr int kGuard = 64;

    GuardedDestination(ImageSize roiSize, int rowPadding)
        : roiSize_(roiSize), step_(roiSize.width * 3 + rowPadding) {
        bytes_.resize(static_cast<std::size_t>(step_) * roiSize.height + 2 * kGuard);
        for (std::size_t k = 0; k < bytes_.size(); ++k) {
            bytes_[k] = static_cast<std::uint8_t>(0xA5 ^ (k * 7));
        }
        pristine_ = bytes_;
    }

    std::uint8_t* First() { return bytes_.data() + kGuard; }
    int Step() const { return step_; }
    ImageSize RoiSize() const { return roiSize_; }

    std::uint8_t At(int x, int y, int c) const {
        return bytes_[kGuard + static_cast<std::size_t>(y) * step_ + 3 * x + c];
    }

    // Number of bytes outside width x height pixels (from the first) that changed.
    int ChangedOutside(int width, int height) const {
        int changed = 0;
        for (std::size_t k = 0; k < bytes_.size(); ++k) {
            const long long offset = static_cast<long long>(k) - kGuard;
            const bool inside = offset >= 0 && offset / step_ < height &&
                                offset % step_ < static_cast<long long>(width) * 3;
            if (!inside && bytes_[k] != pristine_[k]) {
                ++changed;
            }
        }
        return changed;
    }

    bool Untouched() const { return bytes_ == pristine_; }

  private:
    ImageSize roiSize_;
    int step_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> pristine_;
};

inline int Resize(const Image& src, const ReferenceCall& call, GuardedDestination& dst) {
    return ResizeImage(src.bytes.data(), call.srcSize, src.step, call.roi, dst.First(), dst.Step(),
                       call.dstRoiSize, call.xFactor, call.yFactor, call.interpolation);
}

}  // namespace ormidon::test
