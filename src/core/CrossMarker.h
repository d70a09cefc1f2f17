#pragma once
// The cross marker drawn into a frame to show a point: a 3-pixel-wide cross of
// 17 pixels inside four corner ticks.
#include <cstdint>

// Draws the marker centred on column x and row (height - y) of a frame of
// width x height pixels, 3 bytes each, rows stored bottom up. A pixel is written as
// the colour's low, middle and high byte. Pixels outside the frame are skipped. The
// three unnamed arguments are unused. Returns 1; 0 without a frame.
int DrawCrossMarker(uint8_t* frame, uint16_t width, uint16_t height, uint32_t colour, int,
                    uint16_t x, uint16_t y, int, int);
