#include "SuperSampleHalving.h"

#include <cstdint>
#include <cstring>

#include "WideVectors.h"

#if ORMIDON_RESIZE_HAS_AVX2
#include <immintrin.h>
#endif

namespace ormidon::resize {

namespace {

// The general formula takes the byte of sum * 0.25 + 0.5 toward zero; for sums up to 1020 that
// is exact and equals (sum + 2) >> 2.
void HalveRow(const std::uint8_t* upper, const std::uint8_t* lower, int from, int dstWidth,
              std::uint8_t* out) {
    for (int j = from; j < dstWidth; ++j) {
        const std::uint8_t* u = upper + std::ptrdiff_t{6} * j;
        const std::uint8_t* l = lower + std::ptrdiff_t{6} * j;
        for (int c = 0; c < 3; ++c) {
            const unsigned sum = u[c] + u[3 + c] + l[c] + l[3 + c];
            out[3 * j + c] = static_cast<std::uint8_t>((sum + 2) >> 2);
        }
    }
}

#if ORMIDON_RESIZE_HAS_AVX2

// Two 16-byte loads into the two halves of a vector.
ORMIDON_RESIZE_AVX2 inline __m256i LoadPair(const std::uint8_t* low, const std::uint8_t* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

// The twelve samples of four destination pixels, from their 24 source bytes at p (and, in the
// vector's upper half, of the next four from p + 24), as 16-bit sums of the two samples of each
// box column: eight sums in `first`, four in `second`.
ORMIDON_RESIZE_AVX2 inline void ColumnPairSums(const std::uint8_t* p, __m256i& first,
                                               __m256i& second) {
    constexpr char z = -128;  // a zero word half
    // Sample s of pixel k takes bytes 6k + c and 6k + 3 + c (c = s mod 3).
    const __m256i leftFirst = _mm256_setr_epi8(0, z, 1, z, 2, z, 6, z, 7, z, 8, z, 12, z, 13, z, 0,
                                               z, 1, z, 2, z, 6, z, 7, z, 8, z, 12, z, 13, z);
    const __m256i rightFirst = _mm256_setr_epi8(2, z, 3, z, 4, z, 8, z, 9, z, 10, z, 14, z, 15, z,
                                                2, z, 3, z, 4, z, 8, z, 9, z, 10, z, 14, z, 15, z);
    const __m256i leftSecond = _mm256_setr_epi8(6, z, 10, z, 11, z, 12, z, z, z, z, z, z, z, z, z,
                                                6, z, 10, z, 11, z, 12, z, z, z, z, z, z, z, z, z);
    const __m256i rightSecond = _mm256_setr_epi8(9, z, 13, z, 14, z, 15, z, z, z, z, z, z, z, z, z,
                                                 9, z, 13, z, 14, z, 15, z, z, z, z, z, z, z, z, z);
    const __m256i from0 = LoadPair(p, p + 24);
    const __m256i from1 = LoadPair(p + 1, p + 25);
    const __m256i from8 = LoadPair(p + 8, p + 32);
    first = _mm256_add_epi16(_mm256_shuffle_epi8(from0, leftFirst),
                             _mm256_shuffle_epi8(from1, rightFirst));
    second = _mm256_add_epi16(_mm256_shuffle_epi8(from8, leftSecond),
                              _mm256_shuffle_epi8(from8, rightSecond));
}

// Eight destination pixels at a time; each step reads exactly the 48 bytes of their boxes in
// each row and writes exactly their 24 bytes.
ORMIDON_RESIZE_AVX2
void HalveRowWide(const std::uint8_t* upper, const std::uint8_t* lower, int dstWidth,
                  std::uint8_t* out) {
    const __m256i two = _mm256_set1_epi16(2);
    int j = 0;
    for (; j + 8 <= dstWidth; j += 8) {
        const std::ptrdiff_t at = std::ptrdiff_t{6} * j;
        __m256i upperFirst;
        __m256i upperSecond;
        __m256i lowerFirst;
        __m256i lowerSecond;
        ColumnPairSums(upper + at, upperFirst, upperSecond);
        ColumnPairSums(lower + at, lowerFirst, lowerSecond);
        const __m256i first =
            _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(upperFirst, lowerFirst), two), 2);
        const __m256i second =
            _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(upperSecond, lowerSecond), two), 2);
        // Each half: the twelve bytes of four pixels, then four unused.
        const __m256i bytes = _mm256_packus_epi16(first, second);
        std::uint8_t* o = out + std::ptrdiff_t{3} * j;
        const __m128i low = _mm256_castsi256_si128(bytes);
        const __m128i high = _mm256_extracti128_si256(bytes, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), low);
        const std::int32_t lowTail = _mm_extract_epi32(low, 2);
        std::memcpy(o + 8, &lowTail, 4);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + 12), high);
        const std::int32_t highTail = _mm_extract_epi32(high, 2);
        std::memcpy(o + 20, &highTail, 4);
    }
    HalveRow(upper, lower, j, dstWidth, out);
}

#endif

}  // namespace

bool IsExactHalving(const ResizeJob& job) {
    return job.xFactor == 0.5 && job.yFactor == 0.5 &&
           std::int64_t{job.dstWidth} * 2 <= job.regionWidth &&
           std::int64_t{job.dstHeight} * 2 <= job.regionHeight;
}

void RunHalving(const ResizeJob& job) {
    for (int i = 0; i < job.dstHeight; ++i) {
        const std::uint8_t* upper = job.srcStart + std::ptrdiff_t{2} * i * job.srcStep;
        const std::uint8_t* lower = upper + job.srcStep;
        std::uint8_t* out = job.dst + i * job.dstStep;
#if ORMIDON_RESIZE_HAS_AVX2
        if (WideVectorsInUse()) {
            HalveRowWide(upper, lower, job.dstWidth, out);
            continue;
        }
#endif
        HalveRow(upper, lower, 0, job.dstWidth, out);
    }
}

}  // namespace ormidon::resize
