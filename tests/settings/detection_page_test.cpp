// The Detection page against the simulated recorder: the list's texts, the channel shown
// live before an edit, the editor's values going into DVRLIVE and ALARM, and which of the
// two its applier sends.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <functional>

#include "../support/MotionPreviewFeed.h"
#include "../support/SectionPatch.h"
#include "../support/SettingsSheetHarness.h"
#include "settings/CMotionEditDlg.h"
#include "settings/DetectionPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using Dlg = CMotionEditDlg;

class DetectionPageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        sheet::SetChildDialogResponder(nullptr);
        SettingsSheetTest::TearDown();
    }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(DetectionPage::kIdList));
    }
    // Edits row `row`: `act` works the editor, then OK is pressed.
    void Edit(int row, const std::function<void(Dlg&)>& act) {
        sheet::SetChildDialogResponder([&](QDialog& dialog) {
            auto& editor = dynamic_cast<Dlg&>(dialog);
            act(editor);
            ormidon::FindControl<QPushButton>(&dialog, Dlg::kIdOk)->click();
            return dialog.result();
        });
        List()->SelectRow(row);
        Button(DetectionPage::kIdEdit)->click();
        sheet::SetChildDialogResponder(nullptr);
    }
    static QComboBox* Combo(Dlg& dialog, int id) {
        return ormidon::FindControl<QComboBox>(&dialog, id);
    }
    static QStringList Items(QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    // The current control device a master, as after a login to a recorder.
    void MasterCurrent(bool master) {
        app.C_ControlD.Clear();
        app.C_ControlD.AddDevice(9600, 0, 18, kRoleMaster);
        app.C_ControlD.AddDevice(9600, 1, 11, kRoleSlave);
        app.C_ControlD.MakeCurrent(master ? kRoleMaster : kRoleSlave, 0);
    }
};

TEST_F(DetectionPageTest, AlarmTextsFollowTheCapabilityInListAndEditor) {
    struct Case {
        uint32_t capability;
        QStringList texts;
    };
    for (const Case& c : {Case{0x80, {"N.O.", "N.C.", "OFF"}}, Case{0, {"LOW", "HIGH", "OFF"}}}) {
        SCOPED_TRACE(c.capability);
        OpenSheet({.product = "P55K", .capability = c.capability});
        // A type the lists do not know.
        ormidon::test::PatchSection(device, app, CFG_ALARM,
                                    [](std::string& alarm) { alarm[0x08 + 3] = 3; });
        ASSERT_TRUE(ShowPage("Detection"));
        ASSERT_EQ(List()->topLevelItemCount(), 4);
        EXPECT_EQ((QStringList{List()->Text(0, 6), List()->Text(1, 6), List()->Text(2, 6),
                               List()->Text(3, 6)}),
                  (QStringList{c.texts[0], c.texts[1], c.texts[2], "OFF"}));
        EXPECT_EQ(List()->Text(0, 1), "OFF");
        EXPECT_EQ(List()->Text(1, 1), "ON");
        EXPECT_EQ(List()->Text(1, 2), "8");
        EXPECT_EQ(List()->Text(1, 5), "30");
        Edit(3, [&](Dlg& dialog) {
            EXPECT_EQ(Items(Combo(dialog, Dlg::kIdAlarm)), c.texts);
            EXPECT_EQ(sheet::ComboIndex(Combo(dialog, Dlg::kIdAlarm)), -1);
            EXPECT_EQ(sheet::ComboIndex(Combo(dialog, Dlg::kIdDetect)), 1);
        });
        PressApply();
        // The unknown type went back as stored: nothing changed, nothing sent.
        EXPECT_TRUE(Writes("/SetSysCfg.cgi").empty());
        EXPECT_EQ(app.m_Cfg_ALARM[0x08 + 3], 3);
        sheet.reset();
    }
}

