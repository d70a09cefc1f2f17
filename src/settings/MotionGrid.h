#pragma once
// The motion-detection area of one channel: 16 columns by 12 rows of cells in 24 bytes,
// row r in bytes 2r and 2r+1 as a big-endian word whose bit c is column c. A set bit is a
// cell left out of detection. Also the drawing of the grid over a 24-bit bottom-up picture
// and the halving of a picture wider than the preview. No window code here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace motiongrid {

inline constexpr int kColumns = 16;
inline constexpr int kRows = 12;
inline constexpr int kCells = kColumns * kRows;
inline constexpr std::size_t kBytes = 24;
using Grid = std::array<uint8_t, kBytes>;

// Cell index row * 16 + column; false for a cell outside the grid.
bool Cell(const Grid& grid, int cell);
void SetCell(Grid& grid, int cell, bool set);
void ToggleCell(Grid& grid, int cell);
bool Any(const Grid& grid);

// Colours as blue, green, red.
inline constexpr std::array<uint8_t, 3> kMarkFrame = {255, 0, 0};
inline constexpr std::array<uint8_t, 3> kAreaFrame = {0, 255, 255};

// Draws the grid over `pixels`, a bottom-up picture of `width` x `height` 24-bit pixels
// (rows of width x 3 bytes): left-out cells tinted towards red and framed yellow, marked
// cells framed blue. Nothing when the picture does not fit the bytes given.
void DrawAreaGrid(std::span<uint8_t> pixels, int width, int height, const Grid& area,
                  const Grid& marks);

// Halves a picture wider than `maxWidth` in place: every second pixel of every second line,
// at most `maxWidth` pixels a row. Updates width and height; nothing for a narrower picture
// or one that does not fit the bytes given.
void HalveWide(std::span<uint8_t> pixels, int& width, int& height, int maxWidth);

}  // namespace motiongrid
