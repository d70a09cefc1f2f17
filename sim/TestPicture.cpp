#include "sim/TestPicture.h"

#include <algorithm>
#include <cstring>

namespace ormidon::sim {

namespace {

// 5 x 7 glyphs for "0"-"9", ":", "C" and "H", one byte a row, the low 5 bits from left to
// right.
constexpr uint8_t kGlyphs[13][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},
};

int GlyphOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c == ':') return 10;
    if (c == 'C') return 11;
    if (c == 'H') return 12;
    return -1;
}

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

// White text on a black box whose top-left corner is (x, y); each glyph cell is 6 x 9
// `scale`-pixel squares.
void DrawText(std::vector<uint8_t>& rgb, int width, int height, int x, int y, int scale,
              std::string_view text) {
    const uint8_t kBlack[3] = {0, 0, 0};
    const uint8_t kWhite[3] = {255, 255, 255};
    FillRect(rgb, width, height, x, y, (static_cast<int>(text.size()) * 6 + 2) * scale, 9 * scale,
             kBlack);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int glyph = GlyphOf(text[i]);
        if (glyph < 0) continue;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if ((kGlyphs[glyph][row] >> (4 - col) & 1) == 0) continue;
                FillRect(rgb, width, height, x + (1 + static_cast<int>(i) * 6 + col) * scale,
                         y + (1 + row) * scale, scale, scale, kWhite);
            }
        }
    }
}

}  // namespace

void DrawTestPicture(std::vector<uint8_t>& rgb, int width, int height, uint32_t frame,
                     std::string_view clock, uint8_t channel) {
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
    DrawText(rgb, width, height, 0, 0, scale, clock);
    const char label[5] = {'C', 'H', static_cast<char>('0' + channel / 10 % 10),
                           static_cast<char>('0' + channel % 10), '\0'};
    DrawText(rgb, width, height, width - (4 * 6 + 2) * scale, 0, scale, label);
}

}  // namespace ormidon::sim
