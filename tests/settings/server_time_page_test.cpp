// The Server time page against the simulated recorder: the stored SNTP settings shown,
// the zone table's offsets, the two "/SyncTime.cgi" queries, and how Sync Time and APPLY
// share the baseline.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "settings/CSNTPPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using SP = CSNTPPage;

// An SNTP section: zone offset and index, mode and server.
std::string SntpBytes(int zone, int mode, const std::string& server) {
    std::string bytes(36, '\0');
    bytes[5] = static_cast<char>(zone);
    bytes[6] = static_cast<char>(mode);
    bytes.replace(8, server.size(), server);
    return bytes;
}

class ServerTimePageTest : public SettingsSheetTest {
  protected:
    void Open(const std::string& sntp) {
        LogIn({.product = "P62K", .firmware = "1010"});
        ASSERT_TRUE(device.SetSection("SNTP", sntp));
        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ormidon::testing::ProcessEventsFor(10);
        device.Server().ClearLog();
        ASSERT_TRUE(ShowPage("Server Time Config"));
    }
    SP* TimePage() { return static_cast<SP*>(Page("Server Time Config")); }
    QComboBox* Zones() { return Control<QComboBox>(SP::kIdZone); }
    std::string Sntp() { return device.Section("SNTP").value_or(""); }
    std::size_t SntpSends() {
        std::size_t n = 0;
        for (const auto& write : Writes("/SetSysCfg.cgi"))
            n += write.query.find("Option=SNTP") != std::string::npos ? 1 : 0;
        return n;
    }
    // Presses Sync Time and lets the sheet handle what it posted.
    void SyncTime() {
        Button(SP::kIdSyncTime)->click();
        ormidon::testing::ProcessEventsFor(10);
    }
    std::string SyncQuery() { return Writes("/SyncTime.cgi").at(0).query; }
    std::string Cookie() { return GetSessionCookie(); }
};

TEST_F(ServerTimePageTest, ShowsTheStoredSettings) {
    Open(SntpBytes(57, 1, "time.example.org"));
    EXPECT_TRUE(Control<QRadioButton>(SP::kIdFromServer)->isChecked());
    EXPECT_EQ(sheet::ComboIndex(Zones()), 57);
    EXPECT_EQ(Zones()->count(), 75);
    EXPECT_EQ(Zones()->itemText(18), "(GMT-03:30) Newfoundland");
    EXPECT_EQ(Control<QLineEdit>(SP::kIdServer)->text(), "time.example.org");
    EXPECT_TRUE(Control<QCheckBox>(SP::kIdManualServer)->isChecked());
    EXPECT_TRUE(Control(SP::kIdDate)->isHidden());
    EXPECT_EQ(static_cast<QDateTimeEdit*>(Control(SP::kIdDate))->displayFormat(), "yyyy / MM / dd");
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-server-time").empty());

    for (int row : {18, 42, 45, 48, 49, 53, 64, 65})
        EXPECT_NE(SP::ZoneOffsetOf(row).minute, 0) << row;
    EXPECT_EQ(SP::ZoneOffsetOf(49).minute, 45);
    EXPECT_EQ(SP::ZoneOffsetOf(0).hour, -12);
    EXPECT_EQ(SP::ZoneOffsetOf(26).hour, 0);
    EXPECT_EQ(SP::ZoneOffsetOf(74).hour, 13);

    sheet.reset();
    Open(SntpBytes(80, 0, ""));
    EXPECT_TRUE(Control<QRadioButton>(SP::kIdByUser)->isChecked());
    EXPECT_TRUE(Zones()->isHidden());
    EXPECT_FALSE(Control(SP::kIdTime)->isHidden());
    EXPECT_EQ(sheet::ComboIndex(Zones()), -1);
    EXPECT_TRUE(Control<QCheckBox>(SP::kIdAutomatic)->isChecked());
    EXPECT_FALSE(Control(SP::kIdServer)->isEnabled());
    // A zone byte outside the table stays as it is; the mode changes.
    Control<QRadioButton>(SP::kIdFromServer)->click();
    PressApply();
    EXPECT_EQ(Sntp()[5], 80);
    EXPECT_EQ(Sntp()[6], 1);
}

TEST_F(ServerTimePageTest, NewfoundlandIsWrittenWithItsNegativeMinutes) {
    Open(SntpBytes(57, 1, "time.example.org"));
    sheet::SetComboIndex(Zones(), 18);
    PressApply();
    ASSERT_EQ(SntpSends(), 1u);
    EXPECT_EQ(static_cast<uint8_t>(Sntp()[2]), 0xFD);
    EXPECT_EQ(static_cast<uint8_t>(Sntp()[3]), 0xE2);
    EXPECT_EQ(Sntp()[5], 18);
    EXPECT_EQ(Sntp().substr(8, 17), std::string("time.example.org\0", 17));
}

