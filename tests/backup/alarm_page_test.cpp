// The Alarm and File Path pages against the simulated recorder: the ALARM bytes the
// applier sends, the method buttons, the rows shown per family, and the local paths.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "../support/TempFolder.h"
#include "backup/AlarmPropertyPage.h"
#include "backup/RecordPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"
#include "widgets/CDlgGetPath.h"

namespace {

using ormidon::test::SettingsSheetTest;
using AP = AlarmPropertyPage;

class AlarmPageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        RecordPage::SetWavFileAnswer({});
        CDlgGetPath::SetModalAnswer({});
        CDlgGetPath::SetVolumeSource({});
        SettingsSheetTest::TearDown();
    }
    // Logs in, lets `edit` change the records as read, opens the sheet and shows `page`.
    void OpenWith(const std::string& product, const std::function<void()>& edit = {},
                  const std::string& page = "Alarm") {
        LogIn({.product = product});
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        ormidon::testing::ProcessEventsFor(10);
        device.Server().ClearLog();
        ASSERT_TRUE(ShowPage(page));
    }
    uint8_t Sent(std::size_t offset) {
        return static_cast<uint8_t>(device.Section("ALARM").value_or("").at(offset));
    }
    uint16_t SentDuration() { return static_cast<uint16_t>(Sent(6) | Sent(7) << 8); }
    QCheckBox* Check(int id) { return Control<QCheckBox>(id); }
    QRadioButton* Radio(int id) { return Control<QRadioButton>(id); }
};

TEST_F(AlarmPageTest, AnUntouchedPageSendsNothingUnlessTheResolutionIsNotThree) {
    for (uint8_t resolution : {3, 5}) {
        SCOPED_TRACE(resolution);
        OpenWith("P62K", [this, resolution] {
            app.m_Cfg_ALARM[0x02] = 0;  // no pictures per alarm
            app.m_Cfg_ALARM[0x05] = resolution;
        });
        EXPECT_EQ(Control<QComboBox>(AP::kIdPostNumber)->currentText(), "1");
        PressApply();
        EXPECT_EQ(Writes("/SetSysCfg.cgi").size(), resolution == 3 ? 0u : 1u);
        if (resolution != 3) {
            EXPECT_EQ(Sent(0x05), 3);
            EXPECT_EQ(Sent(0x02), 0);  // the unchanged picture count stays as it was
        }
        sheet.reset();
    }
}

TEST_F(AlarmPageTest, DurationsAreWrittenAsTheFamilysSeconds) {
    struct Case {
        const char* product;
        int index;
        const char* text;
        uint16_t seconds;
    };
    for (const Case& c : {Case{"P62K", 5, "AUTO", 0xFFFF}, Case{"P51K", 3, "40     SEC", 40},
                          Case{"T18D", 3, "1      MIN", 60}}) {
        SCOPED_TRACE(c.product);
        OpenWith(c.product);
        QComboBox* durations = Control<QComboBox>(AP::kIdDuration);
        sheet::SetComboIndex(durations, c.index);
        EXPECT_EQ(durations->currentText(), c.text);
        PressApply();
        ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
        EXPECT_EQ(SentDuration(), c.seconds);
        sheet.reset();
    }
}

TEST_F(AlarmPageTest, TheMethodButtonsNeverSwitchTheLastMethodOff) {
    OpenWith("P62K", [this] { app.m_Cfg_ALARM[0x03] = 2; });
    EXPECT_TRUE(Radio(AP::kIdEnable)->isChecked());
    EXPECT_FALSE(Check(AP::kIdEmail)->isChecked());
    Check(AP::kIdFtp)->click();
    EXPECT_EQ(static_cast<AP*>(Page("Alarm"))->Values().byAlarmMethod, 2);
    EXPECT_TRUE(Check(AP::kIdFtp)->isChecked());
    Check(AP::kIdEmail)->click();
    EXPECT_EQ(static_cast<AP*>(Page("Alarm"))->Values().byAlarmMethod, 3);
    Check(AP::kIdFtp)->click();
    EXPECT_EQ(static_cast<AP*>(Page("Alarm"))->Values().byAlarmMethod, 1);
    Radio(AP::kIdDisable)->click();
    EXPECT_FALSE(Check(AP::kIdEmail)->isEnabled());
    EXPECT_FALSE(Check(AP::kIdEmail)->isChecked());
    PressApply();
    EXPECT_EQ(Sent(0x03), 0);
}

