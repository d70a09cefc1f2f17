// The Camera ("DVR") page against the simulated recorder: the list, the edit dialog's
// typing rules, and which of DVRLIVE and DVRREC its applier sends.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "../support/DrawnWindow.h"
#include "../support/SectionPatch.h"
#include "../support/SettingsSheetHarness.h"
#include "settings/CCameraEditDlg.h"
#include "settings/CameraPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using Dlg = CCameraEditDlg;

class CameraPageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        sheet::SetChildDialogResponder(nullptr);
        SettingsSheetTest::TearDown();
    }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(CameraPage::kIdList));
    }
    // Edits row `row`: `act` works the dialog, then OK is pressed.
    void Edit(int row, const std::function<void(QDialog&)>& act) {
        sheet::SetChildDialogResponder([&](QDialog& dialog) {
            act(dialog);
            ormidon::FindControl<QPushButton>(&dialog, Dlg::kIdOk)->click();
            return dialog.result();
        });
        List()->SelectRow(row);
        Button(CameraPage::kIdEdit)->click();
        sheet::SetChildDialogResponder(nullptr);
    }
    static QLineEdit* Field(QDialog& dialog, int id) {
        return ormidon::FindControl<QLineEdit>(&dialog, id);
    }
    static void Type(QDialog& dialog, int id, const char* text) {
        Field(dialog, id)->clear();
        QTest::keyClicks(Field(dialog, id), text);
    }
};

TEST_F(CameraPageTest, TheDialogFiltersTitlesAndClampsNumbersWhileTyping) {
    OpenSheet();
    ASSERT_TRUE(ShowPage("DVR"));
    ASSERT_EQ(List()->topLevelItemCount(), 16);
    EXPECT_EQ(List()->Text(0, 1), "CAM1");
    EXPECT_EQ(List()->Text(0, 2), "128");
    EXPECT_EQ(List()->Text(0, 6), "NO");
    EXPECT_EQ(List()->Text(0, 7), "YES");
    Edit(0, [&](QDialog& dialog) {
        EXPECT_EQ(ormidon::FindControl<QLabel>(&dialog, Dlg::kIdNumber)->text(), "1");
        EXPECT_EQ(Field(dialog, Dlg::kIdTitle)->text(), "CAM1");
        Type(dialog, Dlg::kIdTitle, "ab-1");
        EXPECT_EQ(Field(dialog, Dlg::kIdTitle)->text(), "AB1");
        QTest::keyClicks(Field(dialog, Dlg::kIdTitle), "cd-ef");
        EXPECT_EQ(Field(dialog, Dlg::kIdTitle)->text(), "AB1CDE");
        EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4112}));
        // Eight characters typed into a short title: six kept and one message for the
        // two refused, not one per key.
        QTest::keyClick(Field(dialog, Dlg::kIdTitle), Qt::Key_Backspace);
        QTest::keyClick(Field(dialog, Dlg::kIdTitle), Qt::Key_Backspace);
        QTest::keyClicks(Field(dialog, Dlg::kIdTitle), "xyzw");
        EXPECT_EQ(Field(dialog, Dlg::kIdTitle)->text(), "AB1CXY");
        EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4112, 4112}));
        Type(dialog, Dlg::kIdBrightness, "300");
        EXPECT_EQ(Field(dialog, Dlg::kIdBrightness)->text(), "255");
        Field(dialog, Dlg::kIdContrast)->clear();  // emptied: keeps its value
        Type(dialog, Dlg::kIdHue, "7x");
        EXPECT_EQ(Field(dialog, Dlg::kIdHue)->text(), "7");
    });
    EXPECT_EQ(List()->Text(0, 1), "AB1CXY");
    EXPECT_EQ(List()->Text(0, 2), "255");
    EXPECT_EQ(List()->Text(0, 3), "128");
    EXPECT_EQ(List()->Text(0, 5), "7");

    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(Writes("/SetSysCfg.cgi")[0].query.rfind("/SetSysCfg.cgi?Option=DVRLIVE&", 0), 0u);
    const std::string live = device.Section("DVRLIVE").value();
    EXPECT_EQ(live.substr(0x74, 6), "AB1CXY");
    EXPECT_EQ(live.substr(0x7A, 4), std::string("CAM2", 4));
    EXPECT_EQ(static_cast<uint8_t>(live[0x04]), 255);
    EXPECT_EQ(static_cast<uint8_t>(live[0x14]), 128);
    EXPECT_EQ(static_cast<uint8_t>(live[0x24]), 7);
}

