// The Date and Record Setting pages of a P5xK recorder against the simulated recorder: the
// exact requests APPLY sends, values the pages cannot show left as they were, the recorder
// keeping what it was sent, and the pages disabled where the recorder lacks the commands.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QRadioButton>

#include "../support/SettingsSheetHarness.h"
#include "backup/DVRDatePage.h"
#include "backup/DVRRecordPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using DP = DVRDatePage;
using RP = DVRRecordPage;
using Items = ormidon::sim::DvrSettings::Items;

class DvrPagesTest : public SettingsSheetTest {
  protected:
    std::string Cookie() { return "Cookie=" + GetSessionCookie(); }
    // The one request sent to `path` since the sheet opened; empty when none or several.
    std::string SentQuery(const std::string& path) {
        const std::vector<ormidon::test::RecorderWrite> writes = Writes(path);
        return writes.size() == 1 ? writes[0].query : std::string();
    }
    void Choose(int id, int index) { sheet::SetComboIndex(Control<QComboBox>(id), index); }
    int Chosen(int id) { return sheet::ComboIndex(Control<QComboBox>(id)); }
    QStringList ListTexts(int id) {
        QStringList texts;
        QComboBox* list = Control<QComboBox>(id);
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        return texts;
    }
    static Items Without(Items items, const std::string& key) {
        std::erase_if(items, [&key](const auto& item) { return item.first == key; });
        return items;
    }
    static Items With(Items items, const std::string& key, const std::string& value) {
        for (auto& item : items)
            if (item.first == key) item.second = value;
        return items;
    }
};

// The date part every untouched value of the recorder's default clock sends.
constexpr const char* kDefaultDate =
    "YEAR=2026&MONTH=12&DAY=10&DAYOFWEEK=4&HOUR=14&MINUTE=35&SECOND=20";
constexpr const char* kDefaultRule =
    "STARTWEEKINDEX=4&STARTDAYOFWEEK=0&STARTMONTH=2&STARTHOUR=2&STARTMINUTE=0&ENDWEEKINDEX=4&"
    "ENDDAYOFWEEK=0&ENDMONTH=9&ENDHOUR=3&ENDMINUTE=0&ADJUSTHOUR=1&ADJUSTMINUTE=0";

