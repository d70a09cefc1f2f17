// Linear resize in 14-bit fixed point: each needed source row is resampled horizontally once
// into a line buffer of 1/64 sample units, then two such rows are blended per destination row.

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "AlignedAlloc32.h"
#include "ResizeImage.h"
#include "ResizeJob.h"
#include "ResizeKernels.h"

namespace ormidon::resize {

namespace {

constexpr int kOne = 16384;  // weight 1.0

// Weight of the second of two neighbours at a position past the first.
std::uint16_t FractionWeight(double position, int index) {
    return static_cast<std::uint16_t>(TruncToInt32((position - index) * kOne + 1e-7));
}

// Row offsets and weights. The source's last row has no row below it: it is taken whole as the
// lower of the pair with the row before it. An index past the source (only possible through
// rounding) is held at its last row.
void FillLinearRows(const ResizeJob& job, std::ptrdiff_t* offsets, std::uint16_t* weights) {
    const int lastRow = job.srcHeight - job.regionY - 1;
    AxisWalk walk = InterpolatingAxis(job.yFactor, job.regionHeight);
    for (int i = 0; i < job.dstHeight; ++i) {
        const int index = std::min(SourceIndex(walk.Position()), lastRow);
        if (index == lastRow) {
            offsets[i] = (index - 1) * job.srcStep;
            weights[i] = kOne;
        } else {
            offsets[i] = index * job.srcStep;
            weights[i] = FractionWeight(walk.Position(), index);
        }
        walk.Advance();
    }
}

// Column offsets and weight pairs (left, right), by the same rules as the rows.
void FillLinearColumns(const ResizeJob& job, std::ptrdiff_t* offsets, std::uint16_t* pairs) {
    const int lastCol = job.srcWidth - job.regionX - 1;
    AxisWalk walk = InterpolatingAxis(job.xFactor, job.regionWidth);
    for (int j = 0; j < job.dstWidth; ++j) {
        const int index = std::min(SourceIndex(walk.Position()), lastCol);
        if (index == lastCol) {
            offsets[j] = std::ptrdiff_t{index - 1} * 3;
            pairs[2 * j] = 0;
            pairs[2 * j + 1] = kOne;
        } else {
            const std::uint16_t right = FractionWeight(walk.Position(), index);
            offsets[j] = std::ptrdiff_t{index} * 3;
            pairs[2 * j] = static_cast<std::uint16_t>(kOne - right);
            pairs[2 * j + 1] = right;
        }
        walk.Advance();
    }
}

// True when every destination column takes source column j whole (an x factor of 1.0): the
// horizontal pass then only multiplies by 64, and the blend can read the source bytes directly.
bool ColumnsAreIdentity(int dstWidth, const std::ptrdiff_t* offsets, const std::uint16_t* pairs) {
    for (int j = 0; j < dstWidth; ++j) {
        const std::uint16_t right = pairs[2 * j + 1];
        const std::ptrdiff_t taken = offsets[j] + (right == kOne ? 3 : 0);
        if ((right != 0 && right != kOne) || taken != std::ptrdiff_t{j} * 3) {
            return false;
        }
    }
    return true;
}

// The blend of two rows of whole samples. With line-buffer values of 64 * v the general blend
// (a * 64 * lower + (16384 - a) * 64 * upper + 524288) >> 20 equals
// (a * lower + (16384 - a) * upper + 8192) >> 14, which is what is computed here.
void BlendSourceRows(std::uint8_t* dst, int count, int weight, const std::uint8_t* upper,
                     const std::uint8_t* lower) {
    if (weight == 0) {
        std::memmove(dst, upper, static_cast<std::size_t>(count));
        return;
    }
    if (weight == kOne) {
        std::memmove(dst, lower, static_cast<std::size_t>(count));
        return;
    }
    int k = 0;
#if defined(__SSE2__)
    // In 16 bits: upper + floor((a * d + 8192) / 2^14) with d = lower - upper equals
    // upper + ((floor(a * d / 2^8) + 32) >> 6), and floor(a * d / 2^8) is the high half of
    // (128 * d) * (2 * a), both factors within 16 bits for 0 < a < 16384.
    const __m128i zero = _mm_setzero_si128();
    const __m128i twiceWeight = _mm_set1_epi16(static_cast<short>(2 * weight));
    const __m128i half = _mm_set1_epi16(32);
    for (; k + 16 <= count; k += 16) {
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + k));
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + k));
        __m128i result[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i u = h == 0 ? _mm_unpacklo_epi8(up, zero) : _mm_unpackhi_epi8(up, zero);
            const __m128i l = h == 0 ? _mm_unpacklo_epi8(low, zero) : _mm_unpackhi_epi8(low, zero);
            const __m128i scaled =
                _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(l, u), 7), twiceWeight);
            result[h] = _mm_add_epi16(u, _mm_srai_epi16(_mm_add_epi16(scaled, half), 6));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k),
                         _mm_packus_epi16(result[0], result[1]));
    }
#endif
    const std::uint32_t a = static_cast<std::uint32_t>(weight);
    const std::uint32_t b = kOne - a;
    for (; k < count; ++k) {
        dst[k] = static_cast<std::uint8_t>((a * lower[k] + b * upper[k] + 8192) >> 14);
    }
}

