#include "WideVectors.h"

#include <atomic>

namespace ormidon::resize {

namespace {

bool ProcessorHasAvx2() {
#if ORMIDON_RESIZE_HAS_AVX2
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

const bool kAvx2Available = ProcessorHasAvx2();
std::atomic<bool> wideVectorsInUse{kAvx2Available};

}  // namespace

bool WideVectorsInUse() { return wideVectorsInUse.load(std::memory_order_relaxed); }

}  // namespace ormidon::resize

namespace ormidon {

void UseWideVectorsForTesting(bool enabled) {
    resize::wideVectorsInUse.store(enabled && resize::kAvx2Available, std::memory_order_relaxed);
}

}  // namespace ormidon