TEST_F(CameraPageTest, ASixCharacterTitleIsReadWholeAndOnlyRecSendsDvrrecAlone) {
    OpenSheet({.product = "P53K"});
    ormidon::test::PatchSection(device, app, CFG_DVRLIVE, [](std::string& live) {
        live.replace(0x74, 12, "ABCDEFXYZ\0\0\0", 12);
        live[0x54 + 2] = 2;  // a COV value the list does not know
    });
    const std::string rec = device.Section("DVRREC").value();
    ASSERT_TRUE(ShowPage("DVR"));
    ASSERT_EQ(List()->topLevelItemCount(), 8);
    EXPECT_EQ(List()->Text(0, 1), "ABCDEF");
    EXPECT_EQ(List()->Text(1, 1), "XYZ");
    EXPECT_EQ(List()->Text(2, 6), "NO");

    Edit(0, [](QDialog& dialog) { EXPECT_EQ(Field(dialog, Dlg::kIdTitle)->text(), "ABCDEF"); });
    Edit(2, [](QDialog& dialog) {
        EXPECT_EQ(sheet::ComboIndex(ormidon::FindControl<QComboBox>(&dialog, Dlg::kIdCov)), -1);
        sheet::SetComboIndex(ormidon::FindControl<QComboBox>(&dialog, Dlg::kIdRec), 0);
    });
    EXPECT_EQ(List()->Text(2, 7), "NO");
    PressApply();
    const std::vector<ormidon::test::RecorderWrite> writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].query.rfind("/SetSysCfg.cgi?Option=DVRREC&", 0), 0u);
    std::string expected = rec;
    expected[0x14 + 2] = 0;
    EXPECT_EQ(writes[0].body, expected);
    EXPECT_EQ(static_cast<uint8_t>(app.m_Cfg_DVRLIVE[0x54 + 2]), 2);
}

TEST_F(CameraPageTest, ARefusedDvrliveSkipsDvrrec) {
    OpenSheet();
    ASSERT_TRUE(ShowPage("DVR"));
    Button(CameraPage::kIdEdit)->click();  // nothing selected
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4046}));
    Edit(3, [](QDialog& dialog) {
        sheet::SetComboIndex(ormidon::FindControl<QComboBox>(&dialog, Dlg::kIdCov), 1);
        sheet::SetComboIndex(ormidon::FindControl<QComboBox>(&dialog, Dlg::kIdRec), 0);
    });
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4046, 4012}));
}

TEST_F(CameraPageTest, ThePageAndItsEditDialogAreDrawn) {
    OpenSheet();
    ASSERT_TRUE(ShowPage("DVR"));
    ormidon::test::ExpectControlsWhole(sheet.get(), sheet->GetActivePage(),
                                       {CameraPage::kIdList, CameraPage::kIdEdit});
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-camera").empty());
    bool edited = false;
    sheet::SetChildDialogResponder([&edited](QDialog& dialog) {
        using Dlg = CCameraEditDlg;
        ormidon::test::ExpectControlsWhole(
            &dialog, &dialog,
            {Dlg::kIdNumber, Dlg::kIdTitle, Dlg::kIdBrightness, Dlg::kIdContrast,
             Dlg::kIdSaturation, Dlg::kIdHue, Dlg::kIdCov, Dlg::kIdRec, Dlg::kIdOk});
        EXPECT_FALSE(ormidon::testing::SaveScreenshot(&dialog, "settings-camera-edit").empty());
        edited = true;
        return 0;
    });
    List()->SelectRow(0);
    Button(CameraPage::kIdEdit)->click();
    EXPECT_TRUE(edited);
}

}  // namespace