TEST_F(DvrPagesTest, DateShowsTheRecordersClockAndSendsNothingUntouched) {
    // Longer keys first: a whole-key reader still gives each its own value.
    Items items = ormidon::sim::DvrSettings::DefaultDateItems();
    std::reverse(items.begin(), items.end());
    device.Dvr().SetDateItems(items);
    OpenSheet({.product = "P51K", .firmware = "1058"});
    ASSERT_TRUE(ShowPage("Date"));
    EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdDate)->date(), QDate(2026, 12, 10));
    EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdTime)->time(), QTime(14, 35, 20));
    EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdStartTime)->time(), QTime(2, 0));
    EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdEndTime)->time(), QTime(3, 0));
    EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdAdjust)->time(), QTime(1, 0));
    EXPECT_EQ(Chosen(DP::kIdStartMonth), 2);
    EXPECT_EQ(Chosen(DP::kIdEndMonth), 9);
    EXPECT_TRUE(Control<QRadioButton>(DP::kIdOff)->isChecked());
    EXPECT_EQ(Writes().size(), 1u);  // the one read
    device.Server().ClearLog();
    PressApply();
    EXPECT_TRUE(Writes("/SetDvrDate.cgi").empty());
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(DvrPagesTest, DateSendsEveryValueWithTheFlagsOfWhatWasEdited) {
    struct Case {
        const char* name;
        Items items;
        std::function<void()> edit;
        std::string expected;
    };
    const Items defaults = ormidon::sim::DvrSettings::DefaultDateItems();
    const Case cases[] = {
        {"format only", defaults, [this] { Choose(DP::kIdFormat, 2); },
         std::string(kDefaultDate) +
             "&FORMAT=2&DAYLIGHTSAVING=0&CHDATE=0&CHFORMAT=1&CHDAYLIGHT=0&CHDAYLIGHTTIME=0&" +
             kDefaultRule},
        // STARTMONTH 12 is past the list and no ADJUSTMINUTE comes: both stay as they were.
        {"OFF to ON", With(Without(defaults, "ADJUSTMINUTE"), "STARTMONTH", "12"),
         [this] { Control<QRadioButton>(DP::kIdOn)->click(); },
         std::string(kDefaultDate) +
             "&FORMAT=0&DAYLIGHTSAVING=1&CHDATE=0&CHFORMAT=0&CHDAYLIGHT=1&CHDAYLIGHTTIME=0&"
             "STARTWEEKINDEX=4&STARTDAYOFWEEK=0&STARTMONTH=12&STARTHOUR=2&STARTMINUTE=0&"
             "ENDWEEKINDEX=4&ENDDAYOFWEEK=0&ENDMONTH=9&ENDHOUR=3&ENDMINUTE=0&ADJUSTHOUR=1&"
             "ADJUSTMINUTE=0"},
        {"new date", defaults,
         [this] { Control<QDateTimeEdit>(DP::kIdDate)->setDate(QDate(2027, 1, 5)); },
         "YEAR=2027&MONTH=1&DAY=5&DAYOFWEEK=2&HOUR=14&MINUTE=35&SECOND=20&FORMAT=0&"
         "DAYLIGHTSAVING=0&CHDATE=1&CHFORMAT=0&CHDAYLIGHT=0&CHDAYLIGHTTIME=0&" +
             std::string(kDefaultRule)},
        // A January start shows its time like any month; a new end time is a rule change.
        {"end time", With(defaults, "STARTMONTH", "0"),
         [this] {
             EXPECT_EQ(Control<QDateTimeEdit>(DP::kIdStartTime)->time(), QTime(2, 0));
             Control<QDateTimeEdit>(DP::kIdEndTime)->setTime(QTime(4, 30));
         },
         std::string(kDefaultDate) + "&FORMAT=0&DAYLIGHTSAVING=0&" +
             "CHDATE=0&CHFORMAT=0&CHDAYLIGHT=0&CHDAYLIGHTTIME=1&"
             "STARTWEEKINDEX=4&STARTDAYOFWEEK=0&STARTMONTH=0&STARTHOUR=2&STARTMINUTE=0&"
             "ENDWEEKINDEX=4&ENDDAYOFWEEK=0&ENDMONTH=9&ENDHOUR=4&ENDMINUTE=30&ADJUSTHOUR=1&"
             "ADJUSTMINUTE=0"},
        // Values no control can show go back as they came and count as unchanged.
        {"values past the controls",
         With(With(With(defaults, "FORMAT", "7"), "HOUR", "25"), "STARTHOUR", "30"),
         [this] {
             EXPECT_EQ(Chosen(DP::kIdFormat), -1);
             Control<QRadioButton>(DP::kIdOn)->click();
         },
         "YEAR=2026&MONTH=12&DAY=10&DAYOFWEEK=4&HOUR=25&MINUTE=35&SECOND=20&FORMAT=7&"
         "DAYLIGHTSAVING=1&CHDATE=0&CHFORMAT=0&CHDAYLIGHT=1&CHDAYLIGHTTIME=0&"
         "STARTWEEKINDEX=4&STARTDAYOFWEEK=0&STARTMONTH=2&STARTHOUR=30&STARTMINUTE=0&"
         "ENDWEEKINDEX=4&ENDDAYOFWEEK=0&ENDMONTH=9&ENDHOUR=3&ENDMINUTE=0&ADJUSTHOUR=1&"
         "ADJUSTMINUTE=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.Dvr().SetDateItems(c.items);
        OpenSheet({.product = "P53K", .firmware = "1060"});
        ASSERT_TRUE(ShowPage("Date"));
        c.edit();
        PressApply();
        EXPECT_EQ(SentQuery("/SetDvrDate.cgi"), "/SetDvrDate.cgi?" + Cookie() + "&" + c.expected);
        sheet.reset();
    }
    // The recorder keeps what was flagged: the last case's daylight saving shows in its next
    // answer, beside the values it was sent without a flag.
    EXPECT_EQ(device.Dvr().DateValue("DAYLIGHTSAVING"), "1");
    EXPECT_EQ(device.Dvr().DateValue("HOUR"), "25");
}

TEST_F(DvrPagesTest, ThePagesAreDisabledWithoutTheRecordersCommands) {
    struct Case {
        const char* name;
        std::string firmware;
        bool refuseReads;
        std::vector<uint32_t> messages;
    };
    const Case cases[] = {
        {"1057", "1057", false, {}},
        {"failed reads", "1058", true, {4065, 4065}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t shownBefore = boxes.Ids().size();
        if (c.refuseReads) {
            device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetDvrDate.cgi"));
            device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetRecordSetting.cgi"));
        }
        OpenSheet({.product = "P51K", .firmware = c.firmware});
        ASSERT_TRUE(ShowPage("Date"));
        ASSERT_TRUE(ShowPage("Record Setting"));
        ASSERT_TRUE(ShowPage("Date"));  // a second showing reads nothing again
        EXPECT_FALSE(Control(DP::kIdDate)->isEnabled());
        EXPECT_FALSE(Control(DP::kIdAdjust)->isEnabled());
        EXPECT_FALSE(Control(RP::kIdQuality)->isEnabled());
        EXPECT_FALSE(Control(RP::kIdGroup)->isEnabled());
        EXPECT_EQ(Writes().size(), c.refuseReads ? 2u : 0u);
        const std::vector<uint32_t> all = boxes.Ids();
        EXPECT_EQ(std::vector<uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(shownBefore),
                                        all.end()),
                  c.messages);
        device.Server().ClearLog();
        PressApply();
        EXPECT_TRUE(Writes().empty());
        sheet.reset();
    }
}

TEST_F(DvrPagesTest, RecordSettingUntouchedSendsNineZeroFlagsAndTheIpsShare) {
    OpenSheet({.product = "P51K"});
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdManualYes)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdTimerNo)->isChecked());
    EXPECT_EQ(ListTexts(RP::kIdManualIps), (QStringList{"120", "60", "30", "15"}));  // 16 ch
    EXPECT_EQ(Chosen(RP::kIdManualIps), 1);
    EXPECT_EQ(Chosen(RP::kIdEventIps), 2);
    EXPECT_EQ(Chosen(RP::kIdQuality), 1);
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdGroup)->isChecked());
    EXPECT_TRUE(Control(RP::kIdFix)->isEnabled());
    PressApply();
    EXPECT_EQ(SentQuery("/SetRecordSetting.cgi"),
              "/SetRecordSetting.cgi?" + Cookie() +
                  "&CHMANUALREC=0&CHEVENTREC=0&CHTIMERREC=0&CHOV=0&CHQT=0&CHRECMODE=0&"
                  "CHMOTIONRATE=0&CHMANUALRATE=0&CHTIMERRATE=0&CHIPSSHARE=1&RECORDFIX=0");
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(DvrPagesTest, FrameToCifOnAnEightChannelRecorderForcesFixAndResetsTheRates) {
    host.channelCount = 8;
    OpenSheet({.product = "P53K"});
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_EQ(ListTexts(RP::kIdEventIps), (QStringList{"60", "30", "15", "7"}));
    Control<QRadioButton>(RP::kIdCif)->click();
    for (int id : {RP::kIdManualIps, RP::kIdEventIps, RP::kIdTimerIps}) {
        EXPECT_EQ(ListTexts(id), (QStringList{"240", "120", "60", "30"}));
        EXPECT_EQ(Chosen(id), 0);
    }
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdCif)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(RP::kIdFrame)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdFix)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(RP::kIdGroup)->isChecked());
    EXPECT_FALSE(Control(RP::kIdFix)->isEnabled());
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-dvr-record").empty());
    PressApply();
    EXPECT_EQ(SentQuery("/SetRecordSetting.cgi"),
              "/SetRecordSetting.cgi?" + Cookie() +
                  "&CHMANUALREC=0&CHEVENTREC=0&CHTIMERREC=0&CHOV=0&CHQT=0&CHRECMODE=1&RECMODE=2&"
                  "CHMOTIONRATE=1&MOTIONRATETYPE=0&CHMANUALRATE=1&MANUALRATETYPE=0&"
                  "CHTIMERRATE=0&CHIPSSHARE=1&RECORDFIX=1");
    EXPECT_EQ(device.Dvr().RecordValue("RECMODE"), "2");
    EXPECT_EQ(device.Dvr().RecordValue("RECORDFIX"), "1");
    EXPECT_EQ(device.Dvr().RecordValue("TIMERRATETYPE"), "0");
}

