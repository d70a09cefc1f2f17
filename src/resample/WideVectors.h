#pragma once

// Hot loops of the resize routine come in two copies on x86-64: one for the baseline
// instruction set and one for AVX2. Both evaluate the same IEEE operations in the same order (no
// fused multiply-adds), so they give the same results. The AVX2 copies run when the processor
// has AVX2, which is found out once, at start-up.

namespace ormidon::resize {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORMIDON_RESIZE_HAS_AVX2 1
#define ORMIDON_RESIZE_AVX2 __attribute__((target("avx2")))
#else
#define ORMIDON_RESIZE_HAS_AVX2 0
#define ORMIDON_RESIZE_AVX2
#endif

// A loop body written once and compiled into each copy that calls it.
#define ORMIDON_RESIZE_BODY inline __attribute__((always_inline))

// True when the AVX2 copies run.
bool WideVectorsInUse();

}  // namespace ormidon::resize

namespace ormidon {

// Runs the baseline copies (false) or, where the processor has AVX2, the AVX2 copies (true), so
// that tests reach both.
void UseWideVectorsForTesting(bool enabled);

}  // namespace ormidon
