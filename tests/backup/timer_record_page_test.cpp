// The Timer Record page against the simulated recorder: the slots' bytes in DVRREC, nothing
// sent for an untouched page or for values the page cannot show, and the firmware gate.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "backup/TimerRecordPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using TP = TimerRecordPage;

class TimerRecordPageTest : public SettingsSheetTest {
  protected:
    // Logs in, lets `edit` change the record as read, then opens the sheet on it.
    void OpenWith(const std::string& firmware, const std::function<void()>& edit = {}) {
        LogIn({.product = "P51K", .firmware = firmware});
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        ormidon::testing::ProcessEventsFor(10);
        device.Server().ClearLog();
        ASSERT_TRUE(ShowPage("Timer Record"));
    }
    QComboBox* Day(int slot) { return Control<QComboBox>(TP::kIdFirstDay + slot); }
    QDateTimeEdit* Start(int slot) { return Control<QDateTimeEdit>(TP::kIdFirstTime + 2 * slot); }
    QDateTimeEdit* End(int slot) { return Control<QDateTimeEdit>(TP::kIdFirstTime + 2 * slot + 1); }
    uint8_t SentByte(std::size_t offset) {
        return static_cast<uint8_t>(device.Section("DVRREC").value_or("").at(offset));
    }
};

TEST_F(TimerRecordPageTest, ASlotIsWrittenAsHourAndMinuteBytes) {
    OpenWith("1058", [this] { app.m_Cfg_DVRREC[0x57 + 6] = 5; });
    EXPECT_EQ(sheet::ComboIndex(Day(6)), 5);
    sheet::SetComboIndex(Day(1), 8);
    Start(1)->setTime(QTime(8, 30));
    End(1)->setTime(QTime(17, 45));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-timer-record").empty());
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(SentByte(0x57 + 1), 8);
    EXPECT_EQ(SentByte(0x5E + 2), 0x1E);
    EXPECT_EQ(SentByte(0x5E + 3), 0x08);
    EXPECT_EQ(SentByte(0x6C + 2), 0x2D);
    EXPECT_EQ(SentByte(0x6C + 3), 0x11);
    EXPECT_EQ(SentByte(0x57 + 6), 5);
    EXPECT_TRUE(boxes.Ids().empty());
}

// Digits typed into a time box set its hour and minute, as the arrows do.
TEST_F(TimerRecordPageTest, TypedDigitsSetTheTime) {
    OpenWith("1058");
    sheet->activateWindow();
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return sheet->isActiveWindow(); }));
    sheet::SetComboIndex(Day(2), 10);
    // As the operator does it: a click into the hours, then the digits.
    for (const auto& [box, digits] : {std::pair{Start(2), "0715"}, std::pair{End(2), "2205"}}) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QTest::keyClicks(box, digits);
    }
    EXPECT_EQ(Start(2)->time(), QTime(7, 15));
    EXPECT_EQ(End(2)->time(), QTime(22, 5));
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    // Slot 3's start and end words: minute byte, then hour byte.
    EXPECT_EQ(QTime(SentByte(0x5E + 5), SentByte(0x5E + 4)), QTime(7, 15));
    EXPECT_EQ(QTime(SentByte(0x6C + 5), SentByte(0x6C + 4)), QTime(22, 5));
}

TEST_F(TimerRecordPageTest, ValuesThePageCannotShowAreKeptAndNoChange) {
    const auto oddSlot = [this] {
        app.m_Cfg_DVRREC[0x57] = 11;    // past DAILY
        app.m_Cfg_DVRREC[0x5E] = 0x00;  // 25:00
        app.m_Cfg_DVRREC[0x5F] = 0x19;
        app.m_Cfg_DVRREC[0x6C] = 0x3C;  // 00:60
    };
    OpenWith("1060", oddSlot);
    EXPECT_EQ(sheet::ComboIndex(Day(0)), -1);
    PressApply();
    EXPECT_TRUE(Writes().empty());

    // Another slot's change writes the odd one back as it was.
    sheet.reset();
    OpenWith("1060", oddSlot);
    End(3)->setTime(QTime(23, 59));
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(SentByte(0x57), 11);
    EXPECT_EQ(SentByte(0x5F), 0x19);
    EXPECT_EQ(SentByte(0x6C), 0x3C);
    EXPECT_EQ(SentByte(0x6C + 6), 59);
    EXPECT_EQ(SentByte(0x6C + 7), 23);
}

TEST_F(TimerRecordPageTest, OlderFirmwareShowsTheSlotsDisabledAndSendsNothing) {
    for (const char* firmware : {"1057", "1058"}) {
        SCOPED_TRACE(firmware);
        OpenWith(firmware, [this] { app.m_Cfg_DVRREC[0x57] = 10; });
        const bool older = std::string(firmware) == "1057";
        EXPECT_EQ(Day(0)->isEnabled(), !older);
        EXPECT_EQ(End(6)->isEnabled(), !older);
        EXPECT_EQ(sheet::ComboIndex(Day(0)), older ? -1 : 10);
        sheet::SetComboIndex(Day(2), 3);
        PressApply();
        EXPECT_EQ(Writes("/SetSysCfg.cgi").size(), older ? 0u : 1u);
        sheet.reset();
    }
}

TEST_F(TimerRecordPageTest, AFailedSendShowsChangeFailed) {
    OpenWith("1058", [this] { app.m_Cfg_DVRREC[0x57] = 0; });
    sheet::SetComboIndex(Day(0), 10);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4012}));
}

}  // namespace
