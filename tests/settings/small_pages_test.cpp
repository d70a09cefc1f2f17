// The FTP, Peripheral and Online User Info pages against the simulated recorder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "settings/COnlineUserPage.h"
#include "settings/CPeripheralPage.h"
#include "settings/FTPPropertyPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;

class SmallPagesTest : public SettingsSheetTest {
  protected:
    void Open(const SheetSetup& setup, const std::string& page,
              const std::function<void()>& edit = {}) {
        LogIn(setup);
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ASSERT_TRUE(ShowPage(page));
        device.Server().ClearLog();
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    sheet::ReportList* OnlineList() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(COnlineUserPage::kIdList));
    }
    // One ONLINE entry of 24 bytes.
    static std::string Entry(const std::string& name, uint8_t level, uint8_t channel,
                             uint8_t resolution, uint8_t quality) {
        std::string entry(24, '\0');
        entry.replace(0, name.size(), name);
        entry[16] = 10, entry[17] = 1, entry[18] = 2, entry[19] = 3;
        entry[20] = static_cast<char>(level);
        entry[21] = static_cast<char>(channel);
        entry[22] = static_cast<char>(resolution);
        entry[23] = static_cast<char>(quality);
        return entry;
    }
};

TEST_F(SmallPagesTest, FtpShowsOverlongTextsEmptyAndSendsOnlyWhatChanged) {
    Open({}, "FTP",
         [this] { WriteText(app.m_Cfg_FTP, FtpRecord::szFtpPassword, std::string(16, 'x')); });
    QLineEdit* password = Control<QLineEdit>(FTPPropertyPage::kIdPassword);
    EXPECT_EQ(password->text(), "");
    EXPECT_EQ(Control<QLineEdit>(FTPPropertyPage::kIdServer)->text(), "127.0.0.21");
    QLineEdit* port = Control<QLineEdit>(FTPPropertyPage::kIdPort);
    Type(port, "70000");
    EXPECT_EQ(port->text(), "21");
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4054});
    port->clear();
    EXPECT_FALSE(ShowPage("Mail"));
    EXPECT_EQ(boxes.Ids().back(), 4090u);
    Type(port, "21");
    PressApply();
    EXPECT_TRUE(Writes().empty());

    // A changed directory and port; the overlong password goes back as it was.
    sheet.reset();
    Open({}, "FTP",
         [this] { WriteText(app.m_Cfg_FTP, FtpRecord::szFtpPassword, std::string(16, 'x')); });
    std::array<uint8_t, 104> expected = app.m_Cfg_FTP;
    WriteText(expected, FtpRecord::szFtpDirectory, "/new");
    WriteUInt(expected, FtpRecord::wFtpPort, 2121);
    Control<QLineEdit>(FTPPropertyPage::kIdDirectory)->setText("/new");
    Type(Control<QLineEdit>(FTPPropertyPage::kIdPort), "2121");
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(Writes()[0].query, "/SetSysCfg.cgi?Option=FTP&Cookie=" + GetSessionCookie());
    EXPECT_EQ(Writes()[0].body, std::string(expected.begin(), expected.end()));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-ftp").empty());
}

TEST_F(SmallPagesTest, PeripheralIdsAndModelsRebuildTheDeviceListButABaudRateAloneDoesNot) {
    struct Case {
        const char* name;
        int control;
        int index;  // combo index, or -1 to type the ID
        bool rebuilt;
        std::size_t offset;
        uint8_t byte;
    };
    const Case cases[] = {
        {"baud of device 2", CPeripheralPage::kIdBaud[1], 6, false, 0x08, 0x00},  // 115200
        {"ID of device 1", CPeripheralPage::kIdId[0], -1, true, 0x0C, 255},
        {"model of device 2", CPeripheralPage::kIdModel[1], 10, true, 0x03, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.calls.clear();
        Open({.product = "P62K", .firmware = "1010"}, "Peripheral");
        if (c.index < 0) {
            Type(Control<QLineEdit>(c.control), "300");
            EXPECT_EQ(Control<QLineEdit>(c.control)->text(), "255");
        } else {
            sheet::SetComboIndex(Control<QComboBox>(c.control), c.index);
        }
        PressApply();
        const auto writes = Writes("/SetSysCfg.cgi");
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].query, "/SetSysCfg.cgi?Option=PERI&Cookie=" + GetSessionCookie());
        EXPECT_EQ(static_cast<uint8_t>(writes[0].body[c.offset]), c.byte);
        EXPECT_EQ(sheet->m_bPeripheralChanged, c.rebuilt);
        EXPECT_EQ(host.calls.size(), c.rebuilt ? 1u : 0u);
        sheet.reset();
    }
}

