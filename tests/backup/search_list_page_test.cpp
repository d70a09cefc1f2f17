// The Search List page and its Full List window against the simulated recorder: the disk
// choice, the maximum, the download on its worker (progress, messages, stop with the sheet),
// the filters and the hand-over of a row to the Network Backup page.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <optional>

#include "../support/SettingsSheetHarness.h"
#include "backup/BackupPreset.h"
#include "backup/CEventPage.h"
#include "backup/CFullListDlg.h"
#include "platform/Thread.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::sim::Recording;
using ormidon::testing::ProcessEventsUntil;

// What the Full List window showed when it opened: its title and rows.
struct FullListView {
    QString title;
    std::vector<QStringList> rows;
};

class SearchListPageTest : public ormidon::test::SettingsSheetTest {
  protected:
    void TearDown() override {
        sheet::SetChildDialogResponder(nullptr);
        SettingsSheetTest::TearDown();
    }
    void Open() { Open(std::vector<int>{0, 2, 5}); }
    void Open(const std::vector<int>& diskSlots) {
        device.Disks().SetSlots(diskSlots);
        OpenSheet({.product = "P51K", .firmware = "1080"});
        ASSERT_TRUE(ShowPage("Search List"));
    }
    CEventPage* SearchPage() { return static_cast<CEventPage*>(Page("Search List")); }
    QComboBox* Hdd() { return Control<QComboBox>(CEventPage::kIdHddList); }
    QComboBox* Type() { return Control<QComboBox>(CEventPage::kIdListType); }
    QLineEdit* Max() { return Control<QLineEdit>(CEventPage::kIdMaxList); }
    static QStringList Row(const sheet::ReportList* list, int row) {
        QStringList texts;
        for (int c = 0; c < 4; ++c) texts << list->Text(row, c);
        return texts;
    }
    // Opens the Full List window with `answer` run in it; records what it showed.
    void AnswerFullList(std::function<int(CFullListDlg&)> answer = {}) {
        sheet::SetChildDialogResponder([this, answer](QDialog& dialog) {
            auto& list = static_cast<CFullListDlg&>(dialog);
            shown = FullListView{dialog.windowTitle(), {}};
            for (int r = 0; r < list.List()->topLevelItemCount(); ++r)
                shown->rows.push_back(Row(list.List(), r));
            return answer ? answer(list) : 0;
        });
    }
    // Presses "Download HDD List" and lets the download run to its end; the pause after a
    // short page passes on the test clock. The progress thread waits on the clock too, and so
    // does the worker for a moment while it posts progress: the clock moves in a few steps,
    // far fewer than a request's time-out.
    void Download() {
        Button(CEventPage::kIdDownload)->click();
        FinishDownload();
    }
    void FinishDownload() {
        int steps = 0;
        ASSERT_TRUE(ProcessEventsUntil([this, &steps] {
            if (steps < 20 && clock.WaitForWaiters(2, 1)) {
                clock.Advance(kSearchListEndPauseMs);
                ++steps;
            }
            return !SearchPage()->IsDownloading() && Button(CEventPage::kIdDownload)->isEnabled();
        }));
        ormidon::testing::ProcessEventsFor(5);
    }
    std::vector<std::string> Targets() {
        std::vector<std::string> targets;
        for (const auto& write : Writes("/GetSearchList.cgi")) targets.push_back(write.query);
        return targets;
    }
    std::optional<FullListView> shown;
};

TEST_F(SearchListPageTest, ListsTheDisksAndTakesTheStoredChoices) {
    app.CSettingINI.m_wSearchListHDD = 5;
    app.CSettingINI.m_bySearchListType = 9;  // no such type: ALL
    app.CSettingINI.m_wSearchListMaxNumber = 40;
    Open();
    ASSERT_EQ(Hdd()->count(), 3);
    EXPECT_EQ(Hdd()->itemText(2), "EXT-02");
    EXPECT_EQ(Hdd()->currentIndex(), 2);
    EXPECT_EQ(SearchPage()->SlotOfIndex(2), 5);
    EXPECT_EQ(Type()->currentText(), "ALL");
    EXPECT_EQ(Max()->text(), "40");

    // Typing: digits only, at most 2048; a field left without digits keeps the maximum.
    Max()->clear();
    QTest::keyClicks(Max(), "3000");
    EXPECT_EQ(Max()->text(), "2048");
    EXPECT_EQ(SearchPage()->MaxListNumber(), 2048u);
    Max()->selectAll();
    QTest::keyClicks(Max(), "ab");
    EXPECT_EQ(SearchPage()->MaxListNumber(), 2048u);

    // APPLY stores the changed choices: the disk as its slot.
    Hdd()->setCurrentIndex(1);
    emit Hdd()->activated(1);
    Type()->setCurrentIndex(4);
    emit Type()->activated(4);
    PressApply();
    EXPECT_EQ(app.CSettingINI.m_wSearchListHDD, 2);
    EXPECT_EQ(app.CSettingINI.m_bySearchListType, 4);
    EXPECT_EQ(app.CSettingINI.m_wSearchListMaxNumber, 2048);
}

