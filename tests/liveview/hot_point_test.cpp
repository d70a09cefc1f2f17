#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "core/AppObject.h"
#include "core/DeviceKindTable.h"
#include "liveview/HotPoint.h"

namespace {

// The video rectangle of the examples: 640 x 456 from (42, 96), so cells are 40 x 38.
constexpr LayoutRect kVideo{42, 96, 682, 552};

std::optional<int> CellAt(const LayoutRect& reference, bool fullScreen, int x, int y) {
    const auto target = HotPointAt(reference, kVideo, fullScreen, x, y);
    if (!target) return std::nullopt;
    return target->cell;
}

TEST(HotPoint, ClickNamesTheCellOfTheSixteenByTwelveGrid) {
    const struct {
        int x, y;
        std::optional<int> cell;
    } cases[] = {
        {43, 97, 0x00},    // first cell
        {681, 551, 0xBF},  // last cell: column 15, row 11
        {82, 134, 0x00},   // on the first cell's far edges
        {83, 135, 0x11},   // one pixel further: column 1, row 1
        {42 + 40 * 3 + 5, 96 + 38 * 2 + 5, 0x23},
        {42, 100, std::nullopt},   // on the left edge
        {100, 552, std::nullopt},  // on the bottom edge
        {682, 100, std::nullopt},
        {10, 10, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(CellAt(kVideo, false, c.x, c.y), c.cell);
    }
}

TEST(HotPoint, LeftoverEdgeStripCountsToTheLastColumnAndRow) {
    // 655 x 467: cells of 40 x 38 leave a strip of 15 x 11 pixels at the right and bottom.
    const LayoutRect reference{0, 0, 655, 467};
    EXPECT_EQ(CellAt(reference, false, 650, 10), 0x0F);
    EXPECT_EQ(CellAt(reference, false, 10, 465), 0xB0);
    EXPECT_EQ(CellAt(reference, false, 654, 466), 0xBF);
}

TEST(HotPoint, TooSmallReferenceTakesNoClick) {
    EXPECT_EQ(CellAt({0, 0, 15, 400}, false, 5, 5), std::nullopt);
    EXPECT_EQ(CellAt({0, 0, 400, 11}, false, 5, 5), std::nullopt);
}

TEST(HotPoint, MarkerLiesInVideoPixels) {
    const auto windowed = HotPointAt(kVideo, kVideo, false, 142, 196);
    ASSERT_TRUE(windowed);
    EXPECT_EQ(windowed->markX, 100);
    EXPECT_EQ(windowed->markY, 100);

    // Full screen over a 1280 x 912 work area: twice the video size.
    const LayoutRect work{0, 0, 1280, 912};
    const auto full = HotPointAt(work, kVideo, true, 200, 400);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->markX, 100);
    EXPECT_EQ(full->markY, 200);
    EXPECT_EQ(full->cell, (200 - 1) / 80 + 16 * ((400 - 1) / 76));
    // Within 8 pixels of the work area's edge nothing happens.
    EXPECT_EQ(CellAt(work, true, 8, 400), std::nullopt);
    EXPECT_TRUE(CellAt(work, true, 9, 400));
    EXPECT_EQ(CellAt(work, true, 1272, 400), std::nullopt);
    EXPECT_EQ(CellAt(work, true, 600, 904), std::nullopt);
}

class HotPointModeTest : public testing::Test {
  protected:
    HotPointModeTest() { g_lpApp = app.get(); }
    ~HotPointModeTest() override { g_lpApp = nullptr; }

    uint8_t ModeOn(const char* product, const char* firmware, uint32_t capability, uint8_t kind) {
        app->str_ProductID.Set(product);
        app->str_FWVersion.Set(firmware);
        app->dw_Capability = capability;
        return HotPointModeForKind(kind);
    }

    std::unique_ptr<CAppObject> app = std::make_unique<CAppObject>();
};

TEST_F(HotPointModeTest, OnForPtzSlavesWhereTheFirmwareAllowsIt) {
    const struct {
        const char* product;
        const char* firmware;
        uint32_t capability;
        uint8_t kind;
        uint8_t mode;
    } cases[] = {
        {"P53K", "1030", 0, kDeviceKindPtzPelco, kHotPointOn},
        {"P53K", "1040", 0, kDeviceKindPtzPelco, kHotPointOff},
        {"P53K", "1035", 0, kDeviceKindPtzSlave, kHotPointOff},
        {"P53K", "1040", 2, kDeviceKindPtzPelco, kHotPointOn},
        {"P53K", "1030", 2, kDeviceKindPtzPelco, kHotPointOn},
        {"P53K", "1040", 2, kDeviceKindPtz, kHotPointOff},
        {"P62K", "1040", 0, kDeviceKindPtzSlave, kHotPointOn},
        {"T18D", "0001", 0, kDeviceKindPtzPelcoD, kHotPointOff},
        {"P51K", "10", 0, kDeviceKindPtzSlave, kHotPointOff},  // not four digits: newer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware + " kind " + std::to_string(c.kind));
        EXPECT_EQ(ModeOn(c.product, c.firmware, c.capability, c.kind), c.mode);
    }
}

}  // namespace
