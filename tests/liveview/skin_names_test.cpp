#include <gtest/gtest.h>

#include "liveview/SkinNames.h"

namespace {

TEST(SkinNamesTest, BackgroundsPerSlot) {
    EXPECT_EQ(SkinFile(BackgroundNamesOfSlot(0).panelClosed), "BMP\\N_VGA_BG.bmp");
    EXPECT_EQ(BackgroundNamesOfSlot(4).panelOpen, "N_QVGA_BG_EX");
    EXPECT_EQ(BackgroundNamesOfSlot(5).panelClosed, "P_QVGA_BG");
    EXPECT_EQ(BackgroundNamesOfSlot(2).statusBar, "VGA_Status_Bar");
    EXPECT_EQ(BackgroundNamesOfSlot(3).statusBar, "StatusBar");
}

TEST(SkinNamesTest, ButtonSets) {
    EXPECT_EQ(TitleButtonImages(1), (PushImageSet{"Title_Bar_Fullscreen", "Title_Bar_Fullscreen_a",
                                                  "Title_Bar_Fullscreen", 1}));
    EXPECT_EQ(PowerButtonImages(), (PushImageSet{"power", "power_over", "power_down", 32}));
    EXPECT_EQ(PanelOpenImages(kFamilyNVga),
              (PushImageSet{"N_VGA_PANELUP", "N_VGA_PANELUP_OVER", "N_VGA_PANELUP", 1}));
    EXPECT_EQ(PanelCloseImages(kFamilyPQvga),
              (PushImageSet{"P_QVGA_PANELDOWN", "P_QVGA_PANELDOWN_OVER", "P_QVGA_PANELDOWN", 1}));
}

// A family load presses a turbo arrow into its plain turbo image, the TURBO command into
// its hover image; the zoom and focus keys press into "_a" either way.
TEST(SkinNamesTest, TurboSets) {
    EXPECT_EQ(
        TurboKeyImages(kFamilyPQvga, 54, TurboLoad::FamilyLoad),
        (PushImageSet{"P_QVGA_LEFT_TURBO", "P_QVGA_LEFT_TURBO_OVER", "P_QVGA_LEFT_TURBO", 2}));
    EXPECT_EQ(TurboKeyImages(kFamilyPQvga, 54, TurboLoad::TurboCommand).selected,
              "P_QVGA_LEFT_TURBO_OVER");
    EXPECT_EQ(TurboKeyImages(kFamilyNVga, 58, TurboLoad::TurboCommand).flat, "N_VGA_RIGHT_TURBO");
    EXPECT_EQ(
        TurboKeyImages(kFamilyNQvga, 31, TurboLoad::FamilyLoad),
        (PushImageSet{"2Col_zoom_turbo_out", "2Col_zoom_turbo_out_a", "2Col_zoom_turbo_out_a", 2}));
    EXPECT_EQ(PlainTurboKeyImages(kFamilyPVga, 57),
              (PushImageSet{"P_VGA_DOWN", "P_VGA_DOWN_OVER", "P_VGA_DOWN_OVER", 2}));
    EXPECT_EQ(PlainTurboKeyImages(kFamilyPVga, 33),
              (PushImageSet{"2Col_focus_out", "2Col_focus_out_a", "2Col_focus_out_a", 2}));
    EXPECT_FALSE(HasTurboImages(56));  // MENU
    EXPECT_TRUE(HasTurboImages(30));
    EXPECT_FALSE(HasTurboImages(34));
}

}  // namespace
