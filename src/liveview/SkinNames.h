#pragma once
// File names of the main window's skin bitmaps, by bitmap family. Every file lies in
// the "BMP" folder and is named "BMP\" + base name + ".bmp".
//
// Families: 0 N_VGA, 1 N_QVGA, 2 P_VGA, 3 P_QVGA (BitmapFamilyOfMode gives the family of
// a display mode). Bitmap slots are display mode modulo 6; slots 4 and 5 use the QVGA
// families.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/DeviceKindTable.h"

constexpr int kBitmapSlotCount = 6;

// The file name of a base name: "BMP\" + base + ".bmp".
std::string SkinFile(std::string_view baseName);

// "N_VGA", "N_QVGA", "P_VGA" or "P_QVGA".
std::string_view FamilyPrefix(BitmapFamily family);

// The three backgrounds of a slot.
struct SlotBackgroundNames {
    std::string_view panelClosed;
    std::string_view panelOpen;
    std::string_view statusBar;
};
SlotBackgroundNames BackgroundNamesOfSlot(int slot);

// The slots in the order the backgrounds are loaded.
constexpr std::array<int, kBitmapSlotCount> kBackgroundLoadOrder = {4, 1, 0, 5, 3, 2};

constexpr std::string_view kOnlineUserIcon = "Online_User_ICON";
constexpr std::string_view kAlarmIcon = "alarm";

// Images of a push button: flat (at rest), focus (pointer over it) and selected
// (pressed), and the button's style word.
struct PushImageSet {
    std::string flat;
    std::string focus;
    std::string selected;
    uint16_t style;

    bool operator==(const PushImageSet&) const = default;
};

// Title-bar buttons 8200 (i = 0), 8201 and 8202, style 1.
PushImageSet TitleButtonImages(int i);

// The Power button 8311, style 32.
PushImageSet PowerButtonImages();

// Buttons 8192 (opens the panel) and 8193 (closes it) of a family, style 1.
PushImageSet PanelOpenImages(BitmapFamily family);
PushImageSet PanelCloseImages(BitmapFamily family);

// Remote keys with turbo images: the joystick arrows 54 (left), 55 (up), 57 (down),
// 58 (right) and the zoom and focus keys 30 to 33.
bool HasTurboImages(int key);

// When turbo images are given. A family load presses an arrow into its plain turbo
// image; the TURBO command into its turbo hover image.
enum class TurboLoad { FamilyLoad, TurboCommand };

// The turbo set of a key for which HasTurboImages holds, style 2.
PushImageSet TurboKeyImages(BitmapFamily family, int key, TurboLoad load);

// The plain set that TURBO off gives back to such a key, style 2.
PushImageSet PlainTurboKeyImages(BitmapFamily family, int key);