TEST_F(ServerTimePageTest, SyncTimeSendsTheExactQueryOfEachMode) {
    Open(SntpBytes(57, 1, "time.example.org"));
    sheet::SetComboIndex(Zones(), 18);
    SyncTime();
    EXPECT_EQ(SyncQuery(), "/SyncTime.cgi?Cookie=" + Cookie() +
                               "&Mode=1&ServerMode=0&Server=time.example.org&NationID=18&Hour=-3&"
                               "Minute=-30");

    device.Server().ClearLog();
    Control<QCheckBox>(SP::kIdAutomatic)->click();
    SyncTime();
    EXPECT_EQ(SyncQuery(), "/SyncTime.cgi?Cookie=" + Cookie() +
                               "&Mode=1&ServerMode=1&NationID=18&Hour=-3&Minute=-30");
    EXPECT_EQ(Sntp()[8], '\0');  // the automatic server leaves the field empty

    device.Server().ClearLog();
    Control<QRadioButton>(SP::kIdByUser)->click();
    static_cast<QDateTimeEdit*>(Control(SP::kIdDate))->setDate(QDate(2027, 3, 4));
    static_cast<QDateTimeEdit*>(Control(SP::kIdTime))->setTime(QTime(5, 6, 7));
    SyncTime();
    EXPECT_EQ(SyncQuery(), "/SyncTime.cgi?Cookie=" + Cookie() +
                               "&Mode=0&Year=2027&Month=3&Day=4&Hour=5&Minute=6&Second=7");
}

TEST_F(ServerTimePageTest, SyncTimeStoresTheSettingsOnceAndApplyRetriesARefusal) {
    Open(SntpBytes(57, 1, "time.example.org"));
    sheet::SetComboIndex(Zones(), 18);
    SyncTime();
    EXPECT_EQ(SntpSends(), 1u);
    EXPECT_EQ(Sntp()[5], 18);
    PressApply();
    EXPECT_EQ(SntpSends(), 1u);

    // SNTP refused after Sync Time: 4012, and APPLY sends it.
    sheet.reset();
    Open(SntpBytes(57, 1, "time.example.org"));
    sheet::SetComboIndex(Zones(), 20);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    SyncTime();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{SP::kMsgChangeFailed});
    EXPECT_EQ(Sntp()[5], 57);
    PressApply();
    EXPECT_EQ(SntpSends(), 2u);
    EXPECT_EQ(Sntp()[5], 20);
}

TEST_F(ServerTimePageTest, SyncTimeRefusesWithoutAZoneAndReportsAFailedRequest) {
    Open(SntpBytes(80, 1, ""));
    SyncTime();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{SP::kNoZoneText});

    // The failed request is reported; the settings are still stored.
    sheet::SetComboIndex(Zones(), 3);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SyncTime.cgi"));
    SyncTime();
    EXPECT_EQ(boxes.Ids().back(), SP::kMsgSendTimeout);
    EXPECT_EQ(Sntp()[5], 3);

    // The server edit takes host-name characters only.
    Control<QCheckBox>(SP::kIdManualServer)->click();
    auto* server = Control<QLineEdit>(SP::kIdServer);
    QTest::keyClicks(server, "a b&c#d.e-f");
    EXPECT_EQ(server->text(), "abcd.e-f");
}

}  // namespace

TEST_F(ServerTimePageTest, AStoredServerGoesBackAsReadAndSyncTimeRefusesOneUnsafeInTheQuery) {
    // Outside the characters the edit lets the operator type, yet sent as it was read.
    Open(SntpBytes(57, 1, "ntp_1.lan"));
    EXPECT_EQ(Control<QLineEdit>(SP::kIdServer)->text(), "ntp_1.lan");
    SyncTime();
    EXPECT_EQ(SyncQuery(), "/SyncTime.cgi?Cookie=" + Cookie() +
                               "&Mode=1&ServerMode=0&Server=ntp_1.lan&NationID=57&Hour=8&Minute=0");
    EXPECT_EQ(Sntp().substr(8, 10), std::string("ntp_1.lan\0", 10));

    for (const std::string unsafe : {"a&b.lan", "what?", "host#1", "50%", " ", "ctl\x01"}) {
        SCOPED_TRACE(unsafe);
        sheet.reset();
        Open(SntpBytes(57, 1, unsafe));
        SyncTime();
        EXPECT_TRUE(Writes().empty());
        ASSERT_FALSE(boxes.Texts().empty());
        EXPECT_EQ(boxes.Texts().back(), SP::kUnsafeServerText);
        EXPECT_EQ(Control<QLineEdit>(SP::kIdServer)->text().toStdString(), unsafe);
        // Applied unchanged, the name stays where it was.
        PressApply();
        EXPECT_TRUE(Writes().empty());
    }
}
