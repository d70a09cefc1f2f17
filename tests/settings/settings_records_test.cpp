// The layout rules of the section records, the progress bar's look, and the sheet of each
// family as a picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QTreeWidget>

#include "../support/DrawnWindow.h"
#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "platform/window/testing/WindowTesting.h"
#include "settings/ProgressSlot.h"

namespace ormidon::test {
namespace {

class RecordRulesTest : public ::testing::Test {
  protected:
    void Identity(const char* product, const char* firmware) {
        app.str_ProductID.Set(product);
        app.str_FWVersion.Set(firmware);
    }
    AppRecordScope scope;
    CAppObject& app = scope.App();
};

TEST_F(RecordRulesTest, PppoeLayoutFollowsFamilyAndFirmware) {
    const struct {
        const char* product;
        const char* firmware;
        bool narrow;
    } cases[] = {
        {"P51K", "1051", true}, {"P51K", "1052", false}, {"P55K", "1000", true},
        {"P62K", "1006", true}, {"P62K", "1007", false}, {"T18D", "1006", true},
        {"N27V", "1007", false}, {"P51K", "105", false},  // not four characters: new
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        Identity(c.product, c.firmware);
        EXPECT_EQ(UsesNarrowPppoe(), c.narrow);
        // The user name and password fields lie inside the block the layout uses.
        EXPECT_LE(PppoePasswordField().End(), PppoeBlock(app).size());
        EXPECT_LE(PppoeUserNameField().End(), PppoeBlock(app).size());
    }
}

TEST_F(RecordRulesTest, SenderAddressSplitsAfterFifteenAndJoinsBack) {
    const std::string full = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGH";  // 44 characters
    for (std::size_t length : {14u, 15u, 20u, 42u}) {
        SCOPED_TRACE(length);
        const std::string address = full.substr(0, length);
        const SplitAddress split = SplitMailFrom(address);
        EXPECT_EQ(split.head, address.substr(0, 15));
        EXPECT_EQ(split.tail, length > 15 ? address.substr(15) : "");
        EXPECT_EQ(JoinMailFrom(split.head, split.tail), address);
    }
    // A tail counts only behind a full head.
    EXPECT_EQ(JoinMailFrom("short", "tail"), "short");
}

TEST_F(RecordRulesTest, SenderContinuationByFamilyAndFirmware) {
    const struct {
        const char* product;
        const char* firmware;
        MailFromContinuation where;
    } cases[] = {
        {"P51K", "1026", MailFromContinuation::None},
        {"P51K", "1027", MailFromContinuation::Sntp},
        {"P62K", "1002", MailFromContinuation::None},
        {"P62K", "1003", MailFromContinuation::System},
        {"T18D", "1003", MailFromContinuation::System},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        Identity(c.product, c.firmware);
        EXPECT_EQ(MailFromContinuationSection(), c.where);
    }
    // A 30-character sender on a P62K "1003" goes back whole through SMTP and SYSTEM.
    Identity("P62K", "1003");
    const std::string address = "operator.on.duty@example.org.x";
    EXPECT_EQ(WriteMailFrom(app, address), CFG_SYSTEM);
    EXPECT_EQ(ReadMailFrom(app), address);
}

TEST(ProgressLookTest, FillAndPercentOverTheWholeRange) {
    // A 204-pixel bar fills 200 pixels inside its border.
    const QRect bar(10, 0, 204, 20);
    const struct {
        int64_t position, total;
        int fill;
        uint32_t percent;
    } cases[] = {
        {0, 200, 0, 0},       {100, 200, 100, 50},  {200, 200, 200, 100},
        {300, 200, 200, 100},  // past the total: full
        {5, 0, 0, 0},          // no total: no fill
        {int64_t{3} << 40, int64_t{4} << 40, 150, 75},  // beyond 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + "/" + std::to_string(c.total));
        const ProgressLook look = ComputeProgressLook(bar, c.position, c.total);
        EXPECT_EQ(look.fill, c.fill);
        EXPECT_EQ(look.percent, c.percent);
        EXPECT_GE(look.textX, bar.left());
        EXPECT_LE(look.textX, bar.right());
    }
}

class SheetPictureTest : public SettingsSheetTest {};

TEST_F(SheetPictureTest, EachFamilysSheetIsDrawn) {
    for (const char* product : {"P51K", "P62K", "T18D", "N27V"}) {
        SCOPED_TRACE(product);
        OpenSheet({.product = product});
        ASSERT_TRUE(sheet->isVisible());
        // The tree, the frame with its first page, the buttons: all there and whole.
        ExpectControlsWhole(sheet.get(), sheet.get(),
                            {CTreePropSheet::kTreeControlId, CTreePropSheet::kFrameControlId,
                             MySystemDialog::kIdExit});
        EXPECT_GT(sheet->PageTree()->topLevelItemCount(), 0);
        EXPECT_NE(sheet->GetActivePage(), nullptr);
        // The title band in its blue, with the family's title written in yellow.
        const QImage picture = sheet->grab().toImage();
        const QRect band = sheet->TitleRect();
        EXPECT_GT(PixelsNear(picture, band, QColor(0x00, 0x32, 0x80), 8), band.width() * 4);
        EXPECT_GT(PixelsNear(picture, band, Qt::yellow), 20);
        EXPECT_FALSE(
            ormidon::testing::SaveScreenshot(sheet.get(), std::string("settings-sheet-") + product)
                .empty());
        sheet.reset();
    }
}

}  // namespace
}  // namespace ormidon::test
