// Cubic resize: the cubic polynomial through four neighbours, in Newton form, first along each
// needed source row (into single-precision line buffers), then down a window of four such rows.
//
// The value at fraction t of P-1, P0, P1, P2 is b * D1 + ((P-1 + d * D3) + c * D2) with
// b = t + 1, c = t (t + 1) / 2, d = c (t - 1) / 3 and the differences D1 = P0 - P-1,
// D2 = (P1 - P0) - D1, D3 = (P0 - 2 P1 + P2) - D2, all in double precision in this order. Along
// a row the differences depend on the source columns only and the coefficients on the
// destination column only, so both are made once per row and per call and shared.

#include <algorithm>
#include <array>
#include <cstring>

#include "AlignedAlloc32.h"
#include "ResizeImage.h"
#include "ResizeJob.h"
#include "ResizeKernels.h"
#include "RowWindow.h"
#include "WideVectors.h"

#if ORMIDON_RESIZE_HAS_AVX2
#include <immintrin.h>
#endif

namespace ormidon::resize {

namespace {

struct CubicCoefficients {
    double b;
    double c;
    double d;
};

CubicCoefficients CoefficientsAt(float fraction) {
    const double t = fraction;
    const double c = t * (t + 1.0) * 0.5;
    return {t + 1.0, c, c * (t - 1.0) / 3.0};
}

// Newton differences of four neighbours.
struct CubicDifferences {
    double first;  // P-1
    double d1;
    double d2;
    double d3;
};

// One axis: the base (second of the four taps, relative to the region) and the fraction of each
// destination pixel. Near the source's edges the base moves inward so that the four taps stay
// inside the source; the fraction then runs from -1 (first pixel) to 2 (last pixel).
void FillCubicAxis(int count, double factor, int regionSize, int origin, int sourceSize, int* bases,
                   float* fractions) {
    const int lastIndex = sourceSize - origin - 1;
    AxisWalk walk = InterpolatingAxis(factor, regionSize);
    for (int k = 0; k < count; ++k) {
        const double position = walk.Position();
        const int index = std::min(SourceIndex(position), lastIndex);
        const int absolute = origin + index;
        if (absolute == sourceSize - 1) {
            bases[k] = index - 2;
            fractions[k] = 2.0f;
        } else {
            int base = index;
            if (absolute == 0) {
                base = index + 1;
            } else if (absolute == sourceSize - 2) {
                base = index - 1;
            }
            bases[k] = base;
            fractions[k] = static_cast<float>(position - base);
        }
        walk.Advance();
    }
}

// Differences of every sample of a source row, for bases firstBase .. lastBase (columns
// relative to the region). Integer samples make the differences exact.
void RowDifferences(const std::uint8_t* row, int firstBase, int lastBase, CubicDifferences* out) {
    const std::uint8_t* p = row + std::ptrdiff_t{firstBase} * 3;
    const int count = (lastBase - firstBase + 1) * 3;
    for (int k = 0; k < count; ++k) {
        const int pm1 = p[k - 3];
        const int p0 = p[k];
        const int p1 = p[k + 3];
        const int p2 = p[k + 6];
        const int d1 = p0 - pm1;
        const int d2 = (p1 - p0) - d1;
        const int d3 = (p0 - 2 * p1 + p2) - d2;
        out[k] = {static_cast<double>(pm1), static_cast<double>(d1), static_cast<double>(d2),
                  static_cast<double>(d3)};
    }
}

// The per-call tables of the cubic mode.
struct CubicTables {
    ScratchTable<int> rowBases;
    ScratchTable<float> rowFractions;
    ScratchTable<int> colBases;
    ScratchTable<float> colFractions;
    ScratchTable<CubicCoefficients> colCoefficients;
    ScratchTable<CubicDifferences> rowDifferences;  // one source row's columns
    ScratchTable<double> wideDifferences;           // the same, four vectors per column
    std::array<ScratchTable<float>, 4> lines;       // resampled rows base - 1 .. base + 2
    int firstBase = 0;                              // column bases span firstBase .. lastBase
    int lastBase = 0;
};

// Horizontal pass, baseline copy: the differences of the row's samples are made once and
// shared by the destination columns that use them.
void CubicRowH_8u_C3(const CubicTables& tables, int dstWidth, const std::uint8_t* row, float* out) {
    RowDifferences(row, tables.firstBase, tables.lastBase, tables.rowDifferences.get());
    for (int j = 0; j < dstWidth; ++j) {
        const CubicCoefficients& k = tables.colCoefficients[j];
        const CubicDifferences* d =
            &tables.rowDifferences[std::ptrdiff_t{tables.colBases[j] - tables.firstBase} * 3];
        for (int c = 0; c < 3; ++c) {
            out[3 * j + c] =
                static_cast<float>(k.b * d[c].d1 + ((d[c].first + k.d * d[c].d3) + k.c * d[c].d2));
        }
    }
}

// Vertical pass, baseline copy: one destination row from the window of four resampled rows; d
// is rounded to single precision in this pass.
void CubicRowV_8u(std::uint8_t* dst, int count, float fraction, const float* pm1, const float* p0,
                  const float* p1, const float* p2) {
    const double t = fraction;
    const double b = t + 1.0;
    const double c = t * (t + 1.0) * 0.5;
    const double d = static_cast<float>(c * (t - 1.0) / 3.0);
    for (int k = 0; k < count; ++k) {
        const double first = pm1[k];
        const double d1 = static_cast<double>(p0[k]) - first;
        const double d2 = (static_cast<double>(p1[k]) - p0[k]) - d1;
        const double d3 = ((static_cast<double>(p0[k]) - 2.0 * p1[k]) + p2[k]) - d2;
        const double value = b * d1 + ((first + d * d3) + c * d2) + 1e-7;
        // Clamping before the conversion gives the same byte as truncating and then clamping.
        dst[k] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    }
}

#if ORMIDON_RESIZE_HAS_AVX2

// The Newton differences of the three channels of the pixel at p (its first tap), in the lanes
// of four vectors (the fourth lane is not used). The differences are the baseline's integers.
struct WideDifferences {
    __m256d first;
    __m256d d1;
    __m256d d2;
    __m256d d3;
};

ORMIDON_RESIZE_AVX2 inline WideDifferences PixelDifferencesWide(const std::uint8_t* p) {
    // Exactly the twelve bytes of the four taps are read.
    std::int32_t tail = 0;
    std::memcpy(&tail, p + 8, 4);
    const __m128i bytes =
        _mm_insert_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), tail, 2);
    const __m128i pm1 = _mm_cvtepu8_epi32(bytes);
    const __m128i p0 = _mm_cvtepu8_epi32(_mm_srli_si128(bytes, 3));
    const __m128i p1 = _mm_cvtepu8_epi32(_mm_srli_si128(bytes, 6));
    const __m128i p2 = _mm_cvtepu8_epi32(_mm_srli_si128(bytes, 9));
    const __m128i d1 = _mm_sub_epi32(p0, pm1);
    const __m128i d2 = _mm_sub_epi32(_mm_sub_epi32(p1, p0), d1);
    const __m128i d3 =
        _mm_sub_epi32(_mm_add_epi32(_mm_sub_epi32(p0, _mm_add_epi32(p1, p1)), p2), d2);
    return {_mm256_cvtepi32_pd(pm1), _mm256_cvtepi32_pd(d1), _mm256_cvtepi32_pd(d2),
            _mm256_cvtepi32_pd(d3)};
}