TEST_F(AlarmPageTest, RowsShownPerFamilyAndTheVideoSourceBits) {
    OpenWith("P62K", [this] { app.m_Cfg_ALARM[0x09] = 0x01; });
    EXPECT_TRUE(Control(AP::kIdRecordOn)->isVisible());
    EXPECT_TRUE(Control(AP::kIdSourceGroup)->isVisible());
    EXPECT_FALSE(Control(AP::kIdAutoSwitch)->isVisible());
    EXPECT_TRUE(Radio(AP::kIdFirstSource + 1)->isChecked());  // input 1 on CH2
    EXPECT_TRUE(Radio(AP::kIdFirstSource + 4)->isChecked());  // input 3 on CH1
    Radio(AP::kIdFirstSource + 5)->click();                   // input 3 to CH2
    EXPECT_FALSE(Radio(AP::kIdFirstSource + 4)->isChecked());
    Radio(AP::kIdRecordOn)->click();
    EXPECT_FALSE(Radio(AP::kIdRecordOff)->isChecked());
    app.m_RTPH_Struct.m_wAlarmData = 0x0004;
    Button(AP::kIdRefresh)->click();
    EXPECT_EQ(app.m_RTPH_Struct.m_wAlarmData.load(), 0);
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-alarm").empty());
    PressApply();
    EXPECT_EQ(Sent(0x09), 0x05);
    EXPECT_EQ(app.CSettingINI.m_byAlarmTriggerRecord, 1);

    for (const char* multi : {"0", "1"}) {
        SCOPED_TRACE(multi);
        app.CSettingINI.m_byAlarmAutoSwitchVideo = 1;
        OpenWith("P51K", [this, multi] { app.by_MultiChannel = multi[0] == '1' ? 1 : 0; });
        EXPECT_FALSE(Control(AP::kIdRecordOn)->isVisible());
        EXPECT_FALSE(Control(AP::kIdSourceGroup)->isVisible());
        EXPECT_EQ(Control(AP::kIdAutoSwitch)->isVisible(), multi[0] == '1');
        if (multi[0] == '1') {
            EXPECT_TRUE(Check(AP::kIdAutoSwitch)->isChecked());
            Check(AP::kIdAutoSwitch)->click();
            PressApply();
            EXPECT_EQ(app.CSettingINI.m_byAlarmAutoSwitchVideo, 0);
        }
        sheet.reset();
    }
}

TEST_F(AlarmPageTest, AFailedSendShowsChangeFailed) {
    OpenWith("N27V");
    sheet::SetComboIndex(Control<QComboBox>(AP::kIdPostNumber), 4);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4012}));
    EXPECT_EQ(app.m_Cfg_ALARM[0x02], 5);  // the record keeps the new value
}

TEST_F(AlarmPageTest, FilePathsComeFromThePickersAndTheEdits) {
    ormidon::test::TempFolder folders;
    std::filesystem::create_directories(folders / "records");
    CDlgGetPath::SetVolumeSource([&folders] {
        return std::vector<ormidon::Volume>{{"test", folders.path(), ormidon::Volume::Kind::Root}};
    });
    CDlgGetPath::SetModalAnswer([&folders](CDlgGetPath& picker) {
        return picker.SelectPath((folders / "records").string()) ? CDlgGetPath::kIdOk
                                                                 : CDlgGetPath::kIdCancel;
    });
    app.CSettingINI.m_strTriggerWavPath = "/old/alarm.wav";
    app.CSettingINI.m_strSnapshotPath = "/old/snapshots";
    OpenWith("P62K", {}, "File Path");
    EXPECT_TRUE(Control(RecordPage::kIdAlarmWav)->isVisible());
    EXPECT_TRUE(Control<QLineEdit>(RecordPage::kIdAlarmWav)->isReadOnly());
    Button(RecordPage::kIdModifyRecord)->click();
    const std::string picked = (folders / "records").string() + "/";
    EXPECT_EQ(Control<QLineEdit>(RecordPage::kIdRecordDir)->text().toStdString(), picked);

    RecordPage::SetWavFileAnswer([](QWidget*) { return std::optional<std::string>(); });
    Button(RecordPage::kIdModifyAlarmWav)->click();
    EXPECT_EQ(Control<QLineEdit>(RecordPage::kIdAlarmWav)->text(), "/old/alarm.wav");
    RecordPage::SetWavFileAnswer(
        [](QWidget*) { return std::optional<std::string>("/sounds/new alarm.wav"); });
    Button(RecordPage::kIdModifyAlarmWav)->click();

    QLineEdit* snapshot = Control<QLineEdit>(RecordPage::kIdSnapshotDir);
    snapshot->clear();
    QTest::keyClicks(snapshot, (folders / "snaps").string().c_str());
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-file-path").empty());
    PressApply();
    EXPECT_EQ(app.CSettingINI.m_strRecordPath, picked);
    EXPECT_EQ(app.CSettingINI.m_strSnapshotPath, (folders / "snaps").string());
    EXPECT_EQ(app.CSettingINI.m_strTriggerWavPath, "/sounds/new alarm.wav");
    EXPECT_TRUE(std::filesystem::is_directory(folders / "snaps"));
    EXPECT_TRUE(Writes().empty());

    // A P5xK without an R.E.T.R. DVR has no alarm sound row.
    sheet.reset();
    OpenWith("P51K", {}, "File Path");
    EXPECT_FALSE(Control(RecordPage::kIdAlarmWav)->isVisible());
    EXPECT_FALSE(Control(RecordPage::kIdModifyAlarmWav)->isVisible());
}

