#include "ResizeImage.h"

#include <algorithm>

#include "ResizeJob.h"

namespace {

using ormidon::resize::ResizeJob;
using ormidon::resize::TruncToInt32;

// The argument checks shared by both paths, in the order in which they are made; the first
// that fails decides the result.
int CheckArguments(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                   const std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                   double yFactor) {
    if (pSrc == nullptr || pDst == nullptr) {
        return RESIZE_ERR_NULL_PTR;
    }
    if (srcSize.width <= 0 || srcSize.height <= 0) {
        return RESIZE_ERR_SIZE;
    }
    if (srcStep <= 0 || dstStep <= 0) {
        return RESIZE_ERR_STEP;
    }
    if (srcRoi.x < 0 || srcRoi.y < 0 || srcRoi.width <= 0 || srcRoi.height <= 0) {
        return RESIZE_ERR_SIZE;
    }
    if (srcRoi.x >= srcSize.width || srcRoi.y >= srcSize.height) {
        return RESIZE_WARN_NO_INTERSECTION;
    }
    if (dstRoiSize.width <= 0 || dstRoiSize.height <= 0) {
        return RESIZE_ERR_SIZE;
    }
    // Written as "not greater" so that a factor that is not a number fails too.
    if (!(xFactor > 0.0) || !(yFactor > 0.0)) {
        return RESIZE_ERR_FACTOR;
    }
    return RESIZE_OK;
}

// Destination pixels on one axis: the scaled region, at least one, at most the destination.
int EffectiveCount(int regionSize, double factor, int dstLimit) {
    const std::int32_t scaled = TruncToInt32(regionSize * factor + 1e-7);
    return scaled >= dstLimit ? dstLimit : std::max(scaled, 1);
}

// Clips the region to the source and fixes the effective destination size.
ResizeJob MakeJob(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                  std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                  double yFactor) {
    ResizeJob job{};
    job.srcStep = srcStep;
    job.srcStart = pSrc + static_cast<std::ptrdiff_t>(srcRoi.y) * srcStep +
                   static_cast<std::ptrdiff_t>(srcRoi.x) * 3;
    job.dst = pDst;
    job.dstStep = dstStep;
    job.regionX = srcRoi.x;
    job.regionY = srcRoi.y;
    job.regionWidth = std::min(srcRoi.width, srcSize.width - srcRoi.x);
    job.regionHeight = std::min(srcRoi.height, srcSize.height - srcRoi.y);
    job.srcWidth = srcSize.width;
    job.srcHeight = srcSize.height;
    job.xFactor = xFactor;
    job.yFactor = yFactor;
    job.dstWidth = EffectiveCount(job.regionWidth, xFactor, dstRoiSize.width);
    job.dstHeight = EffectiveCount(job.regionHeight, yFactor, dstRoiSize.height);
    return job;
}

// Small sources cannot feed the wider kernels: the mode falls back by the size of the whole
// source image, not of the region.
int DowngradeInterpolation(int interpolation, ImageSize srcSize) {
    const int smallerSide = std::min(srcSize.width, srcSize.height);
    if (interpolation == RESIZE_LANCZOS && smallerSide < 6) {
        interpolation = RESIZE_CUBIC;
    }
    if (interpolation == RESIZE_CUBIC && smallerSide < 4) {
        interpolation = RESIZE_LINEAR;
    }
    if (smallerSide < 2) {
        interpolation = RESIZE_NEAREST;
    }
    return interpolation;
}

}  // namespace

int ResizeImage(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                double yFactor, int interpolation) {
    if (interpolation == RESIZE_SUPERSAMPLE && xFactor <= 1.0 && yFactor <= 1.0) {
        return ResizeSuperSample(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                                 yFactor, interpolation);
    }
    return ResizeGeneral(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                         yFactor, interpolation);
}

int ResizeGeneral(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                  std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                  double yFactor, int interpolation) {
    const int status =
        CheckArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor);
    if (status != RESIZE_OK) {
        return status;
    }
    if (interpolation != RESIZE_NEAREST && interpolation != RESIZE_LINEAR &&
        interpolation != RESIZE_CUBIC && interpolation != RESIZE_LANCZOS) {
        return RESIZE_ERR_INTERPOLATION;
    }
    const ResizeJob job =
        MakeJob(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor);
    switch (DowngradeInterpolation(interpolation, srcSize)) {
        case RESIZE_LINEAR:
            return ormidon::resize::RunLinear(job);
        case RESIZE_CUBIC:
            return ormidon::resize::ResizeCubic_8u_C3(job);
        case RESIZE_LANCZOS:
            return ormidon::resize::ResizeLanczos_8u_C3(job);
        default:
            return ormidon::resize::RunNearest(job);
    }
}

int ResizeSuperSample(const std::uint8_t* pSrc, ImageSize srcSize, int srcStep, ImageRect srcRoi,
                      std::uint8_t* pDst, int dstStep, ImageSize dstRoiSize, double xFactor,
                      double yFactor, int interpolation) {
    // Area averaging only reduces; anything else is the general path's to refuse.
    if (!(xFactor <= 1.0 && yFactor <= 1.0)) {
        return ResizeGeneral(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                             yFactor, interpolation);
    }
    const int status =
        CheckArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor);
    if (status != RESIZE_OK) {
        return status;
    }
    return ormidon::resize::ResizeSuperSample_8u_C3(
        MakeJob(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor));
}
