#pragma once
// Display modes of the main window. A mode (0 to 17) is 6 x layout family + size class:
// the family follows the product, the size class the picture the stream delivers
// (0 NTSC large, 1 NTSC small, 2 PAL large, 3 PAL small, 4 and 5 the smallest NTSC and
// PAL pictures). The mode picks the window's layout row; the mode modulo 6 picks the
// bitmap slot.
//
// These are the pure rules; CImageSize applies them to the application record.
#include <cstdint>
#include <optional>

#include "core/DeviceKindTable.h"

constexpr uint16_t kDisplayModeCount = 18;

// Layout families of the display modes, in mode order.
enum class DisplayFamily : uint8_t {
    P5xK = 0,  // P51K, P53K, P55K: modes 0 to 5
    P62K = 1,  // P62K and the N2xV family: modes 6 to 11
    T18D = 2,  // modes 12 to 17
};

// The family of the logged-in product; nullopt for a product of no known family.
std::optional<DisplayFamily> CurrentDisplayFamily();

struct DisplayModeChoice {
    uint16_t displayMode;
    uint8_t imageSizeIndex;
};

// The mode at start from the resolution setting (0, 1 or 2; any other value counts as
// 0) and the video standard (0 NTSC, 1 PAL). The smallest pictures start in the small
// layout of their standard, while the image-size index keeps 4 or 5. nullopt when the
// rules leave the mode as it is (a P5xK or P62K family device with another standard).
std::optional<DisplayModeChoice> DefaultDisplayMode(DisplayFamily family, uint8_t videoStandard,
                                                    int32_t resolution);

// The image-size index of a decoded frame of width x height; nullopt for a size the
// family does not stream, which leaves the mode as it is.
std::optional<uint8_t> ImageSizeIndexOfFrame(DisplayFamily family, uint16_t width, uint16_t height);

// The mode that a new image-size index gives; a T18D's smallest picture (index 4) keeps
// `currentMode`.
uint16_t DisplayModeOfImageSizeIndex(DisplayFamily family, uint8_t imageSizeIndex,
                                     uint16_t currentMode);

// The bitmap family of a display mode. The slots 4 and 5 of the smallest pictures use
// the QVGA families, so the result always indexes the four rectangles and image groups
// of a remote key.
BitmapFamily BitmapFamilyOfMode(uint16_t displayMode);
