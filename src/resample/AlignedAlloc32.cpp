#include "AlignedAlloc32.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::ptrdiff_t kAlignment = 32;
// The heap block's own address is kept just below the address handed out.
constexpr std::ptrdiff_t kHeaderSize = sizeof(void*);

thread_local int allocationsBeforeFailure = -1;

}  // namespace

void ormidon::FailAlignedAllocAfterForTesting(int successes) {
    allocationsBeforeFailure = successes;
}

void* AlignedAlloc32(std::ptrdiff_t byteCount) {
    if (byteCount <= 0 || byteCount > PTRDIFF_MAX - kAlignment - kHeaderSize) {
        return nullptr;
    }
    if (allocationsBeforeFailure == 0) {
        return nullptr;
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    void* block = std::malloc(static_cast<std::size_t>(byteCount + kAlignment + kHeaderSize));
    if (block == nullptr) {
        return nullptr;
    }
    // The first multiple of 32 that leaves room for the header below it.
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t aligned = (start + kHeaderSize + kAlignment - 1) & ~std::uintptr_t{31};
    void* result = reinterpret_cast<void*>(aligned);
    std::memcpy(static_cast<char*>(result) - kHeaderSize, &block, sizeof(block));
    return result;
}

void AlignedFree32(void* block) {
    if (block == nullptr) {
        return;
    }
    void* heapBlock = nullptr;
    std::memcpy(&heapBlock, static_cast<char*>(block) - kHeaderSize, sizeof(heapBlock));
    std::free(heapBlock);
}