// The baseline's double operations, in its order, and the rounding to single precision. The
// fourth float lands on the next pixel's first sample (or the buffer's spare room) and is
// overwritten.
ORMIDON_RESIZE_AVX2 inline void StorePixelWide(const CubicCoefficients& k, __m256d first,
                                               __m256d d1, __m256d d2, __m256d d3, float* out) {
    const __m256d value =
        _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(k.b), d1),
                      _mm256_add_pd(_mm256_add_pd(first, _mm256_mul_pd(_mm256_set1_pd(k.d), d3)),
                                    _mm256_mul_pd(_mm256_set1_pd(k.c), d2)));
    _mm_storeu_ps(out, _mm256_cvtpd_ps(value));
}

// Horizontal pass, AVX2 copy for reductions: each destination pixel reads its own taps.
ORMIDON_RESIZE_AVX2
void CubicRowHWide(const CubicTables& tables, int dstWidth, const std::uint8_t* row, float* out) {
    const int* bases = tables.colBases.get();
    const CubicCoefficients* coefficients = tables.colCoefficients.get();
    for (int j = 0; j < dstWidth; ++j) {
        const WideDifferences d = PixelDifferencesWide(row + std::ptrdiff_t{bases[j] - 1} * 3);
        StorePixelWide(coefficients[j], d.first, d.d1, d.d2, d.d3, out + std::ptrdiff_t{3} * j);
    }
}

