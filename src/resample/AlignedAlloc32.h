#pragma once

// Scratch blocks of the resize routine, aligned to 32 bytes.

#include <cstddef>
#include <cstdint>
#include <memory>

// Returns a block of byteCount bytes whose address is a multiple of 32, or null for a count of
// 0 or less or when the heap refuses.
void* AlignedAlloc32(std::ptrdiff_t byteCount);

// Gives back a block from AlignedAlloc32; does nothing for null.
void AlignedFree32(void* block);

namespace ormidon {

// Makes the calling thread's AlignedAlloc32 refuse every request after the next `successes`
// ones (a negative count lifts the limit). Lets tests reach the out-of-memory paths.
void FailAlignedAllocAfterForTesting(int successes);

struct AlignedFree32Deleter {
    void operator()(void* block) const { AlignedFree32(block); }
};

// One scratch table of count elements of T, released when it goes out of scope.
template <typename T>
using ScratchTable = std::unique_ptr<T[], AlignedFree32Deleter>;

template <typename T>
ScratchTable<T> AllocateScratch(std::ptrdiff_t count) {
    if (count <= 0 || count > PTRDIFF_MAX / static_cast<std::ptrdiff_t>(sizeof(T))) {
        return ScratchTable<T>();
    }
    return ScratchTable<T>(static_cast<T*>(AlignedAlloc32(count * std::ptrdiff_t{sizeof(T)})));
}

}  // namespace ormidon
