#include "sim/TestPicture.h"

#include <algorithm>
#include <cstring>

namespace ormidon::sim {

namespace {

// 5 x 7 glyphs for "0"-"9" and ":", one byte a row, the low 5 bits from left to right.
constexpr uint8_t kGlyphs[11][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00},
};

// Colour bars: white, yellow, cyan, green, magenta, red, blue, black.
constexpr uint8_t kBars[8][3] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                 {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};

void FillRect(std::vector<uint8_t>& rgb, int width, int height, int x0, int y0, int w, int h,
              const uint8_t (&colour)[3]) {
    const int x1 = std::min(width, x0 + w);
    const int y1 = std::min(height, y0 + h);
    for (int y = std::max(0, y0); y < y1; ++y) {
        uint8_t* row = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = std::max(0, x0); x < x1; ++x) std::memcpy(row + x * 3, colour, 3);
    }
}

}  // namespace

void DrawTestPicture(std::vector<uint8_t>& rgb, int width, int height, uint32_t frame,
                     std::string_view clock) {
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int bar = 0; bar < 8; ++bar) {
        const int x0 = width * bar / 8;
        FillRect(rgb, width, height, x0, 0, width * (bar + 1) / 8 - x0, height, kBars[bar]);
    }
    const int step = std::max(1, width / static_cast<int>(kTestPicturePhases));
    const uint8_t kGrey[3] = {128, 128, 128};
    FillRect(rgb, width, height, static_cast<int>(frame % kTestPicturePhases) * step, height / 2,
             step, height / 2, kGrey);

    const int scale = std::max(1, height / 80);
    const uint8_t kBlack[3] = {0, 0, 0};
    const uint8_t kWhite[3] = {255, 255, 255};
    FillRect(rgb, width, height, 0, 0, (static_cast<int>(clock.size()) * 6 + 2) * scale, 9 * scale,
             kBlack);
    for (std::size_t i = 0; i < clock.size(); ++i) {
        const char c = clock[i];
        const int glyph = c == ':' ? 10 : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (glyph < 0) continue;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if ((kGlyphs[glyph][row] >> (4 - col) & 1) == 0) continue;
                FillRect(rgb, width, height, (1 + static_cast<int>(i) * 6 + col) * scale,
                         (1 + row) * scale, scale, scale, kWhite);
            }
        }
    }
}

}  // namespace ormidon::sim
