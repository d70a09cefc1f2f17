#include "settings/MotionGrid.h"

#include <algorithm>

namespace motiongrid {

namespace {

// The byte and bit of a cell: columns 8-15 in the row's first byte, 0-7 in its second.
bool Locate(int cell, std::size_t& byte, uint8_t& bit) {
    if (cell < 0 || cell >= kCells) return false;
    const int row = cell / kColumns;
    const int column = cell % kColumns;
    byte = static_cast<std::size_t>(2 * row + (column >= 8 ? 0 : 1));
    bit = static_cast<uint8_t>(1U << (column % 8));
    return true;
}

bool Fits(std::size_t bytes, int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3 <= bytes;
}

}  // namespace

bool Cell(const Grid& grid, int cell) {
    std::size_t byte = 0;
    uint8_t bit = 0;
    return Locate(cell, byte, bit) && (grid[byte] & bit) != 0;
}

void SetCell(Grid& grid, int cell, bool set) {
    std::size_t byte = 0;
    uint8_t bit = 0;
    if (!Locate(cell, byte, bit)) return;
    grid[byte] = static_cast<uint8_t>(set ? (grid[byte] | bit) : (grid[byte] & ~bit));
}

void ToggleCell(Grid& grid, int cell) { SetCell(grid, cell, !Cell(grid, cell)); }

bool Any(const Grid& grid) {
    return std::any_of(grid.begin(), grid.end(), [](uint8_t b) { return b != 0; });
}

void DrawAreaGrid(std::span<uint8_t> pixels, int width, int height, const Grid& area,
                  const Grid& marks) {
    if (!Fits(pixels.size(), width, height)) return;
    const int cellWidth = width / kColumns;
    const int cellHeight = height / kRows;
    if (cellWidth == 0 || cellHeight == 0) return;
    const auto stride = static_cast<std::size_t>(width) * 3;
    // Rows are counted from the top of the picture; the buffer starts at its bottom.
    const auto pixel = [&](int x, int yFromTop) {
        return pixels.data() + static_cast<std::size_t>(height - 1 - yFromTop) * stride +
               static_cast<std::size_t>(x) * 3;
    };
    for (int cell = 0; cell < kCells; ++cell) {
        const int x0 = (cell % kColumns) * cellWidth;
        const int y0 = (cell / kColumns) * cellHeight;
        const bool leftOut = Cell(area, cell);
        if (leftOut) {
            for (int y = y0; y < y0 + cellHeight; ++y) {
                for (int x = x0; x < x0 + cellWidth; ++x) {
                    uint8_t* p = pixel(x, y);
                    p[0] = static_cast<uint8_t>(p[0] * 155 / 255);
                    p[1] = static_cast<uint8_t>(p[1] * 155 / 255);
                    p[2] = static_cast<uint8_t>(100 + p[2] * 155 / 255);
                }
            }
        }
        const std::array<uint8_t, 3>* frame = nullptr;
        if (Cell(marks, cell)) {
            frame = &kMarkFrame;
        } else if (leftOut) {
            frame = &kAreaFrame;
        }
        if (frame == nullptr) continue;
        const auto paint = [&](int x, int y) {
            std::copy(frame->begin(), frame->end(), pixel(x, y));
        };
        for (int y = y0; y < y0 + cellHeight; ++y) {
            paint(x0, y);
            paint(x0 + cellWidth - 1, y);
        }
        for (int x = x0; x < x0 + cellWidth; ++x) {
            paint(x, y0);
            paint(x, y0 + cellHeight - 1);
        }
    }
}

void HalveWide(std::span<uint8_t> pixels, int& width, int& height, int maxWidth) {
    if (width <= maxWidth || !Fits(pixels.size(), width, height)) return;
    const int newWidth = std::min(maxWidth, width / 2);
    const int newHeight = height / 2;
    const auto stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < newHeight; ++y) {
        // Each target row lies before its source row, so the copy never overtakes it.
        const uint8_t* source = pixels.data() + static_cast<std::size_t>(2 * y) * stride;
        uint8_t* target = pixels.data() + static_cast<std::size_t>(y) * newWidth * 3;
        for (int x = 0; x < newWidth; ++x) {
            const uint8_t* s = source + static_cast<std::size_t>(2 * x) * 3;
            uint8_t* t = target + static_cast<std::size_t>(x) * 3;
            t[0] = s[0];
            t[1] = s[1];
            t[2] = s[2];
        }
    }
    width = newWidth;
    height = newHeight;
}

}  // namespace motiongrid
