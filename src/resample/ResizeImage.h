#pragma once

// The image scaling routine: scales a region of an 8-bit, three-channel interleaved image by
// independent horizontal and vertical factors into the top-left corner of a destination image.

#include <cstdint>

struct ImageSize {
    std::int32_t width;
    std::int32_t height;
};

struct ImageRect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

// Interpolation modes.
inline constexpr int RESIZE_NEAREST = 1;
inline constexpr int RESIZE_LINEAR = 2;
inline constexpr int RESIZE_CUBIC = 4;
inline constexpr int RESIZE_SUPERSAMPLE = 8;
inline constexpr int RESIZE_LANCZOS = 16;

// Results.
inline constexpr int RESIZE_OK = 0;
inline constexpr int RESIZE_WARN_NO_INTERSECTION = 29;
inline constexpr int RESIZE_ERR_SIZE = -6;
inline constexpr int RESIZE_ERR_NULL_PTR = -8;
inline constexpr int RESIZE_ERR_NO_MEMORY = -9;
inline constexpr int RESIZE_ERR_STEP = -14;
inline constexpr int RESIZE_ERR_INTERPOLATION = -22;
inline constexpr int RESIZE_ERR_FACTOR = -23;

// Scales srcRoi of the source (pixel (x, y) at pSrc + y * srcStep + 3 * x) by xFactor and
// yFactor and writes the result from pDst on. dstRoiSize is the largest area that may be
// written; only the effective destination size (the scaled region, at least one pixel, at most
// dstRoiSize) is touched. Keeps no state between calls.
int ResizeImage(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                double yFactor, int interpolation);

// The general path: nearest, linear, cubic and Lanczos (and super-sampling with a factor above
// 1.0, which it rejects).
int ResizeGeneral(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                  std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                  double yFactor, int interpolation);

// The area-averaging path for reductions (both factors at most 1.0).
int ResizeSuperSample(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                      std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                      double yFactor, int interpolation);
