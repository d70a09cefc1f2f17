#include <gtest/gtest.h>

#include "core/DisplayMode.h"

namespace {

struct DefaultCase {
    DisplayFamily family;
    uint8_t standard;
    int32_t resolution;
    uint16_t mode;
    uint8_t index;
};

TEST(DisplayModeTest, DefaultModeByFamilyStandardAndResolution) {
    const DefaultCase cases[] = {
        {DisplayFamily::T18D, 0, 2, 13, 4},  // smallest picture in the small layout
        {DisplayFamily::T18D, 1, 1, 13, 1},  // the T18D ignores the standard
        {DisplayFamily::T18D, 7, 0, 12, 0}, {DisplayFamily::P62K, 0, 2, 7, 4},
        {DisplayFamily::P62K, 0, 1, 7, 1},  {DisplayFamily::P62K, 0, 0, 6, 0},
        {DisplayFamily::P62K, 1, 2, 9, 5},  {DisplayFamily::P62K, 1, 1, 9, 3},
        {DisplayFamily::P62K, 1, 5, 8, 2},  // an unknown resolution counts as the large one
        {DisplayFamily::P5xK, 0, 2, 1, 4},  {DisplayFamily::P5xK, 0, 1, 1, 1},
        {DisplayFamily::P5xK, 0, 0, 0, 0},  {DisplayFamily::P5xK, 1, 2, 3, 5},
        {DisplayFamily::P5xK, 1, 1, 3, 3},  {DisplayFamily::P5xK, 1, 0, 2, 2},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.family) << " standard " << int(c.standard)
                                        << " resolution " << c.resolution);
        auto choice = DefaultDisplayMode(c.family, c.standard, c.resolution);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->displayMode, c.mode);
        EXPECT_EQ(choice->imageSizeIndex, c.index);
    }
    EXPECT_FALSE(DefaultDisplayMode(DisplayFamily::P5xK, 2, 0).has_value());
    EXPECT_FALSE(DefaultDisplayMode(DisplayFamily::P62K, 3, 1).has_value());
}

TEST(DisplayModeTest, ImageSizeIndexOfFrameSizes) {
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P5xK, 640, 228), 0);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P5xK, 320, 228), 1);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P5xK, 640, 288), 2);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P5xK, 320, 276), 3);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P5xK, 704, 576), std::nullopt);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P62K, 704, 240), 0);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P62K, 352, 240), 1);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P62K, 704, 288), 2);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P62K, 352, 288), 3);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::P62K, 640, 228), std::nullopt);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::T18D, 640, 480), 0);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::T18D, 320, 240), 1);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::T18D, 160, 120), 4);
    EXPECT_EQ(ImageSizeIndexOfFrame(DisplayFamily::T18D, 640, 240), std::nullopt);
}

TEST(DisplayModeTest, ModeOfNewImageSizeIndex) {
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::P5xK, 2, 0), 2);
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::P62K, 0, 9), 6);
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::P62K, 3, 6), 9);
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::T18D, 0, 13), 12);
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::T18D, 1, 12), 13);
    EXPECT_EQ(DisplayModeOfImageSizeIndex(DisplayFamily::T18D, 4, 13), 13);
}

TEST(DisplayModeTest, BitmapFamilyStaysWithinTheFourFamilies) {
    const BitmapFamily expected[] = {kFamilyNVga,  kFamilyNQvga, kFamilyPVga,
                                     kFamilyPQvga, kFamilyNQvga, kFamilyPQvga};
    for (uint16_t mode = 0; mode < kDisplayModeCount; ++mode) {
        EXPECT_EQ(BitmapFamilyOfMode(mode), expected[mode % 6]) << "mode " << mode;
    }
}

}  // namespace
