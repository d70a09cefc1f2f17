// The Alarm List page over a real alarm database in a scratch program folder: rows and
// paths, deletion with the reload that follows it, rejected files moved aside, and Play
// handing the path to the playback program as one argument.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <fstream>

#include "../support/SettingsSheetHarness.h"
#include "../support/TempFolder.h"
#include "backup/AlarmDataPage.h"
#include "platform/Paths.h"
#include "record/SystemConfig.h"
#include "sheet/PageToolkit.h"

namespace {

using ormidon::test::SettingsSheetTest;
using LP = AlarmDataPage;

class AlarmListPageTest : public SettingsSheetTest {
  protected:
    void SetUp() override {
        SettingsSheetTest::SetUp();
        ormidon::SetProgramFolderForTesting(folder.path());
    }
    void TearDown() override {
        SettingsSheetTest::TearDown();
        ormidon::SetProgramFolderForTesting({});
    }
    // Appends entries the way the alarm recorder does; record file i exists unless listed.
    void Record(int count, std::vector<int> missing = {}) {
        for (int i = 0; i < count; ++i) {
            const std::string path = (folder / ("alarm " + std::to_string(i) + ".vse")).string();
            if (std::find(missing.begin(), missing.end(), i) == missing.end())
                std::ofstream(path) << "record";
            g_SystemConfig.AlarmDB_SetRecordPath(path);
            g_SystemConfig.AlarmDB_SetRecordDate({2026, 12, 10, 14, 35, i, 0, 4});
            ASSERT_EQ(g_SystemConfig.AlarmDB_AppendItem(100 + i, "10.0.0." + std::to_string(i)), 1);
        }
    }
    std::string PathOf(int i) {
        return (folder / ("alarm " + std::to_string(i) + ".vse")).string();
    }
    void Open() {
        OpenSheet({.product = "P62K"});
        ASSERT_TRUE(ShowPage("Alarm List"));
    }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(LP::kIdList));
    }
    QString Path() { return Control<QPlainTextEdit>(LP::kIdPath)->toPlainText(); }
    std::string FileBytes(const std::string& name) {
        std::ifstream in(folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    int FileCount() {
        const std::string bytes = FileBytes("AlarmData.dat");
        return bytes.size() < 4
                   ? -1
                   : static_cast<uint8_t>(bytes[2]) | static_cast<uint8_t>(bytes[3]) << 8;
    }

    ormidon::test::TempFolder folder;
};

TEST_F(AlarmListPageTest, RowsShowTheEntriesAndAMissingFileIsMarked) {
    Record(3, {1});
    Open();
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(List()->Text(0, 0), "1");
    EXPECT_EQ(List()->Text(0, 1), "10.0.0.0");
    EXPECT_EQ(List()->Text(2, 2), "2026.12.10 14:35:02");
    EXPECT_EQ(List()->Text(2, 3), "102");
    EXPECT_EQ(Path().toStdString(), PathOf(0));
    List()->SelectRow(1);
    static_cast<LP*>(Page("Alarm List"))->OnClickList();
    EXPECT_EQ(Path().toStdString(), PathOf(1) + " (File not found)");
    Button(LP::kIdPlay)->click();  // nothing to play
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-alarm-list").empty());
}

TEST_F(AlarmListPageTest, DeletingReloadsAndChoosesTheNextRow) {
    struct Case {
        int entries;
        int row;
        int selected;  // -1 none
        int shownEntry;
    };
    for (const Case& c : {Case{5, 1, 1, 2}, Case{5, 3, 0, 0}, Case{1, 0, -1, -1}}) {
        SCOPED_TRACE(testing::Message() << c.entries << " delete " << c.row);
        std::filesystem::remove(folder / "AlarmData.dat");
        Record(c.entries);
        Open();
        List()->SelectRow(c.row);
        Button(LP::kIdDelete)->click();
        EXPECT_EQ(List()->topLevelItemCount(), c.entries - 1);
        EXPECT_EQ(FileCount(), c.entries - 1);
        EXPECT_EQ(List()->SelectedRow(), c.selected);
        EXPECT_EQ(Path().toStdString(), c.shownEntry < 0 ? "" : PathOf(c.shownEntry));
        // Every row still stands for its own entry.
        for (int row = 0; row < List()->topLevelItemCount(); ++row) {
            const int entry = row < c.row ? row : row + 1;
            EXPECT_EQ(List()->Text(row, 1).toStdString(), "10.0.0." + std::to_string(entry));
            EXPECT_EQ(List()->Text(row, 0).toStdString(), std::to_string(row + 1));
        }
        sheet.reset();
    }
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(AlarmListPageTest, DeleteAndClearAllRefuseOrEmptyTheDatabase) {
    Open();  // no file: made empty
    EXPECT_EQ(FileBytes("AlarmData.dat"), std::string("\x87\x99\0\0", 4));
    Button(LP::kIdDelete)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4045}));
    sheet.reset();

    Record(3);
    Open();
    List()->clearSelection();
    Button(LP::kIdDelete)->click();
    EXPECT_EQ(boxes.Ids().back(), 4086u);
    Button(LP::kIdClearAll)->click();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(Path(), "");
    EXPECT_EQ(FileCount(), 0);
    Button(LP::kIdClearAll)->click();  // nothing left: nothing happens
    EXPECT_EQ(boxes.Ids().size(), 2u);
}

TEST_F(AlarmListPageTest, ARejectedFileIsMovedAsideNeverOverAnOlderOne) {
    std::ofstream(folder / "AlarmData.dat.bad") << "older";
    std::ofstream(folder / "AlarmData.dat", std::ios::binary) << std::string("\x34\x12\0\0", 4);
    Open();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(boxes.Texts().empty());  // another magic: silently
    EXPECT_EQ(FileBytes("AlarmData.dat.bad"), "older");
    EXPECT_EQ(FileBytes("AlarmData.dat.bad.2"), std::string("\x34\x12\0\0", 4));
    EXPECT_FALSE(std::filesystem::exists(folder / "AlarmData.dat"));

    std::ofstream(folder / "AlarmData.dat", std::ios::binary) << "ab";
    Button(LP::kIdRefresh)->click();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{LP::kReadFailedText}));
    EXPECT_EQ(FileBytes("AlarmData.dat.bad.3"), "ab");
    Button(LP::kIdRefresh)->click();  // no file now: a new empty one
    EXPECT_EQ(FileCount(), 0);
}

TEST_F(AlarmListPageTest, PlayHandsThePathToThePlayerAsOneArgument) {
    const std::filesystem::path output = folder / "player-arguments";
    {
        std::ofstream script(folder / "Tamburo");
        script << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" << output.string() << ".part'\n"
               << "mv '" << output.string() << ".part' '" << output.string() << "'\n";
    }
    std::filesystem::permissions(folder / "Tamburo", std::filesystem::perms::owner_all);
    Record(1);
    Open();
    Button(LP::kIdPlay)->click();
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&output] { return std::filesystem::exists(output); }));
    EXPECT_EQ(FileBytes("player-arguments"), "1|" + PathOf(0));

    std::filesystem::remove(folder / "Tamburo");
    Button(LP::kIdPlay)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4108}));
}

}  // namespace
