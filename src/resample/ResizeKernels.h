#pragma once

// The per-mode kernels of the resize routine. They work on tables that the mode's Run function
// has built for the call and cannot fail.

#include <cstddef>
#include <cstdint>

namespace ormidon::resize {

// Nearest: copies the pixel at srcStart + rowOffsets[i] + colOffsets[j]. The first
// wideCopyColumns columns may be copied four bytes at a time.
void ResizeNearest_8u_C3(const std::uint8_t* srcStart, std::uint8_t* dst, std::ptrdiff_t dstStep,
                         int dstWidth, int dstHeight, const std::ptrdiff_t* rowOffsets,
                         const std::ptrdiff_t* colOffsets, int wideCopyColumns);

// Linear, 14-bit weights; line buffers hold 1/64 units of a sample.
void ResizeLinear_8u_C3(const std::uint8_t* srcStart, std::uint8_t* dst, std::ptrdiff_t srcStep,
                        std::ptrdiff_t dstStep, int dstWidth, int dstHeight,
                        const std::ptrdiff_t* rowOffsets, const std::ptrdiff_t* colOffsets,
                        const std::uint16_t* rowWeights, const std::uint16_t* colWeights,
                        std::uint16_t* buffer0, std::uint16_t* buffer1);
void LinearRowH_8u_C3(const std::uint8_t* row, int dstWidth, const std::ptrdiff_t* colOffsets,
                      const std::uint16_t* colWeights, std::uint16_t* out);
void LinearRowV_8u(std::uint8_t* dst, int count, int rowWeight, const std::uint16_t* upper,
                   const std::uint16_t* lower);

// Lanczos-3 kernel sampled at hundredths: entry i is L(i / 100), 301 entries.
extern const float LanczosKernelTable[301];

// Six weights per entry for the taps at index - 2 .. index + 3 of a fraction.
void LanczosWeights6(const float* fractions, int count, float* weights);

}  // namespace ormidon::resize