TEST_F(SearchListPageTest, AStoredDiskThatIsGoneKeepsTheFirst) {
    app.CSettingINI.m_wSearchListHDD = 7;
    Open({2, 3});
    EXPECT_EQ(Hdd()->currentIndex(), 0);
    EXPECT_EQ(Hdd()->currentText(), "MASTER2");
}

TEST_F(SearchListPageTest, DownloadsTheChosenDiskIntoTheFullList) {
    app.CSettingINI.m_wSearchListMaxNumber = 25;
    std::vector<Recording> many;
    for (int i = 0; i < 30; ++i) many.push_back({48, 8, 5, 7, 10, i, 0});
    device.Recordings().SetRecordings(5, many);
    Open();
    AnswerFullList();
    Hdd()->setCurrentIndex(2);
    Download();
    const std::string head = "/GetSearchList.cgi?Cookie=" + GetSessionCookie() + "&STATE=";
    EXPECT_EQ(Targets(),
              (std::vector<std::string>{head + "LAST&HDD=5&TYPE=8", head + "PREV&HDD=5&TYPE=8",
                                        head + "PREV&HDD=5&TYPE=8"}));
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->title, "Full Record List");
    ASSERT_EQ(shown->rows.size(), 25u);
    EXPECT_EQ(shown->rows[0], (QStringList{" 1", "MANUAL", "ALL", "2008-05-07  10:29:00"}));
    EXPECT_EQ(shown->rows[24][0], "25");
    EXPECT_EQ(SearchPage()->Entries().size(), 25u);
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(SearchListPageTest, TheChoicesStayWithTheListWhileItDownloads) {
    device.Recordings().SetRecordings(5, std::vector<Recording>(4, Recording{48, 8, 5, 7, 10}));
    Open();
    Hdd()->setCurrentIndex(2);
    Button(CEventPage::kIdDownload)->click();
    // The short page came; the download waits out its pause.
    ASSERT_TRUE(ProcessEventsUntil([this] { return Targets().size() == 1; }));
    EXPECT_TRUE(SearchPage()->IsDownloading());
    EXPECT_FALSE(Hdd()->isEnabled());
    EXPECT_FALSE(Type()->isEnabled());
    // Whatever reaches the boxes meanwhile, the list opens as it was downloaded.
    Hdd()->setCurrentIndex(0);
    emit Hdd()->activated(0);
    Type()->setCurrentIndex(3);
    emit Type()->activated(3);
    BackupPreset preset;
    AnswerFullList([&preset](CFullListDlg& dialog) {
        dialog.List()->SelectRow(0);
        dialog.OnDownload();
        preset = g_BackupPreset;
        return dialog.result();
    });
    FinishDownload();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->title, "Full Record List");
    EXPECT_EQ(shown->rows.size(), 4u);  // not filtered for the alarm list
    EXPECT_EQ(preset.hddIndex, 2);
    EXPECT_TRUE(Hdd()->isEnabled());
    EXPECT_TRUE(Type()->isEnabled());
}

TEST_F(SearchListPageTest, MessagesInsteadOfTheFullList) {
    Open();
    AnswerFullList();
    // Nothing on the disk.
    device.Recordings().ClearRecordings();
    Download();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{CEventPage::kMsgNoListData}));
    // A failed request: the message and no window.
    device.Recordings().SetRecordings(0, std::vector<Recording>(12, Recording{0x13, 8, 1, 1}));
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetSearchList.cgi"));
    Download();
    EXPECT_EQ(boxes.Ids().back(), CEventPage::kMsgSendFailed);
    EXPECT_FALSE(shown.has_value());
}