TEST_F(AlarmPageTest, AFolderTooLongForTheSettingsIsRefusedAndNeverStoredCut) {
    ormidon::test::TempFolder folders;
    std::filesystem::path deep = folders.path();
    while (deep.string().size() <= 300) deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    CDlgGetPath::SetVolumeSource([&folders] {
        return std::vector<ormidon::Volume>{{"test", folders.path(), ormidon::Volume::Kind::Root}};
    });
    CDlgGetPath::SetModalAnswer([&deep](CDlgGetPath& picker) {
        return picker.SelectPath(deep.string()) ? CDlgGetPath::kIdOk : CDlgGetPath::kIdCancel;
    });
    // A stored folder of the settings' full length is shown whole.
    const std::string base = folders.path().string() + "/";
    const std::string stored = base + std::string(RecordPage::kMaxPathBytes - base.size(), 'r');
    app.CSettingINI.m_strRecordPath = stored;
    app.CSettingINI.m_strSnapshotPath = base + "snapshots";
    OpenWith("P62K", {}, "File Path");
    QLineEdit* record = Control<QLineEdit>(RecordPage::kIdRecordDir);
    EXPECT_EQ(record->text().toStdString(), stored);

    Button(RecordPage::kIdModifyRecord)->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{RecordPage::kPathTooLongText});
    EXPECT_EQ(record->text().toStdString(), stored);
    // Typing past the length the settings keep is taken back.
    record->end(false);
    QTest::keyClicks(record, "x");
    EXPECT_EQ(record->text().toStdString(), stored);
    // Typing in the other edit stores that edit alone.
    QTest::keyClicks(Control<QLineEdit>(RecordPage::kIdSnapshotDir), "2");
    PressApply();
    EXPECT_EQ(app.CSettingINI.m_strRecordPath, stored);
    EXPECT_EQ(app.CSettingINI.m_strSnapshotPath, base + "snapshots2");
}

// A path pasted into a folder edit is taken whole: one over the settings' length is refused
// with the message and the stored folder stays; one of exactly that length is stored.
TEST_F(AlarmPageTest, APastedFolderIsTakenWholeOrRefused) {
    const std::string stored = "/old/records/";
    app.CSettingINI.m_strRecordPath = stored;
    OpenWith("P62K", {}, "File Path");
    QLineEdit* record = Control<QLineEdit>(RecordPage::kIdRecordDir);
    const auto paste = [record](const std::string& path) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(path));
        record->selectAll();
        QTest::keySequence(record, QKeySequence::Paste);
    };

    paste("/" + std::string(299, 'p'));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{RecordPage::kPathTooLongText});
    EXPECT_EQ(record->text().toStdString(), stored);
    PressApply();
    EXPECT_EQ(app.CSettingINI.m_strRecordPath, stored);

    // 255 bytes, two of them in one character.
    const std::string whole = "/" + std::string(252, 'w') + "\xc3\xa9";
    ASSERT_EQ(whole.size(), static_cast<std::size_t>(RecordPage::kMaxPathBytes));
    paste(whole);
    EXPECT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(record->text().toStdString(), whole);
    PressApply();
    EXPECT_EQ(app.CSettingINI.m_strRecordPath, whole);
}

}  // namespace
