#include "core/CrossMarker.h"

#include <cstddef>
#include <initializer_list>

namespace {

constexpr int kArm = 8;   // the cross reaches 8 pixels from the centre
constexpr int kTick = 5;  // corner ticks run from 5 to 8 pixels out

struct Frame {
    uint8_t* bytes;
    int width;
    int height;
    uint8_t blue, green, red;

    void Put(int column, int row) const {
        if (column < 0 || column >= width || row < 0 || row >= height) return;
        uint8_t* pixel = bytes + (static_cast<size_t>(row) * width + column) * 3;
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
    }
};

}  // namespace

int DrawCrossMarker(uint8_t* frame, uint16_t width, uint16_t height, uint32_t colour, int,
                    uint16_t x, uint16_t y, int, int) {
    if (!frame) return 0;
    const Frame f{frame,
                  width,
                  height,
                  static_cast<uint8_t>(colour),
                  static_cast<uint8_t>(colour >> 8),
                  static_cast<uint8_t>(colour >> 16)};
    // Signed positions: a marker near an edge reaches past it and is clipped there.
    const int cx = x;
    const int r = static_cast<int>(height) - y;

    for (int d = -kArm; d <= kArm; ++d) {
        for (int w = -1; w <= 1; ++w) {
            f.Put(cx + d, r + w);  // horizontal bar
            f.Put(cx + w, r + d);  // vertical bar
        }
    }
    for (int d = kTick; d <= kArm; ++d) {
        for (int side : {-1, 1}) {
            for (int edge : {-kArm, kArm}) {
                f.Put(cx + side * d, r + edge);  // ticks on the top and bottom rows
                f.Put(cx + edge, r + side * d);  // ticks on the left and right columns
            }
        }
    }
    return 1;
}