// Horizontal pass, AVX2 copy for enlargements, where destination pixels outnumber the source
// pixels they use: the differences of each source pixel are made once, then shared.
ORMIDON_RESIZE_AVX2
void CubicRowHWideShared(const CubicTables& tables, int dstWidth, const std::uint8_t* row,
                         float* out) {
    double* shared = tables.wideDifferences.get();
    for (int base = tables.firstBase; base <= tables.lastBase; ++base) {
        const WideDifferences d = PixelDifferencesWide(row + std::ptrdiff_t{base - 1} * 3);
        double* entry = shared + std::ptrdiff_t{16} * (base - tables.firstBase);
        _mm256_store_pd(entry, d.first);
        _mm256_store_pd(entry + 4, d.d1);
        _mm256_store_pd(entry + 8, d.d2);
        _mm256_store_pd(entry + 12, d.d3);
    }
    const int* bases = tables.colBases.get();
    const CubicCoefficients* coefficients = tables.colCoefficients.get();
    for (int j = 0; j < dstWidth; ++j) {
        const double* entry = shared + std::ptrdiff_t{16} * (bases[j] - tables.firstBase);
        StorePixelWide(coefficients[j], _mm256_load_pd(entry), _mm256_load_pd(entry + 4),
                       _mm256_load_pd(entry + 8), _mm256_load_pd(entry + 12),
                       out + std::ptrdiff_t{3} * j);
    }
}

// The vertical pass on four samples, before the conversion to bytes.
ORMIDON_RESIZE_AVX2 inline __m256d CubicColumnWide(__m256d b, __m256d c, __m256d d, __m128 pm1,
                                                   __m128 p0, __m128 p1, __m128 p2) {
    const __m256d first = _mm256_cvtps_pd(pm1);
    const __m256d q0 = _mm256_cvtps_pd(p0);
    const __m256d q1 = _mm256_cvtps_pd(p1);
    const __m256d d1 = _mm256_sub_pd(q0, first);
    const __m256d d2 = _mm256_sub_pd(_mm256_sub_pd(q1, q0), d1);
    const __m256d d3 =
        _mm256_sub_pd(_mm256_add_pd(_mm256_sub_pd(q0, _mm256_mul_pd(_mm256_set1_pd(2.0), q1)),
                                    _mm256_cvtps_pd(p2)),
                      d2);
    return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(b, d1),
                                       _mm256_add_pd(_mm256_add_pd(first, _mm256_mul_pd(d, d3)),
                                                     _mm256_mul_pd(c, d2))),
                         _mm256_set1_pd(1e-7));
}

// Vertical pass, AVX2 copy: sixteen samples at a time, the rest by the baseline loop. Values
// stay below 2^17 in magnitude (fractions lie in -1 .. 2), so truncating to 32 bits and then
// saturating to 16 bits and to bytes gives the baseline's clamped byte.
ORMIDON_RESIZE_AVX2
void CubicRowVWide(std::uint8_t* dst, int count, float fraction, const float* pm1, const float* p0,
                   const float* p1, const float* p2) {
    const double t = fraction;
    const __m256d b = _mm256_set1_pd(t + 1.0);
    const double cScalar = t * (t + 1.0) * 0.5;
    const __m256d c = _mm256_set1_pd(cScalar);
    const __m256d d = _mm256_set1_pd(static_cast<float>(cScalar * (t - 1.0) / 3.0));
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        __m128i words[2];
        for (int h = 0; h < 2; ++h) {
            const int at = k + 8 * h;
            const __m128i low = _mm256_cvttpd_epi32(
                CubicColumnWide(b, c, d, _mm_loadu_ps(pm1 + at), _mm_loadu_ps(p0 + at),
                                _mm_loadu_ps(p1 + at), _mm_loadu_ps(p2 + at)));
            const __m128i high = _mm256_cvttpd_epi32(
                CubicColumnWide(b, c, d, _mm_loadu_ps(pm1 + at + 4), _mm_loadu_ps(p0 + at + 4),
                                _mm_loadu_ps(p1 + at + 4), _mm_loadu_ps(p2 + at + 4)));
            words[h] = _mm_packs_epi32(low, high);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_packus_epi16(words[0], words[1]));
    }
    CubicRowV_8u(dst + k, count - k, fraction, pm1 + k, p0 + k, p1 + k, p2 + k);
}