TEST_F(SearchListPageTest, ADownloadWhoseWorkerCannotStartLeavesThePageAsItWas) {
    device.Recordings().SetRecordings(5, std::vector<Recording>(4, Recording{48, 8, 5, 7, 10}));
    Open();
    AnswerFullList();
    Hdd()->setCurrentIndex(2);
    Type()->setCurrentIndex(1);
    Download();
    ASSERT_EQ(SearchPage()->Entries().size(), 4u);
    device.Server().ClearLog();

    // Another disk and type are chosen; the download cannot start.
    Hdd()->setCurrentIndex(0);
    emit Hdd()->activated(0);
    Type()->setCurrentIndex(3);
    emit Type()->activated(3);
    ormidon::FailThreadStartsForTesting(1);
    Button(CEventPage::kIdDownload)->click();
    ormidon::FailThreadStartsForTesting(0);
    EXPECT_TRUE(Button(CEventPage::kIdDownload)->isEnabled());
    EXPECT_TRUE(Hdd()->isEnabled());
    EXPECT_FALSE(SearchPage()->IsDownloading());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CEventPage::kListNotStarted});
    EXPECT_TRUE(Targets().empty());
    // The list downloaded before stays, with the disk and type it belongs to.
    EXPECT_EQ(SearchPage()->Entries().size(), 4u);
    EXPECT_EQ(SearchPage()->EntriesHddIndex(), 2);
    EXPECT_EQ(SearchPage()->EntriesListType(), 1);
}

TEST_F(SearchListPageTest, WithoutADiskTheDownloadRefuses) {
    for (bool failed : {false, true}) {
        SCOPED_TRACE(failed);
        if (failed) device.Server().AddFault(ormidon::sim::Fault::Status(404, "/GetDvrHDD.cgi"));
        Open(failed ? std::vector<int>{0} : std::vector<int>{});
        EXPECT_FALSE(Hdd()->isEnabled());
        Button(CEventPage::kIdDownload)->click();
        EXPECT_EQ(boxes.Ids().back(), CEventPage::kMsgNoHdd);
        EXPECT_TRUE(Targets().empty());
        sheet.reset();
    }
}

TEST_F(SearchListPageTest, ClosingTheSheetStopsTheDownload) {
    Open();
    device.Server().AddFault(ormidon::sim::Fault::Stall("/GetSearchList.cgi"));
    const uint32_t overruns = ThreadSlot::OverrunCount();
    Button(CEventPage::kIdDownload)->click();
    ASSERT_TRUE(ProcessEventsUntil([this] { return Targets().size() == 1; }));
    EXPECT_TRUE(SearchPage()->IsDownloading());
    Button(MySystemDialog::kIdExit)->click();
    EXPECT_FALSE(SearchPage()->IsDownloading());
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
    ormidon::testing::ProcessEventsFor(20);
    EXPECT_TRUE(boxes.Ids().empty());
    device.Server().EndStalls();
}

class FullListTest : public SearchListPageTest {
  protected:
    // Two of each kind on MASTER2 (slot 2, row 1), newest first: a motion on channel 4, a
    // timer, an alarm on channel 1, a manual, a system recording and one of no known kind.
    void OpenWithKinds(int listType = 0) {
        app.CSettingINI.m_bySearchListType = static_cast<uint8_t>(listType);
        device.Recordings().SetRecordings(2, {{0x13, 8, 5, 7, 13, 4, 9},
                                              {32, 8, 5, 7, 12, 0, 0},
                                              {0x00, 8, 5, 7, 11, 0, 0},
                                              {48, 8, 5, 7, 10, 0, 0},
                                              {240, 8, 5, 7, 9, 0, 0},
                                              {0x77, 8, 5, 7, 8, 0, 0}});
        Open();
        Hdd()->setCurrentIndex(1);
    }
    static QCheckBox* Box(CFullListDlg& dialog, int id) {
        return ormidon::FindControl<QCheckBox>(&dialog, id);
    }
    static QStringList Events(CFullListDlg& dialog) {
        QStringList events;
        for (int r = 0; r < dialog.List()->topLevelItemCount(); ++r)
            events << dialog.List()->Text(r, 1);
        return events;
    }
};

