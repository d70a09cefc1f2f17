#pragma once

// A window of N consecutive resampled source rows kept in line buffers. Moving the window
// keeps the buffers of rows that stay in it and resamples only the rows that enter; buffers
// change places instead of being copied.

#include <array>
#include <cstddef>

#include "AlignedAlloc32.h"

namespace ormidon::resize {

// Allocates the line buffers of a window: three values per destination column, and twelve to
// spare. False when one could not be had.
template <typename T, std::size_t N>
bool AllocateLineBuffers(std::array<ScratchTable<T>, N>& lines, int dstWidth) {
    bool allocated = true;
    for (auto& line : lines) {
        line = AllocateScratch<T>(std::ptrdiff_t{dstWidth} * 3 + 12);
        allocated = allocated && line;
    }
    return allocated;
}

template <typename T, std::size_t N>
class RowWindow {
  public:
    explicit RowWindow(const std::array<ScratchTable<T>, N>& lines) {
        for (std::size_t k = 0; k < N; ++k) {
            buffers_[k] = lines[k].get();
        }
    }

    // Makes the window hold rows first .. first + N - 1; resample(buffer, row) fills a buffer.
    template <typename Resample>
    void MoveTo(int first, Resample&& resample) {
        if (filled_ && first == first_) {
            return;
        }
        constexpr int kRows = static_cast<int>(N);
        std::array<T*, N> moved{};
        std::array<bool, N> kept{};
        for (int r = 0; r < kRows; ++r) {
            const long long from = static_cast<long long>(r) + first - first_;
            if (filled_ && from >= 0 && from < kRows) {
                moved[r] = buffers_[from];
                kept[from] = true;
            }
        }
        int free = 0;
        for (int r = 0; r < kRows; ++r) {
            if (moved[r] != nullptr) {
                continue;
            }
            while (kept[free]) {
                ++free;
            }
            moved[r] = buffers_[free++];
            resample(moved[r], first + r);
        }
        buffers_ = moved;
        first_ = first;
        filled_ = true;
    }

    // Buffer of row first + r.
    T* Row(int r) const { return buffers_[r]; }

  private:
    std::array<T*, N> buffers_{};
    int first_ = 0;
    bool filled_ = false;
};

}  // namespace ormidon::resize
