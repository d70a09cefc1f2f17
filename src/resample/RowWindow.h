#pragma once

// A window of N consecutive resampled source rows kept in line buffers. Moving the window
// keeps the buffers of rows that stay in it and resamples only the rows that enter; buffers
// change places instead of being copied.

#include <array>

namespace ormidon::resize {

template <typename T, int N>
class RowWindow {
  public:
    explicit RowWindow(const std::array<T*, N>& buffers) : buffers_(buffers) {}

    // Makes the window hold rows first .. first + N - 1; resample(buffer, row) fills a buffer.
    // Returns whether anything changed.
    template <typename Resample>
    bool MoveTo(int first, Resample&& resample) {
        if (filled_ && first == first_) {
            return false;
        }
        std::array<T*, N> moved{};
        std::array<bool, N> kept{};
        for (int r = 0; r < N; ++r) {
            const long long from = static_cast<long long>(r) + first - first_;
            if (filled_ && from >= 0 && from < N) {
                moved[r] = buffers_[from];
                kept[from] = true;
            }
        }
        int free = 0;
        for (int r = 0; r < N; ++r) {
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
        return true;
    }

    // Buffer of row first + r.
    T* Row(int r) const { return buffers_[r]; }

  private:
    std::array<T*, N> buffers_;
    int first_ = 0;
    bool filled_ = false;
};

}  // namespace ormidon::resize
