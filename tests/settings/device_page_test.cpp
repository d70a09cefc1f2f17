// The Device page against the simulated recorder: rows by product, the edit dialog, the
// RS485 bytes its applier sends, and the control-device list rebuilt after APPLY.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "../support/DrawnWindow.h"
#include "../support/SectionPatch.h"
#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "settings/CPTZDeviceEditDlg.h"
#include "settings/DevicePage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using Dlg = CPTZDeviceEditDlg;

// What the operator does in the edit dialog: -2 leaves a list as it opened.
struct EditAnswer {
    int device = -2;
    const char* id = nullptr;  // typed into the emptied ID field
    int protocol = -2;
    int rate = -2;
};

class DevicePageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        sheet::SetChildDialogResponder(nullptr);
        SettingsSheetTest::TearDown();
    }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(DevicePage::kIdList));
    }
    // Edits row `row` with `answer`, pressing OK; what the dialog showed when it opened.
    struct Opened {
        QString number;
        int device, protocol, rate;
        QString id;
    };
    Opened Edit(int row, const EditAnswer& answer) {
        Opened opened{};
        sheet::SetChildDialogResponder([&](QDialog& dialog) {
            const auto combo = [&](int id) { return ormidon::FindControl<QComboBox>(&dialog, id); };
            opened = {ormidon::FindControl<QLabel>(&dialog, Dlg::kIdNumber)->text(),
                      sheet::ComboIndex(combo(Dlg::kIdDevice)),
                      sheet::ComboIndex(combo(Dlg::kIdProtocol)),
                      sheet::ComboIndex(combo(Dlg::kIdRate)),
                      ormidon::FindControl<QLineEdit>(&dialog, Dlg::kIdId)->text()};
            if (answer.device != -2) sheet::SetComboIndex(combo(Dlg::kIdDevice), answer.device);
            if (answer.protocol != -2)
                sheet::SetComboIndex(combo(Dlg::kIdProtocol), answer.protocol);
            if (answer.rate != -2) sheet::SetComboIndex(combo(Dlg::kIdRate), answer.rate);
            if (answer.id != nullptr) {
                auto* id = ormidon::FindControl<QLineEdit>(&dialog, Dlg::kIdId);
                id->clear();
                QTest::keyClicks(id, answer.id);
                opened.id = id->text();  // what the field shows after typing
            }
            ormidon::FindControl<QPushButton>(&dialog, Dlg::kIdOk)->click();
            return dialog.result();
        });
        List()->SelectRow(row);
        Button(DevicePage::kIdEdit)->click();
        sheet::SetChildDialogResponder(nullptr);
        return opened;
    }
    std::string Rs485() { return device.Section("RS485").value_or(""); }
};

TEST_F(DevicePageTest, RowsFollowTheProductWithTheStoredTexts) {
    struct Case {
        const char* product;
        int rows;
    };
    for (const Case& c : {Case{"P51K", 16}, Case{"P53K", 8}, Case{"P55K", 4}}) {
        SCOPED_TRACE(c.product);
        OpenSheet({.product = c.product});
        ASSERT_TRUE(ShowPage("Device"));
        ASSERT_EQ(List()->topLevelItemCount(), c.rows);
        EXPECT_EQ(List()->Text(0, 0), " 1");
        // The recorder's PTZ heads are those of its bus: channels 1 to 3, the third Pelco.
        EXPECT_EQ(List()->Text(0, 1), "PTZ");
        EXPECT_EQ(List()->Text(0, 2), "1");
        EXPECT_EQ(List()->Text(0, 3), "NORMAL");
        EXPECT_EQ(List()->Text(0, 4), "9600");
        EXPECT_EQ(List()->Text(2, 1), "PTZ");
        EXPECT_EQ(List()->Text(2, 2), "3");
        EXPECT_EQ(List()->Text(2, 3), "P-D");
        EXPECT_EQ(List()->Text(3, 1), "CAMERA");
        EXPECT_EQ(List()->Text(3, 3), "NORMAL");
        sheet.reset();
    }
}