void ResizeLinearIdentityColumns(const ResizeJob& job, const std::ptrdiff_t* rowOffsets,
                                 const std::uint16_t* rowWeights) {
    const int count = job.dstWidth * 3;
    for (int i = 0; i < job.dstHeight; ++i) {
        const std::uint8_t* upper = job.srcStart + rowOffsets[i];
        BlendSourceRows(job.dst + i * job.dstStep, count, rowWeights[i], upper,
                        upper + job.srcStep);
    }
}

}  // namespace

void LinearRowH_8u_C3(const std::uint8_t* row, int dstWidth, const std::ptrdiff_t* colOffsets,
                      const std::uint16_t* colWeights, std::uint16_t* out) {
    for (int j = 0; j < dstWidth; ++j) {
        const std::uint8_t* left = row + colOffsets[j];
        const std::uint32_t w0 = colWeights[2 * j];
        const std::uint32_t w1 = colWeights[2 * j + 1];
        for (int c = 0; c < 3; ++c) {
            out[3 * j + c] =
                static_cast<std::uint16_t>((left[3 + c] * w1 + left[c] * w0 + 128) >> 8);
        }
    }
}

void LinearRowV_8u(std::uint8_t* dst, int count, int rowWeight, const std::uint16_t* upper,
                   const std::uint16_t* lower) {
    int k = 0;
#if defined(__SSE2__)
    // Line-buffer values and both weights fit signed 16 bits, so pairs (lower, upper) times
    // (a, 16384 - a) are summed exactly by one multiply-add into 32 bits.
    const __m128i weights =
        _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(rowWeight) |
                                        (static_cast<std::uint32_t>(kOne - rowWeight) << 16)));
    const __m128i rounding = _mm_set1_epi32(524288);
    for (; k + 16 <= count; k += 16) {
        __m128i words[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + k + 8 * h));
            const __m128i low =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + k + 8 * h));
            const __m128i first = _mm_srai_epi32(
                _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(low, up), weights), rounding), 20);
            const __m128i second = _mm_srai_epi32(
                _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(low, up), weights), rounding), 20);
            words[h] = _mm_packs_epi32(first, second);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_packus_epi16(words[0], words[1]));
    }
#endif
    const std::uint32_t a = static_cast<std::uint32_t>(rowWeight);
    const std::uint32_t b = kOne - a;
    for (; k < count; ++k) {
        dst[k] = static_cast<std::uint8_t>((a * lower[k] + b * upper[k] + 524288) >> 20);
    }
}

void ResizeLinear_8u_C3(const std::uint8_t* srcStart, std::uint8_t* dst, std::ptrdiff_t srcStep,
                        std::ptrdiff_t dstStep, int dstWidth, int dstHeight,
                        const std::ptrdiff_t* rowOffsets, const std::ptrdiff_t* colOffsets,
                        const std::uint16_t* rowWeights, const std::uint16_t* colWeights,
                        std::uint16_t* buffer0, std::uint16_t* buffer1) {
    std::uint16_t* upper = buffer0;
    std::uint16_t* lower = buffer1;
    std::ptrdiff_t windowOffset = 0;  // row offset of the upper buffer
    for (int i = 0; i < dstHeight; ++i) {
        const std::ptrdiff_t offset = rowOffsets[i];
        if (i == 0 || offset - windowOffset > srcStep || offset < windowOffset) {
            LinearRowH_8u_C3(srcStart + offset, dstWidth, colOffsets, colWeights, upper);
            LinearRowH_8u_C3(srcStart + offset + srcStep, dstWidth, colOffsets, colWeights, lower);
        } else if (offset - windowOffset == srcStep) {
            std::swap(upper, lower);
            LinearRowH_8u_C3(srcStart + offset + srcStep, dstWidth, colOffsets, colWeights, lower);
        }
        windowOffset = offset;
        LinearRowV_8u(dst + i * dstStep, dstWidth * 3, rowWeights[i], upper, lower);
    }
}

int RunLinear(const ResizeJob& job) {
    auto rowOffsets = AllocateScratch<std::ptrdiff_t>(job.dstHeight);
    auto colOffsets = AllocateScratch<std::ptrdiff_t>(job.dstWidth);
    auto rowWeights = AllocateScratch<std::uint16_t>(job.dstHeight);
    auto colWeights = AllocateScratch<std::uint16_t>(std::ptrdiff_t{job.dstWidth} * 2);
    const std::ptrdiff_t bufferLength = std::ptrdiff_t{job.dstWidth} * 3 + 12;
    auto buffer0 = AllocateScratch<std::uint16_t>(bufferLength);
    auto buffer1 = AllocateScratch<std::uint16_t>(bufferLength);
    if (!rowOffsets || !colOffsets || !rowWeights || !colWeights || !buffer0 || !buffer1) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillLinearRows(job, rowOffsets.get(), rowWeights.get());
    FillLinearColumns(job, colOffsets.get(), colWeights.get());
    if (ColumnsAreIdentity(job.dstWidth, colOffsets.get(), colWeights.get())) {
        ResizeLinearIdentityColumns(job, rowOffsets.get(), rowWeights.get());
    } else {
        ResizeLinear_8u_C3(job.srcStart, job.dst, job.srcStep, job.dstStep, job.dstWidth,
                           job.dstHeight, rowOffsets.get(), colOffsets.get(), rowWeights.get(),
                           colWeights.get(), buffer0.get(), buffer1.get());
    }
    return RESIZE_OK;
}

}  // namespace ormidon::resize
