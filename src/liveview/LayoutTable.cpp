#include "liveview/LayoutTable.h"

#include <array>

#include "core/DisplayMode.h"

namespace {

// What the modes of one picture class share; only the video and status rectangles
// differ between the families.
struct ClassGeometry {
    LayoutRect window;
    LayoutRect windowPanel;
    int powerRight;
    int powerTop;
    LayoutBox panelOpen;
    LayoutBox panelClose;
    int titleLeft;
    QPoint overlay;
    LayoutRect statusIcon;
};

// NTSC large, PAL large, NTSC small (and smallest), PAL small (and smallest).
constexpr ClassGeometry kNtscLarge = {{0, 0, 722, 608},   {0, 0, 722, 680},   584, 34,
                                      {345, 571, 32, 32}, {345, 643, 32, 32}, 663, {542, 7},
                                      {685, 65, 698, 81}};
constexpr ClassGeometry kPalLarge = {{0, 0, 722, 705},   {0, 0, 722, 776},   584, 34,
                                     {345, 668, 32, 32}, {345, 740, 32, 32}, 663, {542, 7},
                                     {685, 65, 698, 81}};
constexpr ClassGeometry kNtscSmall = {{0, 0, 370, 366},   {0, 0, 370, 461},   232, 35,
                                      {166, 329, 32, 32}, {166, 424, 32, 32}, 311, {190, 7},
                                      {333, 65, 346, 81}};
constexpr ClassGeometry kPalSmall = {{0, 0, 370, 414},   {0, 0, 370, 509},   232, 35,
                                     {166, 377, 32, 32}, {166, 472, 32, 32}, 311, {190, 7},
                                     {333, 65, 346, 81}};

LayoutMode_Struct Row(const ClassGeometry& g, LayoutRect video, LayoutRect status) {
    LayoutMode_Struct row{};
    row.rcWindow = g.window;
    row.rcWindowPanel = g.windowPanel;
    row.rcBackground = g.window;
    row.rcVideo = video;
    row.rcStatus = status;
    row.powerWidth = 26;
    row.powerHeight = 26;
    row.powerRight = g.powerRight;
    row.powerTop = g.powerTop;
    row.btnPanelOpen = g.panelOpen;
    row.btnPanelClose = g.panelClose;
    row.titleLeft = g.titleLeft;
    row.titleTop = 8;
    row.titleWidth = 13;
    row.titleHeight = 13;
    row.titleGap = 4;
    row.overlayOrigin = g.overlay;
    row.rcStatusIcon = g.statusIcon;
    return row;
}

const std::array<LayoutMode_Struct, kDisplayModeCount>& Table() {
    constexpr LayoutRect kWideStatus = {6, 63, 714, 83};
    constexpr LayoutRect kNarrowStatus = {6, 63, 362, 83};
    static const std::array<LayoutMode_Struct, kDisplayModeCount> table = {
        // P51K, P53K, P55K
        Row(kNtscLarge, {42, 96, 682, 552}, kWideStatus),
        Row(kNtscSmall, {24, 90, 344, 318}, kNarrowStatus),
        Row(kPalLarge, {42, 96, 682, 648}, kWideStatus),
        Row(kPalSmall, {24, 90, 344, 366}, kNarrowStatus),
        Row(kNtscSmall, {96, 148, 272, 260}, kNarrowStatus),
        Row(kPalSmall, {96, 132, 272, 276}, kNarrowStatus),
        // P62K and the N2xV family
        Row(kNtscLarge, {8, 86, 712, 566}, kWideStatus),
        Row(kNtscSmall, {8, 84, 360, 324}, kNarrowStatus),
        Row(kPalLarge, {10, 86, 714, 660}, kWideStatus),
        Row(kPalSmall, {8, 86, 360, 372}, kNarrowStatus),
        Row(kNtscSmall, {96, 148, 272, 260}, kNarrowStatus),
        Row(kPalSmall, {96, 132, 272, 276}, kNarrowStatus),
        // T18D
        Row(kNtscLarge, {40, 86, 680, 566}, kWideStatus),
        Row(kNtscSmall, {24, 84, 344, 324}, {14, 63, 362, 83}),
        Row(kPalLarge, {42, 86, 682, 660}, {38, 63, 682, 83}),
        Row(kPalSmall, {24, 86, 344, 372}, {22, 63, 346, 83}),
        Row(kNtscSmall, {104, 148, 264, 260}, kNarrowStatus),
        Row(kPalSmall, {104, 132, 264, 276}, kNarrowStatus),
    };
    return table;
}

}  // namespace

const LayoutMode_Struct& LayoutOfMode(uint16_t displayMode) {
    return Table()[displayMode < kDisplayModeCount ? displayMode : 0];
}
