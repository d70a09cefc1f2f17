#include <gtest/gtest.h>

#include "core/DisplayMode.h"
#include "liveview/LayoutTable.h"

namespace {

// The video rectangles fit the pictures the frame drawing produces.
TEST(LayoutTableTest, VideoRectanglesHoldTheDrawnPictures) {
    const struct {
        uint16_t mode;
        int width;
        int height;
    } cases[] = {
        {0, 640, 456},  // 228-line NTSC fields doubled
        {2, 640, 552},  // 276-line PAL fields doubled
        {1, 320, 228}, {3, 320, 276}, {6, 704, 480}, {7, 352, 240}, {12, 640, 480}, {13, 320, 240},
    };
    for (const auto& c : cases) {
        const LayoutRect& video = LayoutOfMode(c.mode).rcVideo;
        EXPECT_EQ(video.Width(), c.width) << "mode " << c.mode;
        EXPECT_EQ(video.Height(), c.height) << "mode " << c.mode;
    }
}

TEST(LayoutTableTest, RowsByPictureClass) {
    for (uint16_t mode = 0; mode < kDisplayModeCount; ++mode) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        const LayoutMode_Struct& row = LayoutOfMode(mode);
        const int sizeClass = mode % 6;
        const bool large = sizeClass == 0 || sizeClass == 2;
        const bool pal = sizeClass == 2 || sizeClass == 3 || sizeClass == 5;
        EXPECT_EQ(row.rcWindow.Width(), large ? 722 : 370);
        EXPECT_EQ(row.rcWindow.Height(), large ? (pal ? 705 : 608) : (pal ? 414 : 366));
        EXPECT_EQ(row.rcWindowPanel.Height(), large ? (pal ? 776 : 680) : (pal ? 509 : 461));
        EXPECT_EQ(row.rcBackground.ToQRect(), row.rcWindow.ToQRect());
        EXPECT_EQ(row.PowerRect(), large ? QRect(558, 34, 26, 26) : QRect(206, 35, 26, 26));
        EXPECT_EQ(row.TitleButtonRect(2), large ? QRect(697, 8, 13, 13) : QRect(345, 8, 13, 13));
        EXPECT_EQ(row.overlayOrigin, large ? QPoint(542, 7) : QPoint(190, 7));
        // Buttons 8192 and 8193 lie within the window that shows them.
        EXPECT_TRUE(row.rcWindow.ToQRect().contains(row.btnPanelOpen.ToQRect()));
        EXPECT_TRUE(row.rcWindowPanel.ToQRect().contains(row.btnPanelClose.ToQRect()));
        // The status bar lies between the title bar and the picture.
        EXPECT_LE(row.rcStatus.bottom, row.rcVideo.top);
    }
}

TEST(LayoutTableTest, ModeOutsideTheTableGetsTheFirstRow) {
    EXPECT_EQ(&LayoutOfMode(18), &LayoutOfMode(0));
    EXPECT_EQ(&LayoutOfMode(0xFFFF), &LayoutOfMode(0));
}

}  // namespace
