#include "core/DisplayMode.h"

#include "core/DeviceIdentity.h"

namespace {

constexpr uint16_t kModesPerFamily = 6;

uint16_t FirstModeOf(DisplayFamily family) {
    return static_cast<uint16_t>(static_cast<uint16_t>(family) * kModesPerFamily);
}

}  // namespace

std::optional<DisplayFamily> CurrentDisplayFamily() {
    if (IsP62KModel() || IsN2xVModel()) return DisplayFamily::P62K;
    if (IsT18DModel()) return DisplayFamily::T18D;
    if (IsP5xKModel()) return DisplayFamily::P5xK;
    return std::nullopt;
}

std::optional<DisplayModeChoice> DefaultDisplayMode(DisplayFamily family, uint8_t videoStandard,
                                                    int32_t resolution) {
    // Image-size index by resolution: 2 the smallest picture, 1 the small one, any
    // other value the large one; NTSC first, then PAL. The T18D has one standard only.
    constexpr uint8_t kIndexOf[2][3] = {{0, 1, 4}, {2, 3, 5}};
    if (family != DisplayFamily::T18D && videoStandard > 1) return std::nullopt;
    const uint8_t standard = family == DisplayFamily::T18D ? 0 : videoStandard;
    const uint8_t index = kIndexOf[standard][resolution == 1 || resolution == 2 ? resolution : 0];
    // The smallest pictures are shown in the small layout of their standard.
    const uint8_t sizeClass = index == 4 ? 1 : index == 5 ? 3 : index;
    return DisplayModeChoice{static_cast<uint16_t>(FirstModeOf(family) + sizeClass), index};
}

std::optional<uint8_t> ImageSizeIndexOfFrame(DisplayFamily family, uint16_t width,
                                             uint16_t height) {
    switch (family) {
        case DisplayFamily::T18D:
            if (width == 640 && height == 480) return 0;
            if (width == 320 && height == 240) return 1;
            if (width == 160 && height == 120) return 4;
            return std::nullopt;
        case DisplayFamily::P5xK:
            // NTSC fields are 228 lines; any other height counts as PAL.
            if (width == 320) return height == 228 ? 1 : 3;
            if (width == 640) return height == 228 ? 0 : 2;
            return std::nullopt;
        case DisplayFamily::P62K:
            if (width == 352) return height == 240 ? 1 : 3;
            if (width == 704) return height == 240 ? 0 : 2;
            return std::nullopt;
    }
    return std::nullopt;
}

uint16_t DisplayModeOfImageSizeIndex(DisplayFamily family, uint8_t imageSizeIndex,
                                     uint16_t currentMode) {
    if (family == DisplayFamily::T18D) {
        if (imageSizeIndex == 0) return 12;
        if (imageSizeIndex == 1) return 13;
        return currentMode;
    }
    if (imageSizeIndex > 3) return currentMode;
    return static_cast<uint16_t>(FirstModeOf(family) + imageSizeIndex);
}

BitmapFamily BitmapFamilyOfMode(uint16_t displayMode) {
    constexpr BitmapFamily kFamilyOfSlot[kModesPerFamily] = {
        kFamilyNVga, kFamilyNQvga, kFamilyPVga, kFamilyPQvga, kFamilyNQvga, kFamilyPQvga};
    return kFamilyOfSlot[displayMode % kModesPerFamily];
}