TEST_F(DevicePageTest, AnEditChangesOnlyItsChannelsBytesAndUnknownValuesStay) {
    OpenSheet({.product = "P55K"});
    // Channel 2 holds a device kind and a rate that the lists do not know.
    const std::string rs485 =
        ormidon::test::PatchSection(device, app, CFG_RS485, [](std::string& bytes) {
            bytes[0x1C + 1] = 7;
            bytes[0x2C + 1] = 7;
            bytes[0x3C + 4] = static_cast<char>(1234 & 0xFF);
            bytes[0x3C + 5] = static_cast<char>(1234 >> 8);
            for (int i = 0; i < 12; ++i)
                bytes[static_cast<std::size_t>(i)] = static_cast<char>(0xA0 + i);
        });
    ASSERT_EQ(rs485.size(), 124u);
    ASSERT_TRUE(ShowPage("Device"));
    EXPECT_EQ(List()->Text(1, 1), "CAMERA");
    EXPECT_EQ(List()->Text(1, 4), "1234");

    const Opened unknown = Edit(1, {});
    EXPECT_EQ(unknown.number, " 2");
    EXPECT_EQ(unknown.device, -1);
    EXPECT_EQ(unknown.protocol, -1);
    EXPECT_EQ(unknown.rate, -1);
    EXPECT_FALSE(static_cast<DevicePage*>(Page("Device"))->IsChanged());

    const Opened third = Edit(2, {.device = 1, .id = "300", .protocol = 1, .rate = 6});
    EXPECT_EQ(third.id, "255");
    EXPECT_EQ(List()->Text(2, 1), "PTZ");
    EXPECT_EQ(List()->Text(2, 2), "255");
    EXPECT_EQ(List()->Text(2, 3), "P-D");
    EXPECT_EQ(List()->Text(2, 4), "115200");
    Edit(2, {});  // changes nothing after a real change

    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(Writes("/SetSysCfg.cgi")[0].query.rfind("/SetSysCfg.cgi?Option=RS485&Cookie=", 0),
              0u);
    const std::string sent = Rs485();
    ASSERT_EQ(sent.size(), 124u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const bool edited = i == 0x0E || i == 0x1E || i == 0x2E || (i >= 0x44 && i <= 0x47);
        if (!edited) {
            EXPECT_EQ(sent[i], rs485[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(static_cast<uint8_t>(sent[0x0E]), 255);
    EXPECT_EQ(sent[0x1E], 1);
    EXPECT_EQ(sent[0x2E], 1);
    EXPECT_EQ(ReadUInt(std::span(reinterpret_cast<const uint8_t*>(sent.data()), sent.size()),
                       Rs485Record::dwPtzBaudRate, 2),
              115200u);
}

TEST_F(DevicePageTest, ApplyRebuildsTheControlListAsMasterOrSlaves) {
    for (const bool multiChannel : {true, false}) {
        SCOPED_TRACE(multiChannel ? "multi-channel" : "single channel");
        OpenSheet({.product = "P51K"});
        app.by_MultiChannel = multiChannel ? 1 : 0;
        app.C_ControlD.Clear();
        app.C_ControlD.AddDevice(9600, 0, 18, kRoleMaster);
        app.C_ControlD.MakeCurrent(kRoleMaster, 0);
        host.calls.clear();
        ASSERT_TRUE(ShowPage("Device"));
        Edit(1, {.device = 1, .protocol = 1});
        PressApply();
        ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
        // Channel 1 PTZ normal, channel 2 now PTZ with P-D, channel 3 PTZ with P-D, channels
        // 4 and 5 cameras.
        const std::vector<uint8_t> expected = {11, 18, 18, 0, 0};
        for (uint8_t i = 0; i < expected.size(); ++i) {
            const uint8_t kind =
                multiChannel ? app.C_ControlD.GetMasterKind(i + 1) : app.C_ControlD.GetSlaveKind(i);
            EXPECT_EQ(kind, expected[i]) << "channel " << i + 1;
        }
        EXPECT_EQ(app.C_ControlD.GetCount(), 17);
        EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "RefreshRemotePanel"),
                  host.calls.end());
        sheet.reset();
    }
}

TEST_F(DevicePageTest, NothingIsSentUnopenedOrUnchangedAndARefusalIsShown) {
    OpenSheet();
    PressApply();
    EXPECT_TRUE(Writes("/SetSysCfg.cgi").empty());
    sheet.reset();

    OpenSheet();
    ASSERT_TRUE(ShowPage("Device"));
    Edit(0, {.id = "1"});  // the same address
    PressApply();
    EXPECT_TRUE(Writes("/SetSysCfg.cgi").empty());
    EXPECT_TRUE(boxes.Ids().empty());
    sheet.reset();

    OpenSheet();
    ASSERT_TRUE(ShowPage("Device"));
    Button(DevicePage::kIdEdit)->click();  // nothing selected
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4046}));
    Edit(0, {.rate = 0});
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4046, 4012}));
}

TEST_F(DevicePageTest, ThePageAndItsEditDialogAreDrawn) {
    OpenSheet();
    ASSERT_TRUE(ShowPage("Device"));
    ormidon::test::ExpectControlsWhole(sheet.get(), sheet->GetActivePage(),
                                       {DevicePage::kIdList, DevicePage::kIdEdit});
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-device").empty());
    bool edited = false;
    sheet::SetChildDialogResponder([&edited](QDialog& dialog) {
        using Dlg = CPTZDeviceEditDlg;
        ormidon::test::ExpectControlsWhole(&dialog, &dialog,
                                           {Dlg::kIdNumber, Dlg::kIdDevice, Dlg::kIdId,
                                            Dlg::kIdProtocol, Dlg::kIdRate, Dlg::kIdOk});
        EXPECT_FALSE(ormidon::testing::SaveScreenshot(&dialog, "settings-device-edit").empty());
        edited = true;
        return 0;
    });
    List()->SelectRow(0);
    Button(DevicePage::kIdEdit)->click();
    EXPECT_TRUE(edited);
}

}  // namespace
