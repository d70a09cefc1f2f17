// Nearest-neighbour resize: every destination pixel is a copy of one source pixel.

#include <algorithm>
#include <cstring>

#include "AlignedAlloc32.h"
#include "ResizeImage.h"
#include "ResizeJob.h"
#include "ResizeKernels.h"

namespace ormidon::resize {

namespace {

// Source index of each destination pixel on one axis. An index at or past the end of the
// region (a region that scales to less than half a pixel still yields one pixel) is held at
// the region's last pixel so that it never leaves the source.
template <typename Offset>
void FillNearestOffsets(Offset* offsets, int count, double factor, int regionSize,
                        std::ptrdiff_t unit) {
    AxisWalk walk = NearestAxis(factor);
    for (int k = 0; k < count; ++k) {
        const int index = std::clamp(SourceIndex(walk.Position()), 0, regionSize - 1);
        offsets[k] = static_cast<Offset>(index * unit);
        walk.Advance();
    }
}

void CopyPixel3(std::uint8_t* dst, const std::uint8_t* src) { std::memcpy(dst, src, 3); }

// Copies four bytes where three are wanted: the fourth lands on the next destination pixel,
// which is written afterwards, and is read from the next source pixel of the same row.
void CopyPixel4(std::uint8_t* dst, const std::uint8_t* src) { std::memcpy(dst, src, 4); }

}  // namespace

void ResizeNearest_8u_C3(const std::uint8_t* srcStart, std::uint8_t* dst, std::ptrdiff_t dstStep,
                         int dstWidth, int dstHeight, const std::ptrdiff_t* rowOffsets,
                         const std::ptrdiff_t* colOffsets, int wideCopyColumns) {
    const std::size_t rowBytes = static_cast<std::size_t>(dstWidth) * 3;
    for (int i = 0; i < dstHeight; ++i) {
        std::uint8_t* out = dst + i * dstStep;
        // Rows taken from the same source row are equal: copy the one already made.
        if (i > 0 && rowOffsets[i] == rowOffsets[i - 1]) {
            std::memmove(out, out - dstStep, rowBytes);
            continue;
        }
        const std::uint8_t* row = srcStart + rowOffsets[i];
        int j = 0;
        for (; j < wideCopyColumns; ++j) {
            CopyPixel4(out + 3 * j, row + colOffsets[j]);
        }
        for (; j < dstWidth; ++j) {
            CopyPixel3(out + 3 * j, row + colOffsets[j]);
        }
    }
}

int RunNearest(const ResizeJob& job) {
    auto rowOffsets = AllocateScratch<std::ptrdiff_t>(job.dstHeight);
    auto colOffsets = AllocateScratch<std::ptrdiff_t>(job.dstWidth);
    if (!rowOffsets || !colOffsets) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillNearestOffsets(rowOffsets.get(), job.dstHeight, job.yFactor, job.regionHeight, job.srcStep);
    FillNearestOffsets(colOffsets.get(), job.dstWidth, job.xFactor, job.regionWidth, 3);

    // Four-byte copies are safe while the source pixel is not the last of its row and the
    // destination pixel not the last of the row; offsets only grow, so these columns come first.
    const std::ptrdiff_t lastSourceColumn = std::ptrdiff_t{job.srcWidth - job.regionX - 1} * 3;
    int wideCopyColumns = 0;
    while (wideCopyColumns < job.dstWidth - 1 && colOffsets[wideCopyColumns] < lastSourceColumn) {
        ++wideCopyColumns;
    }
    ResizeNearest_8u_C3(job.srcStart, job.dst, job.dstStep, job.dstWidth, job.dstHeight,
                        rowOffsets.get(), colOffsets.get(), wideCopyColumns);
    return RESIZE_OK;
}

}  // namespace ormidon::resize