#endif

void CubicRowHCopy(const CubicTables& tables, int dstWidth, const std::uint8_t* row, float* out) {
#if ORMIDON_RESIZE_HAS_AVX2
    if (WideVectorsInUse()) {
        if (dstWidth > tables.lastBase - tables.firstBase) {
            CubicRowHWideShared(tables, dstWidth, row, out);
        } else {
            CubicRowHWide(tables, dstWidth, row, out);
        }
        return;
    }
#endif
    CubicRowH_8u_C3(tables, dstWidth, row, out);
}

void CubicRowVCopy(std::uint8_t* dst, int count, float fraction, const float* pm1, const float* p0,
                   const float* p1, const float* p2) {
#if ORMIDON_RESIZE_HAS_AVX2
    if (WideVectorsInUse()) {
        CubicRowVWide(dst, count, fraction, pm1, p0, p1, p2);
        return;
    }
#endif
    CubicRowV_8u(dst, count, fraction, pm1, p0, p1, p2);
}

}  // namespace

int ResizeCubic_8u_C3(const ResizeJob& job) {
    CubicTables tables;
    tables.rowBases = AllocateScratch<int>(job.dstHeight);
    tables.rowFractions = AllocateScratch<float>(job.dstHeight);
    tables.colBases = AllocateScratch<int>(job.dstWidth);
    tables.colFractions = AllocateScratch<float>(job.dstWidth);
    tables.colCoefficients = AllocateScratch<CubicCoefficients>(job.dstWidth);
    const bool allocated = tables.rowBases && tables.rowFractions && tables.colBases &&
                           tables.colFractions && tables.colCoefficients;
    if (!AllocateLineBuffers(tables.lines, job.dstWidth) || !allocated) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillCubicAxis(job.dstHeight, job.yFactor, job.regionHeight, job.regionY, job.srcHeight,
                  tables.rowBases.get(), tables.rowFractions.get());
    FillCubicAxis(job.dstWidth, job.xFactor, job.regionWidth, job.regionX, job.srcWidth,
                  tables.colBases.get(), tables.colFractions.get());
    // Bases only grow along an axis.
    tables.firstBase = tables.colBases[0];
    tables.lastBase = tables.colBases[job.dstWidth - 1];
    for (int j = 0; j < job.dstWidth; ++j) {
        tables.colCoefficients[j] = CoefficientsAt(tables.colFractions[j]);
    }
    const std::ptrdiff_t span = std::ptrdiff_t{tables.lastBase} - tables.firstBase + 1;
    tables.rowDifferences = AllocateScratch<CubicDifferences>(span * 3);
    tables.wideDifferences = AllocateScratch<double>(span * 16);
    if (!tables.rowDifferences || !tables.wideDifferences) {
        return RESIZE_ERR_NO_MEMORY;
    }

    RowWindow window(tables.lines);
    const int count = job.dstWidth * 3;
    for (int i = 0; i < job.dstHeight; ++i) {
        window.MoveTo(tables.rowBases[i] - 1, [&](float* line, int row) {
            CubicRowHCopy(tables, job.dstWidth, job.srcStart + row * job.srcStep, line);
        });
        CubicRowVCopy(job.dst + i * job.dstStep, count, tables.rowFractions[i], window.Row(0),
                      window.Row(1), window.Row(2), window.Row(3));
    }
    return RESIZE_OK;
}

}  // namespace ormidon::resize