TEST_F(DvrPagesTest, CifThenFieldKeepsTheShareDisabledAndFrameEnablesIt) {
    Items items = ormidon::sim::DvrSettings::DefaultRecordItems();
    device.Dvr().SetRecordItems(With(items, "SUPPORTIPSSHARE", "1"));
    OpenSheet({.product = "P55K"});
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_FALSE(Control(RP::kIdFix)->isEnabled());
    Control<QRadioButton>(RP::kIdCif)->click();
    Control<QRadioButton>(RP::kIdField)->click();
    EXPECT_FALSE(Control(RP::kIdFix)->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdField)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(RP::kIdCif)->isChecked());
    Control<QRadioButton>(RP::kIdFrame)->click();
    EXPECT_TRUE(Control(RP::kIdFix)->isEnabled());
    EXPECT_TRUE(Control(RP::kIdGroup)->isEnabled());
    Control<QRadioButton>(RP::kIdGroup)->click();
    PressApply();
    // Back at FRAME with every rate at its first entry: the rates read 1 and 2 changed.
    EXPECT_EQ(SentQuery("/SetRecordSetting.cgi"),
              "/SetRecordSetting.cgi?" + Cookie() +
                  "&CHMANUALREC=0&CHEVENTREC=0&CHTIMERREC=0&CHOV=0&CHQT=0&CHRECMODE=0&"
                  "CHMOTIONRATE=1&MOTIONRATETYPE=0&CHMANUALRATE=1&MANUALRATETYPE=0&"
                  "CHTIMERRATE=0&CHIPSSHARE=1&RECORDFIX=0");
}

