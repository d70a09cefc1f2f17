#pragma once

// What every resize mode gets from the entry: the validated, clipped and sized call, and the
// per-axis mapping of destination pixels to source positions.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace ormidon::resize {

// Conversion toward zero to a 32-bit integer. Values outside the range saturate and NaN gives
// 0, so that no conversion is left undefined.
inline std::int32_t TruncToInt32(double value) {
    if (!(value > -2147483649.0)) {
        return value < 0.0 ? std::numeric_limits<std::int32_t>::min() : 0;
    }
    if (value >= 2147483648.0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

// Source index of a position: the allowance absorbs the representation error of the running
// sum, so a position a hair below a whole number takes that number.
inline std::int32_t SourceIndex(double position) { return TruncToInt32(position + 1e-7); }

struct ResizeJob {
    const std::uint8_t* srcStart;  // the region's first pixel
    std::ptrdiff_t srcStep;
    std::uint8_t* dst;
    std::ptrdiff_t dstStep;
    int dstWidth;  // effective destination size
    int dstHeight;
    int regionX;  // region origin in the source
    int regionY;
    int regionWidth;  // region size after clipping to the source
    int regionHeight;
    int srcWidth;
    int srcHeight;
    double xFactor;
    double yFactor;
};

// Destination pixel k of an axis sits at start + step + step + ... (k additions, each sum in
// double precision). The additions are kept, not replaced by k * step, because the results
// depend on the rounding of each sum.
class AxisWalk {
  public:
    AxisWalk(double start, double step) : position_(start), step_(step) {}
    double Position() const { return position_; }
    void Advance() { position_ += step_; }

  private:
    double position_;
    double step_;
};

// Nearest mode: the centre of destination pixel k maps to (k + 0.5) / factor.
inline AxisWalk NearestAxis(double factor) {
    const double step = 1.0 / factor;
    return AxisWalk(0.5 * step, step);
}

// Linear, cubic and Lanczos: the first destination pixel maps to the region's first pixel and
// the last full one to the region's last pixel.
inline AxisWalk InterpolatingAxis(double factor, int regionSize) {
    const double scaled = factor * regionSize;
    const double step = scaled > 1.0 ? (regionSize - 1) / (scaled - 1.0) : 0.0;
    return AxisWalk(0.0, step);
}

// The modes of the general path; each builds its tables, runs its kernel and returns
// RESIZE_OK, or RESIZE_ERR_NO_MEMORY before writing anything.
int RunNearest(const ResizeJob& job);
int RunLinear(const ResizeJob& job);
int ResizeCubic_8u_C3(const ResizeJob& job);
int ResizeLanczos_8u_C3(const ResizeJob& job);
// The area-averaging path; both factors are at most 1.0.
int ResizeSuperSample_8u_C3(const ResizeJob& job);

}  // namespace ormidon::resize
