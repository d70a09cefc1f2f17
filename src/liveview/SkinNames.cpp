#include "liveview/SkinNames.h"

#include <array>

namespace {

constexpr uint16_t kStyleTitle = 1;
constexpr uint16_t kStylePowerKey = 32;
constexpr uint16_t kStylePushKey = 2;

constexpr std::array<std::string_view, 4> kFamilyPrefixes = {"N_VGA", "N_QVGA", "P_VGA", "P_QVGA"};

// The joystick arrows by key (54 left, 55 up, 57 down, 58 right; 56 MENU has none).
std::string_view ArrowName(int key) {
    switch (key) {
        case 54:
            return "_LEFT";
        case 55:
            return "_UP";
        case 57:
            return "_DOWN";
        default:
            return "_RIGHT";
    }
}

// Zoom and focus keys 30 to 33: the plain and turbo base names.
constexpr std::array<std::string_view, 4> kZoomFocusPlain = {"2Col_zoom_in", "2Col_zoom_out",
                                                             "2Col_focus_in", "2Col_focus_out"};
constexpr std::array<std::string_view, 4> kZoomFocusTurbo = {
    "2Col_zoom_turbo_in", "2Col_zoom_turbo_out", "2Col_focus_turbo_in", "2Col_focus_turbo_out"};

bool IsZoomFocusKey(int key) { return key >= 30 && key <= 33; }

std::string Join(std::string_view a, std::string_view b, std::string_view c = {}) {
    std::string name(a);
    name += b;
    name += c;
    return name;
}

}  // namespace

std::string SkinFile(std::string_view baseName) { return Join("BMP\\", baseName, ".bmp"); }

std::string_view FamilyPrefix(BitmapFamily family) {
    return kFamilyPrefixes[static_cast<size_t>(family) & 3];
}

SlotBackgroundNames BackgroundNamesOfSlot(int slot) {
    static constexpr std::array<SlotBackgroundNames, kBitmapSlotCount> kNames = {{
        {"N_VGA_BG", "N_VGA_BG_EX", "VGA_Status_Bar"},
        {"N_QVGA_BG", "N_QVGA_BG_EX", "StatusBar"},
        {"P_VGA_BG", "P_VGA_BG_EX", "VGA_Status_Bar"},
        {"P_QVGA_BG", "P_QVGA_BG_EX", "StatusBar"},
        {"N_QVGA_BG", "N_QVGA_BG_EX", "StatusBar"},
        {"P_QVGA_BG", "P_QVGA_BG_EX", "StatusBar"},
    }};
    return kNames[static_cast<size_t>(slot) % kBitmapSlotCount];
}

PushImageSet TitleButtonImages(int i) {
    static constexpr std::array<std::string_view, 3> kNames = {
        "Title_Bar_Hide", "Title_Bar_Fullscreen", "Title_Bar_Close"};
    const std::string_view name = kNames[static_cast<size_t>(i) % kNames.size()];
    return {std::string(name), Join(name, "_a"), std::string(name), kStyleTitle};
}

PushImageSet PowerButtonImages() { return {"power", "power_over", "power_down", kStylePowerKey}; }

PushImageSet PanelOpenImages(BitmapFamily family) {
    const std::string_view prefix = FamilyPrefix(family);
    return {Join(prefix, "_PANELUP"), Join(prefix, "_PANELUP_OVER"), Join(prefix, "_PANELUP"),
            kStyleTitle};
}

PushImageSet PanelCloseImages(BitmapFamily family) {
    const std::string_view prefix = FamilyPrefix(family);
    return {Join(prefix, "_PANELDOWN"), Join(prefix, "_PANELDOWN_OVER"), Join(prefix, "_PANELDOWN"),
            kStyleTitle};
}

bool HasTurboImages(int key) {
    return IsZoomFocusKey(key) || key == 54 || key == 55 || key == 57 || key == 58;
}

PushImageSet TurboKeyImages(BitmapFamily family, int key, TurboLoad load) {
    if (IsZoomFocusKey(key)) {
        const std::string_view name = kZoomFocusTurbo[static_cast<size_t>(key - 30)];
        return {std::string(name), Join(name, "_a"), Join(name, "_a"), kStylePushKey};
    }
    const std::string turbo = Join(FamilyPrefix(family), ArrowName(key), "_TURBO");
    const std::string hover = turbo + "_OVER";
    return {turbo, hover, load == TurboLoad::FamilyLoad ? turbo : hover, kStylePushKey};
}

PushImageSet PlainTurboKeyImages(BitmapFamily family, int key) {
    if (IsZoomFocusKey(key)) {
        const std::string_view name = kZoomFocusPlain[static_cast<size_t>(key - 30)];
        return {std::string(name), Join(name, "_a"), Join(name, "_a"), kStylePushKey};
    }
    const std::string arrow = Join(FamilyPrefix(family), ArrowName(key));
    return {arrow, arrow + "_OVER", arrow + "_OVER", kStylePushKey};
}