TEST_F(DvrPagesTest, ValuesThePageCannotShowStayAsTheyWereUntilChosen) {
    Items items = ormidon::sim::DvrSettings::DefaultRecordItems();
    items = With(items, "QUALITY", "12");
    items = With(items, "RECMODE", "7");
    items = With(items, "VIDEOTYPE", "4");
    items = With(items, "MANUALRATETYPE", "9");
    items = With(items, "SUPPORTMODE", "5");
    items = With(items, "OVERWRITE", "3");
    device.Dvr().SetRecordItems(items);
    host.channelCount = 4;
    OpenSheet({.product = "P51K"});
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_EQ(Chosen(RP::kIdQuality), -1);
    EXPECT_EQ(Chosen(RP::kIdManualIps), -1);
    EXPECT_EQ(ListTexts(RP::kIdManualIps), (QStringList{"30", "15", "7", "3"}));
    EXPECT_FALSE(Control<QRadioButton>(RP::kIdFrame)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(RP::kIdCif)->isChecked());
    EXPECT_FALSE(Control(RP::kIdField)->isVisible());
    EXPECT_TRUE(Control(RP::kIdCif)->isVisible());
    EXPECT_TRUE(Control<QRadioButton>(RP::kIdOverwriteYes)->isChecked());
    Choose(RP::kIdTimerIps, 3);
    PressApply();
    EXPECT_EQ(SentQuery("/SetRecordSetting.cgi"),
              "/SetRecordSetting.cgi?" + Cookie() +
                  "&CHMANUALREC=0&CHEVENTREC=0&CHTIMERREC=0&CHOV=0&CHQT=0&CHRECMODE=0&"
                  "CHMOTIONRATE=0&CHMANUALRATE=0&CHTIMERRATE=1&TIMERRATETYPE=3&CHIPSSHARE=1&"
                  "RECORDFIX=0");

    // A quality chosen from the list is sent as its code.
    OpenSheet({.product = "P51K"});
    ASSERT_TRUE(ShowPage("Record Setting"));
    Choose(RP::kIdQuality, 3);
    Control<QRadioButton>(RP::kIdOverwriteNo)->click();
    PressApply();
    const std::string sent = SentQuery("/SetRecordSetting.cgi");
    EXPECT_NE(sent.find("&CHOV=1&OVERWRITE=0&CHQT=1&QUALITY=16&CHRECMODE=0&"), std::string::npos)
        << sent;
}

TEST_F(DvrPagesTest, AFailedSendShowsChangeFailed) {
    OpenSheet({.product = "P51K"});
    ASSERT_TRUE(ShowPage("Date"));
    Choose(DP::kIdFormat, 1);
    ASSERT_TRUE(ShowPage("Record Setting"));
    EXPECT_FALSE(
        ormidon::testing::SaveScreenshot(sheet.get(), "settings-dvr-record-setting").empty());
    ASSERT_TRUE(ShowPage("Date"));
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-dvr-date").empty());
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetDvrDate.cgi"));
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetRecordSetting.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4012, 4012}));
    EXPECT_EQ(Writes("/SetDvrDate.cgi").size(), 1u);
    EXPECT_EQ(Writes("/SetRecordSetting.cgi").size(), 1u);
}

}  // namespace