TEST_F(DetectionPageTest, AnAlarmEditSendsOnlyAlarmAndARefusedDvrliveSkipsIt) {
    OpenSheet({.product = "P55K"});
    ASSERT_TRUE(ShowPage("Detection"));
    const std::string alarm = device.Section("ALARM").value();
    Edit(2, [](Dlg& dialog) { sheet::SetComboIndex(Combo(dialog, Dlg::kIdAlarm), 0); });
    EXPECT_EQ(List()->Text(2, 6), "LOW");
    PressApply();
    std::vector<ormidon::test::RecorderWrite> writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].query.rfind("/SetSysCfg.cgi?Option=ALARM&", 0), 0u);
    std::string expected = alarm;
    expected[0x08 + 2] = 0;
    EXPECT_EQ(writes[0].body, expected);
    sheet.reset();

    OpenSheet({.product = "P55K"});
    ASSERT_TRUE(ShowPage("Detection"));
    Edit(0, [](Dlg& dialog) {
        sheet::SetComboIndex(Combo(dialog, Dlg::kIdAlarm), 1);
        auto* ls = ormidon::FindControl<QLineEdit>(&dialog, Dlg::kIdLs);
        ls->clear();
        QTest::keyClicks(ls, "3");
    });
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].query.rfind("/SetSysCfg.cgi?Option=DVRLIVE&", 0), 0u);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4012}));
}

TEST_F(DetectionPageTest, TheChannelIsShownLiveBeforeTheEditor) {
    struct Case {
        const char* name;
        bool master;
        uint8_t multiChannel;
        uint8_t currentChannel;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"single-channel device: the key", true, 0, 2, {"SendRemoteKey:0,5"}},
        {"no current channel: the key", true, 1, 0, {"SendRemoteKey:0,5"}},
        {"multi-channel with a channel: the channel bar", true, 1, 2, {"SetChannel:6"}},
        {"a slave current: nothing", false, 1, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenSheet();
        MasterCurrent(c.master);
        app.by_MultiChannel = c.multiChannel;
        host.currentChannel = c.currentChannel;
        host.calls.clear();
        ASSERT_TRUE(ShowPage("Detection"));
        std::vector<std::string> callsBefore;
        Edit(5, [&](Dlg&) { callsBefore = host.calls; });
        EXPECT_EQ(callsBefore, c.calls);
        sheet.reset();
    }
}

TEST_F(DetectionPageTest, TheAreaDrawnInTheEditorGoesIntoDvrliveWithAllSixteenChannels) {
    app.lp_CopyImageBuffer = std::make_unique<uint8_t[]>(kImageBufferSize);
    app.w_ImageWidth = 320;
    app.w_ImageHeight = 240;
    app.by_VideoMode = 1;
    OpenSheet({.product = "P55K"});
    const std::string live = device.Section("DVRLIVE").value();
    ASSERT_TRUE(ShowPage("Detection"));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-detection").empty());
    Edit(2, [&](Dlg& dialog) {
        ormidon::FindControl<QPushButton>(&dialog, Dlg::kIdSetup)->click();
        ASSERT_TRUE(ormidon::test::FeedPreviewFrame(app, ormidon::test::ChannelPicture(320, 240, 3),
                                                    320, 240));
        ASSERT_TRUE(
            ormidon::testing::ProcessEventsUntil([&] { return dialog.IsPreviewActive(); }, 2000));
        const QRect preview = dialog.PreviewRect();
        dialog.OnLButtonDown(preview.topLeft() + QPoint(5, 5));
        dialog.OnLButtonUp(preview.topLeft() + QPoint(5, 5));  // row 0, column 0
        dialog.OnLButtonDown(preview.topLeft() + QPoint(20 * 9 + 5, 23 * 11 + 5));
        dialog.OnLButtonUp(preview.topLeft() + QPoint(20 * 9 + 5, 23 * 11 + 5));
        ormidon::testing::ProcessEventsFor(10);
        EXPECT_FALSE(ormidon::testing::SaveScreenshot(&dialog, "settings-detection-edit").empty());
    });
    PressApply();
    const std::vector<ormidon::test::RecorderWrite> writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].query.rfind("/SetSysCfg.cgi?Option=DVRLIVE&", 0), 0u);
    std::string expected = live;
    expected[0x184 + 24 * 2 + 1] = 0x01;
    expected[0x184 + 24 * 2 + 22] = 0x02;
    EXPECT_EQ(writes[0].body, expected);
}

}  // namespace
