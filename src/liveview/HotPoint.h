#pragma once
// The hot point: while a PTZ camera that supports it is steered, a click into the picture
// names one cell of a 16 x 12 grid laid over it, and the camera turns to that cell. This
// file holds the grid arithmetic, the marker's place and when the hot point is on.
#include <cstdint>
#include <optional>

#include "liveview/LayoutTable.h"

// by_HotPointMode of the application record.
constexpr uint8_t kHotPointOff = 1;
constexpr uint8_t kHotPointOn = 2;

constexpr int kHotPointColumns = 16;
constexpr int kHotPointRows = 12;

struct HotPointTarget {
    uint8_t cell;    // column in the low four bits, row in the high four
    uint16_t markX;  // where the marker goes, in pixels of the video rectangle
    uint16_t markY;
};

// The cell of a click at (x, y) on `reference` (the video rectangle in the window, or the
// work area in full screen, where the 8 pixels along its edges take no clicks), and the
// marker's place in `video`. Nothing when the click lies outside, or the reference is too
// small to hold a grid. A click in the strip that is left over at the right or bottom
// edge counts to the last column or row.
std::optional<HotPointTarget> HotPointAt(const LayoutRect& reference, const LayoutRect& video,
                                         bool fullScreen, int x, int y);

// The hot-point mode while a control device of `kind` is steered: on for the PTZ slave
// kinds ("PTZ SLAVE", "PTZ PELCO"), except on P5xK DVRs with firmware 1035 or newer that
// do not report the capability.
uint8_t HotPointModeForKind(uint8_t kind);