TEST_F(FullListTest, FiltersByKindAndHandsTheRowOver) {
    OpenWithKinds();
    std::vector<QStringList> steps;
    // The preset as the Full List left it, before the Network Backup page takes it.
    BackupPreset preset;
    AnswerFullList([&steps, &preset](CFullListDlg& dialog) {
        EXPECT_TRUE(Box(dialog, CFullListDlg::kIdTimer)->isHidden());
        steps.push_back(Events(dialog));
        Box(dialog, CFullListDlg::kIdAlarm)->click();
        steps.push_back(Events(dialog));
        Box(dialog, CFullListDlg::kIdAlarm)->click();
        steps.push_back(Events(dialog));
        Box(dialog, CFullListDlg::kIdManual)->click();
        // Row 1 under this filter is the alarm recording.
        dialog.List()->SelectRow(1);
        dialog.OnDownload();
        preset = g_BackupPreset;
        return dialog.result();
    });
    g_BackupPreset = BackupPreset{};
    Download();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->rows[0], (QStringList{" 1", "MOTION", " 4", "2008-05-07  13:04:09"}));
    EXPECT_EQ(shown->rows[1], (QStringList{" 2", "TIMER", "ALL", "2008-05-07  12:00:00"}));
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0], (QStringList{"MOTION", "TIMER", "ALARM", "MANUAL", "SYSTEM"}));
    EXPECT_EQ(steps[1], (QStringList{"MOTION", "MANUAL", "SYSTEM"}));
    EXPECT_EQ(steps[2], steps[0]);
    EXPECT_EQ(preset.valid, 1);
    EXPECT_EQ(preset.kind, 0);
    EXPECT_EQ(preset.channel, 1);
    EXPECT_EQ(preset.hour, 11);
    EXPECT_EQ(preset.hddIndex, 1);
    // The sheet went to its Network Backup page.
    ASSERT_TRUE(
        ProcessEventsUntil([this] { return sheet->GetActivePage() == Page("Network Backup"); }));
}

TEST_F(FullListTest, AMotionRowGivesItsKindAndChannel) {
    OpenWithKinds();
    BackupPreset preset;
    AnswerFullList([&preset](CFullListDlg& dialog) {
        dialog.OnDownload();  // nothing chosen
        EXPECT_EQ(dialog.result(), 0);
        emit dialog.List()->itemDoubleClicked(dialog.List()->topLevelItem(0), 0);
        preset = g_BackupPreset;
        return dialog.result();
    });
    Download();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{CFullListDlg::kMsgSelectItem}));
    EXPECT_EQ(preset.kind, 1);
    EXPECT_EQ(preset.channel, 4);
    EXPECT_EQ((std::array{preset.year, preset.month, preset.day, preset.hour, preset.minute,
                          preset.second}),
              (std::array<uint8_t, 6>{8, 5, 7, 13, 4, 9}));
}

TEST_F(FullListTest, ASingleTypeListLeavesOnlyItsBox) {
    OpenWithKinds(1);  // MANUAL
    bool checked = false;
    AnswerFullList([&](CFullListDlg& dialog) {
        for (int id : {CFullListDlg::kIdAlarm, CFullListDlg::kIdMotion, CFullListDlg::kIdSystem}) {
            EXPECT_FALSE(Box(dialog, id)->isEnabled());
            EXPECT_FALSE(Box(dialog, id)->isChecked());
        }
        EXPECT_TRUE(Box(dialog, CFullListDlg::kIdManual)->isEnabled());
        EXPECT_TRUE(Box(dialog, CFullListDlg::kIdManual)->isChecked());
        EXPECT_EQ(Events(dialog), QStringList{"MANUAL"});
        checked = true;
        EXPECT_FALSE(ormidon::testing::SaveScreenshot(&dialog, "backup-full-list").empty());
        return 0;
    });
    Download();
    EXPECT_TRUE(checked);
    EXPECT_EQ(shown->title, "Manual Record List");
    EXPECT_EQ(Targets().at(0).substr(Targets().at(0).find("&STATE")), "&STATE=LAST&HDD=2&TYPE=3");
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-search-list").empty());
}

}  // namespace
