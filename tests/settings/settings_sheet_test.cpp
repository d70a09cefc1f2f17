// The settings sheet against the simulated recorder: pages per family, the tree, page
// activation, APPLY, REBOOT and closing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "../support/DrawnWindow.h"
#include "../support/SettingsSheetHarness.h"
#include "../support/TempFolder.h"
#include "platform/Thread.h"
#include "sheet/PageFrame.h"
#include "sheet/ProgressSlot.h"

namespace ormidon::test {
namespace {

class SheetTest : public SettingsSheetTest {
  protected:
    std::vector<std::string> TreeInPreOrder() {
        std::vector<std::string> items;
        QTreeWidgetItemIterator it(sheet->PageTree());
        for (; *it != nullptr; ++it) {
            std::string indent((*it)->parent() != nullptr ? 2 : 0, ' ');
            items.push_back(indent + (*it)->text(0).toStdString());
        }
        return items;
    }
    std::string Current() { return sheet->PageTree()->currentItem()->text(0).toStdString(); }
};

TEST_F(SheetTest, EachFamilyGetsItsPagesInTreeOrder) {
    struct Case {
        std::string product;
        std::vector<std::string> tree;
    };
    const std::vector<Case> cases = {
        {"P62K",
         {"Network", "  DDNS", "  Mail", "  FTP", "  Server Time Config", "Alarm", "  Alarm List",
          "General", "  Account", "  Peripheral", "  Online User Info", "  File Path"}},
        {"T18D",
         {"Network", "  DDNS", "  Mail", "  FTP", "  Server Time Config", "Alarm", "  Alarm List",
          "General", "  Account", "  Online User Info", "  File Path"}},
        {"N27V",
         {"Network", "  Mail", "  FTP", "Alarm", "General", "  Account", "  Online User Info",
          "  File Path"}},
        // No R.E.T.R. recorder among the control devices: no Alarm List.
        {"P51K",
         {"Network", "  DDNS", "  Mail", "  FTP", "DVR", "  Device", "  Detection",
          "  Network Backup", "  Search List", "  Timer Record", "  Date", "  Record Setting",
          "Alarm", "General", "  Account", "  Online User Info", "  File Path"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        OpenSheet({.product = c.product});
        EXPECT_EQ(TreeInPreOrder(), c.tree);
        EXPECT_EQ(sheet->GetPageCount(), static_cast<int>(c.tree.size()));
        EXPECT_EQ(Current(), "Network");
        sheet.reset();
    }
}

TEST_F(SheetTest, TheTitleBandShowsItsTitleAndTheBarMeetsNoButtonAtEveryScale) {
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        app.fl_DPIScale = scale;
        OpenSheet({.product = "P62K"});
        const QRect band = sheet->TitleRect();
        EXPECT_GE(band.height(), 40);
        EXPECT_TRUE(sheet->rect().contains(band));
        EXPECT_FALSE(band.intersects(sheet->PageTree()->geometry()));
        const QImage picture = sheet->grab().toImage();
        EXPECT_GT(PixelsNear(picture, band, Qt::yellow), 20);  // "Video Server" is written in it

        const QRect bar = sheet->ProgressRect();
        EXPECT_TRUE(sheet->rect().contains(bar));
        for (int id :
             {MySystemDialog::kIdExit, MySystemDialog::kIdApply, MySystemDialog::kIdReboot}) {
            const QPushButton* button = ormidon::FindControl<QPushButton>(sheet.get(), id);
            if (button == nullptr) continue;
            SCOPED_TRACE(id);
            EXPECT_FALSE(bar.intersects(button->geometry()));
            EXPECT_TRUE(sheet->rect().contains(button->geometry()));
        }
        sheet.reset();
    }
    app.fl_DPIScale = 1.0f;
}

TEST_F(SheetTest, OnlyTheStartPageHasControlsUntilAnotherIsShown) {
    OpenSheet({.product = "P62K"});
    EXPECT_TRUE(Page("Network")->HasWindow());
    EXPECT_FALSE(Page("Mail")->HasWindow());
    ASSERT_TRUE(ShowPage("Mail"));
    EXPECT_TRUE(Page("Mail")->HasWindow());
    EXPECT_FALSE(Page("Network")->isVisible());
}

TEST_F(SheetTest, ASheetWithoutItsProgressThreadOpensWithoutABar) {
    ormidon::FailThreadStartsForTesting(1);
    OpenSheet({.product = "P62K"});
    ormidon::FailThreadStartsForTesting(0);
    EXPECT_TRUE(sheet->isVisible());
    // A worker's report goes nowhere instead of waiting for a slot nobody serves.
    EXPECT_FALSE(PostProgressCommand(PROGRESS_START));
    EXPECT_FALSE(sheet->ProgressShown());
}

TEST_F(SheetTest, TheFrameCaptionOfADvrPageComesFromTheLayoutTable) {
    OpenSheet({.product = "P51K"});
    ASSERT_TRUE(ShowPage("Date"));
    EXPECT_EQ(sheet->PageFrame()->GetCaptionText(), "DVR-Date");
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_EQ(sheet->PageFrame()->GetCaptionText(), "DVR-Record");
    ASSERT_TRUE(ShowPage("Alarm"));
    EXPECT_EQ(sheet->PageFrame()->GetCaptionText(), "Alarm");
}

TEST_F(SheetTest, CtrlTabWalksTheTreeAndWrapsBothWays) {
    OpenSheet({.product = "P62K"});
    QTest::keyClick(sheet->PageTree(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Current(), "DDNS");
    ASSERT_TRUE(ShowPage("File Path"));
    QTest::keyClick(sheet->PageTree(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Current(), "Network");
    QTest::keyClick(sheet->PageTree(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Current(), "File Path");
    QTest::keyClick(sheet->PageTree(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Current(), "Online User Info");
    ASSERT_TRUE(ShowPage("Account"));
    QTest::keyClick(sheet->PageTree(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Current(), "General");
}

class RefusingPage : public CPropertyPage {
  public:
    using CPropertyPage::CPropertyPage;
    bool OnKillActive() override { return !refuse; }
    void OnSetActive() override { ++shown; }
    bool refuse = true;
    int shown = 0;
};

TEST_F(SheetTest, APageThatRefusesToGoKeepsItselfAndTheTreeSelection) {
    LogIn({.product = "N27V"});
    sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
    // The N2xV has no Peripheral page; its row in the tree takes this one.
    RefusingPage refusing(*sheet, PageKind::Peripheral);
    sheet->AddPage(&refusing);
    sheet->Create();
    ASSERT_TRUE(ShowPage("Peripheral"));
    EXPECT_EQ(refusing.shown, 1);
    EXPECT_FALSE(ShowPage("Mail"));
    EXPECT_EQ(sheet->GetActivePage(), &refusing);
    EXPECT_EQ(Current(), "Peripheral");
    refusing.refuse = false;
    EXPECT_TRUE(ShowPage("Mail"));
    EXPECT_EQ(Current(), "Mail");
    // The page is the test's, not the sheet's.
    refusing.setParent(nullptr);
    sheet.reset();
}

TEST_F(SheetTest, ApplyAtOnceSendsNothingMakesTheFoldersAndCloses) {
    TempFolder folders;
    OpenSheet({.product = "P62K"});
    sheet->LocalSettings().strRecordDir = (folders.path() / "record").string();
    sheet->LocalSettings().strSnapshotDir = (folders.path() / "snapshot").string();
    sheet->LocalSettings().nTurboStepIndex = 2;
    PressApply();
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(std::filesystem::is_directory(folders.path() / "record"));
    EXPECT_TRUE(std::filesystem::is_directory(folders.path() / "snapshot"));
    EXPECT_EQ(app.CSettingINI.m_strRecordPath, (folders.path() / "record").string());
    EXPECT_EQ(app.by_TurboRepeatStep.load(), 3);
    EXPECT_FALSE(sheet->IsWindowOpen());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(app.f_SystemDialogOpen.load(), 0);
}

TEST_F(SheetTest, ExitClosesTheWindowAndKeepsTheObject) {
    OpenSheet({.product = "N27V"});
    EXPECT_EQ(Button(MySystemDialog::kIdReboot), nullptr);
    Button(MySystemDialog::kIdExit)->click();
    EXPECT_FALSE(sheet->IsWindowOpen());
    EXPECT_EQ(app.f_SystemDialogOpen.load(), 0);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(SheetTest, RebootTwiceSendsItTwiceAndStaysOpen) {
    OpenSheet({.product = "T18D"});
    Button(MySystemDialog::kIdReboot)->click();
    Button(MySystemDialog::kIdReboot)->click();
    // The reboot's answer is not read: the recorder may log it a moment later.
    ormidon::testing::ProcessEventsUntil([this] { return Writes("/Reboot.cgi").size() >= 2; });
    const std::vector<RecorderWrite> writes = Writes("/Reboot.cgi");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].query, "/Reboot.cgi?Cookie=" + GetSessionCookie());
    EXPECT_TRUE(sheet->IsWindowOpen());
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(SheetTest, PppoeWithoutDynamicDnsRefusesApplyExceptOnN2xV) {
    for (const std::string product : {"P62K", "N27V"}) {
        SCOPED_TRACE(product);
        LogIn({.product = product});
        app.m_Cfg_IP[0x16] = 1;    // PPPoE
        app.m_Cfg_SMTP[0x05] = 0;  // dynamic DNS off
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        device.Server().ClearLog();
        const std::size_t shownBefore = boxes.Ids().size();
        PressApply();
        const bool refused = product != "N27V";
        EXPECT_EQ(sheet->IsWindowOpen(), refused);
        const std::vector<uint32_t> all = boxes.Ids();
        const std::vector<uint32_t> shown(all.begin() + static_cast<std::ptrdiff_t>(shownBefore),
                                          all.end());
        EXPECT_EQ(shown, refused ? std::vector<uint32_t>{4101} : std::vector<uint32_t>{});
        EXPECT_TRUE(Writes().empty());
        sheet.reset();
    }
}

}  // namespace
}  // namespace ormidon::test
