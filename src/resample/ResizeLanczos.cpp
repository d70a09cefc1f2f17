// Lanczos-3 resize: six taps per axis with weights from the sampled kernel, first along each
// needed source row (into single-precision line buffers), then down a window of six such rows.
// Taps outside the source read its nearest edge column or row.

#include <algorithm>
#include <array>
#include <cmath>

#include "AlignedAlloc32.h"
#include "ResizeImage.h"
#include "ResizeJob.h"
#include "ResizeKernels.h"
#include "RowWindow.h"
#include "WideVectors.h"

namespace ormidon::resize {

namespace {

constexpr int kTaps = 6;

// One axis: the index and the fraction of each destination pixel. An index far past the source
// (only possible through rounding) is held where all six taps already read the last pixel, which
// leaves the result as it is.
void FillLanczosAxis(int count, double factor, int regionSize, int origin, int sourceSize,
                     int* indices, float* fractions) {
    const int heldIndex = sourceSize - origin + 1;
    AxisWalk walk = InterpolatingAxis(factor, regionSize);
    for (int k = 0; k < count; ++k) {
        const int index = SourceIndex(walk.Position());
        fractions[k] = static_cast<float>(walk.Position() - index);
        indices[k] = std::min(index, heldIndex);
        walk.Advance();
    }
}

// The tables of the Lanczos mode.
struct LanczosTables {
    ScratchTable<int> rowIndices;
    ScratchTable<float> rowFractions;
    ScratchTable<float> rowWeights;
    ScratchTable<int> colIndices;
    ScratchTable<float> colFractions;
    ScratchTable<float> colWeights;
    ScratchTable<std::ptrdiff_t> colTaps;  // byte offset of each tap's column, clamped
    std::array<ScratchTable<float>, kTaps> lines;
};

void FillColumnTaps(const ResizeJob& job, const int* indices, std::ptrdiff_t* taps) {
    for (int j = 0; j < job.dstWidth; ++j) {
        for (int t = 0; t < kTaps; ++t) {
            const int column = std::clamp(job.regionX + indices[j] + t - 2, 0, job.srcWidth - 1);
            taps[kTaps * j + t] = std::ptrdiff_t{column} * 3;
        }
    }
}

// Horizontal pass of one source row (row points to the row's first pixel of the image).
void LanczosRowH_8u_C3(const std::uint8_t* row, int dstWidth, const std::ptrdiff_t* taps,
                       const float* weights, float* out) {
    for (int j = 0; j < dstWidth; ++j) {
        const std::ptrdiff_t* o = taps + kTaps * j;
        const float* w = weights + kTaps * j;
        for (int c = 0; c < 3; ++c) {
            double sum = static_cast<double>(w[0]) * row[o[0] + c];
            for (int t = 1; t < kTaps; ++t) {
                sum += static_cast<double>(w[t]) * row[o[t] + c];
            }
            out[3 * j + c] = static_cast<float>(sum);
        }
    }
}

// Vertical pass: one destination row from the six rows of the window.
ORMIDON_RESIZE_BODY void LanczosRowV_8u(std::uint8_t* dst, int count, const float* weights,
                                        const std::array<const float*, kTaps>& rows) {
    const double w0 = weights[0];
    const double w1 = weights[1];
    const double w2 = weights[2];
    const double w3 = weights[3];
    const double w4 = weights[4];
    const double w5 = weights[5];
    const float* r0 = rows[0];
    const float* r1 = rows[1];
    const float* r2 = rows[2];
    const float* r3 = rows[3];
    const float* r4 = rows[4];
    const float* r5 = rows[5];
    for (int k = 0; k < count; ++k) {
        const double value =
            w0 * r0[k] + w1 * r1[k] + w2 * r2[k] + w3 * r3[k] + w4 * r4[k] + w5 * r5[k] + 1e-7;
        // Clamping before the conversion gives the same byte as truncating and then clamping.
        dst[k] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    }
}

void LanczosRowVBaseline(std::uint8_t* dst, int count, const float* weights,
                         const std::array<const float*, kTaps>& rows) {
    LanczosRowV_8u(dst, count, weights, rows);
}

#if ORMIDON_RESIZE_HAS_AVX2
ORMIDON_RESIZE_AVX2 void LanczosRowVWide(std::uint8_t* dst, int count, const float* weights,
                                         const std::array<const float*, kTaps>& rows) {
    LanczosRowV_8u(dst, count, weights, rows);
}
#endif

void LanczosRowVCopy(std::uint8_t* dst, int count, const float* weights,
                     const std::array<const float*, kTaps>& rows) {
#if ORMIDON_RESIZE_HAS_AVX2
    if (WideVectorsInUse()) {
        LanczosRowVWide(dst, count, weights, rows);
        return;
    }
#endif
    LanczosRowVBaseline(dst, count, weights, rows);
}

}  // namespace

void LanczosWeights6(const float* fractions, int count, float* weights) {
    const float* table = LanczosKernelTable;
    for (int k = 0; k < count; ++k) {
        for (int j = 0; j < kTaps; ++j) {
            const double x = (j - 2) - static_cast<double>(fractions[k]);
            double weight = 0.0;
            if (x > -3.0 && x < 3.0) {
                const double u = 100.0 * std::fabs(x);
                // u < 300; the bound only guards against rounding up to 300, where the
                // interpolation from entry 299 gives the same 0.
                const int m = std::min(static_cast<int>(u), 299);
                weight = table[m] + (static_cast<double>(table[m + 1]) - table[m]) * (u - m);
            }
            weights[kTaps * k + j] = static_cast<float>(weight);
        }
    }
}

int ResizeLanczos_8u_C3(const ResizeJob& job) {
    LanczosTables tables;
    tables.rowIndices = AllocateScratch<int>(job.dstHeight);
    tables.rowFractions = AllocateScratch<float>(job.dstHeight);
    tables.rowWeights = AllocateScratch<float>(std::ptrdiff_t{job.dstHeight} * kTaps);
    tables.colIndices = AllocateScratch<int>(job.dstWidth);
    tables.colFractions = AllocateScratch<float>(job.dstWidth);
    tables.colWeights = AllocateScratch<float>(std::ptrdiff_t{job.dstWidth} * kTaps);
    tables.colTaps = AllocateScratch<std::ptrdiff_t>(std::ptrdiff_t{job.dstWidth} * kTaps);
    const bool allocated = tables.rowIndices && tables.rowFractions && tables.rowWeights &&
                           tables.colIndices && tables.colFractions && tables.colWeights &&
                           tables.colTaps;
    if (!AllocateLineBuffers(tables.lines, job.dstWidth) || !allocated) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillLanczosAxis(job.dstHeight, job.yFactor, job.regionHeight, job.regionY, job.srcHeight,
                    tables.rowIndices.get(), tables.rowFractions.get());
    FillLanczosAxis(job.dstWidth, job.xFactor, job.regionWidth, job.regionX, job.srcWidth,
                    tables.colIndices.get(), tables.colFractions.get());
    LanczosWeights6(tables.rowFractions.get(), job.dstHeight, tables.rowWeights.get());
    LanczosWeights6(tables.colFractions.get(), job.dstWidth, tables.colWeights.get());
    FillColumnTaps(job, tables.colIndices.get(), tables.colTaps.get());

    // The image's first pixel: taps are clamped in absolute rows and columns.
    const std::uint8_t* image =
        job.srcStart - job.regionY * job.srcStep - static_cast<std::ptrdiff_t>(job.regionX) * 3;
    RowWindow window(tables.lines);
    const auto resampleRow = [&](float* line, int row) {
        const int absolute = std::clamp(job.regionY + row, 0, job.srcHeight - 1);
        LanczosRowH_8u_C3(image + absolute * job.srcStep, job.dstWidth, tables.colTaps.get(),
                          tables.colWeights.get(), line);
    };
    for (int i = 0; i < job.dstHeight; ++i) {
        window.MoveTo(tables.rowIndices[i] - 2, resampleRow);
        LanczosRowVCopy(job.dst + i * job.dstStep, job.dstWidth * 3,
                        tables.rowWeights.get() + std::ptrdiff_t{kTaps} * i,
                        {window.Row(0), window.Row(1), window.Row(2), window.Row(3), window.Row(4),
                         window.Row(5)});
    }
    return RESIZE_OK;
}

}  // namespace ormidon::resize