TEST_F(SmallPagesTest, PeripheralModelCodesOutsideTheListShowCameraAndGoBackUnchanged) {
    Open({.product = "P62K", .firmware = "1010"}, "Peripheral", [this] {
        app.m_Cfg_PERI[0x02] = 25;
        app.m_Cfg_PERI[0x03] = 13;
        WriteUInt(app.m_Cfg_PERI, PeriRecord::dwPeriBaudRate, 1234, 1);
    });
    EXPECT_EQ(Control<QComboBox>(CPeripheralPage::kIdModel[0])->currentText(), "PTZ(P-D)");
    EXPECT_EQ(Control<QComboBox>(CPeripheralPage::kIdModel[1])->currentText(), "CAMERA");
    EXPECT_EQ(Control<QComboBox>(CPeripheralPage::kIdBaud[1])->currentText(), "2400");
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-peripheral").empty());
    PressApply();
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(sheet->m_bPeripheralChanged);
}

TEST_F(SmallPagesTest, OnlineUsersAreListedAndRefreshedWithTheFamilysTexts) {
    const std::string two = Entry("alice", 30, 0, 0, 0) + Entry("bob", 10, 3, 2, 2);
    device.SetOnlineOverride(two);
    Open({.product = "P62K", .firmware = "1010"}, "Online User Info");
    ASSERT_EQ(OnlineList()->topLevelItemCount(), 2);
    EXPECT_EQ(OnlineList()->columnCount(), 5);
    EXPECT_EQ(OnlineList()->Text(0, 0), "alice");
    EXPECT_EQ(OnlineList()->Text(0, 1), "10.1.2.3");
    EXPECT_EQ(OnlineList()->Text(0, 2), "SUPERVISOR");
    EXPECT_EQ(OnlineList()->Text(0, 3), "704*480");
    EXPECT_EQ(OnlineList()->Text(1, 4), "LOW");

    struct Case {
        const char* name;
        std::string online;
        std::vector<std::string> names;
    };
    const std::string five = Entry("u1", 0, 0, 0, 0) + Entry("", 0, 0, 0, 0) +
                             Entry("u3", 20, 0, 1, 1) + Entry("u4", 0, 0, 0, 0) +
                             Entry("u5", 0, 0, 0, 0);
    const Case cases[] = {
        {"none", "", {}},
        {"two", two, {"alice", "bob"}},
        {"five with an empty name", five + std::string(120, '\0'), {"u1", "u3", "u4", "u5"}},
        {"longer than the record", five + std::string(180, 'z'), {"u1", "u3", "u4", "u5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.SetOnlineOverride(c.online);
        Button(COnlineUserPage::kIdRefresh)->click();
        std::vector<std::string> names;
        for (int row = 0; row < OnlineList()->topLevelItemCount(); ++row)
            names.push_back(OnlineList()->Text(row, 0).toStdString());
        EXPECT_EQ(names, c.names);
    }
    EXPECT_EQ(OnlineList()->Text(1, 3), "352*240");  // the P62K's half size after a refresh
    EXPECT_EQ(Writes("/GetSysCfg.cgi").back().query,
              "/GetSysCfg.cgi?Option=ONLINE&Size=240&Cookie=" + GetSessionCookie());

    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetSysCfg.cgi"));
    Button(COnlineUserPage::kIdRefresh)->click();
    EXPECT_EQ(boxes.Ids().back(), 4029u);
    EXPECT_EQ(OnlineList()->topLevelItemCount(), 4);
    EXPECT_EQ(app.m_Cfg_ONLINE, (std::array<uint8_t, 240>{}));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-online-users").empty());
}

TEST_F(SmallPagesTest, AMultiChannelDvrShowsTheChannelColumn) {
    device.SetOnlineOverride(Entry("ch", 20, 0, 1, 0) + Entry("dvr", 20, 12, 0, 1));
    LogIn({});
    app.by_MultiChannel = 1;
    app.by_CurrentVideoMode = 1;
    sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
    sheet->Create();
    ASSERT_TRUE(ShowPage("Online User Info"));
    ASSERT_EQ(OnlineList()->columnCount(), 6);
    EXPECT_EQ(OnlineList()->Text(0, 5), "DVR");
    EXPECT_EQ(OnlineList()->Text(1, 5), "12");
    EXPECT_EQ(OnlineList()->Text(0, 3), "320*276");
    EXPECT_EQ(OnlineList()->Text(1, 2), "HIGH USER");
}

}  // namespace
