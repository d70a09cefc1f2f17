// The Playback Search window against the simulated recorder: the lists it offers, the
// request of an event and of a time search, and what keeps it from sending.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "backup/CPlaybackSearchDlg.h"
#include "sim/Fault.h"

namespace {

using PS = CPlaybackSearchDlg;

class PlaybackSearchTest : public ormidon::test::SettingsSheetTest {
  protected:
    void Open(const std::string& product = "P51K") {
        device.Disks().SetSlots({0, 2, 5});
        LogIn({.product = product, .firmware = "1080"});
        device.Server().ClearLog();
        dialog = std::make_unique<PS>();
        dialog->show();
    }
    template <typename T = QComboBox>
    T* Get(int id) {
        return ormidon::FindControl<T>(dialog.get(), id);
    }
    QStringList Items(int id) {
        QStringList items;
        for (int i = 0; i < Get(id)->count(); ++i) items << Get(id)->itemText(i);
        return items;
    }
    void Choose(int id, const QString& text) { Get(id)->setCurrentIndex(Get(id)->findText(text)); }
    void SetWhen(QDate date, QTime time) {
        Get<QDateTimeEdit>(PS::kIdDate)->setDate(date);
        Get<QDateTimeEdit>(PS::kIdTime)->setTime(time);
    }
    void PressOk() { Get<QPushButton>(PS::kIdOk)->click(); }
    std::vector<std::string> Sent() {
        std::vector<std::string> targets;
        for (const auto& write : Writes("/SearchPlayBack.cgi")) targets.push_back(write.query);
        return targets;
    }
    std::unique_ptr<PS> dialog;
};

TEST_F(PlaybackSearchTest, AnEventSearchSendsItsChoicesAndCloses) {
    Open();
    EXPECT_EQ(Items(PS::kIdSearchType), (QStringList{"EVENT SEARCH", "TIME SEARCH"}));
    EXPECT_EQ(Items(PS::kIdHddList), (QStringList{"ALL", "EXT-02", "MASTER1", "MASTER2"}));
    EXPECT_EQ(Items(PS::kIdEventType), (QStringList{"ALARM", "MOTION"}));
    EXPECT_EQ(Get(PS::kIdChannel)->count(), 16);
    EXPECT_EQ(Get(PS::kIdHddList)->currentText(), "ALL");
    EXPECT_EQ(Get(PS::kIdSearchType)->currentText(), "EVENT SEARCH");
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(dialog.get(), "backup-playback-search").empty());

    Choose(PS::kIdChannel, "3");
    Choose(PS::kIdHddList, "EXT-02");
    Choose(PS::kIdEventType, "ALARM");
    SetWhen(QDate(2008, 5, 7), QTime(13, 4, 9));
    PressOk();
    EXPECT_EQ(
        Sent(),
        (std::vector<std::string>{"/SearchPlayBack.cgi?Cookie=" + GetSessionCookie() +
                                  "&searchType=event&channelNum=2&eventType=0&year=8&month=5&day=7"
                                  "&hour=13&min=4&sec=9&hddNum=5"}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(PlaybackSearchTest, ATimeSearchOnAllDisksStaysOpen) {
    Open("P55K");
    EXPECT_EQ(Items(PS::kIdChannel), (QStringList{"1", "2", "3", "4"}));
    Choose(PS::kIdSearchType, "TIME SEARCH");
    EXPECT_FALSE(Get(PS::kIdChannel)->isEnabled());
    EXPECT_FALSE(Get(PS::kIdEventType)->isEnabled());
    SetWhen(QDate(2010, 12, 31), QTime(0, 0, 0));
    PressOk();
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{
                  "/SearchPlayBack.cgi?Cookie=" + GetSessionCookie() +
                  "&searchType=time&year=10&month=12&day=31&hour=0&min=0&sec=0&hddNum=ALL"}));
    EXPECT_TRUE(dialog->isVisible());
    Choose(PS::kIdSearchType, "EVENT SEARCH");
    EXPECT_TRUE(Get(PS::kIdChannel)->isEnabled());

    // A failed request: the window stays, and says so.
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SearchPlayBack.cgi"));
    PressOk();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{PS::kMsgSendFailed}));
}

TEST_F(PlaybackSearchTest, NothingIsSentWithoutAChoice) {
    // Typed text that names no item.
    Open();
    QComboBox* hdd = Get(PS::kIdHddList);
    hdd->lineEdit()->selectAll();
    QTest::keyClicks(hdd->lineEdit(), "EXT-99");
    PressOk();
    QComboBox* channel = Get(PS::kIdChannel);
    Choose(PS::kIdHddList, "MASTER2");
    channel->setEditText("17");
    PressOk();
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(dialog->isVisible());

    // No disk list, and a product without channels: OK is disabled.
    device.Server().AddFault(ormidon::sim::Fault::Status(404, "/GetDvrHDD.cgi"));
    Open();
    EXPECT_FALSE(Get<QPushButton>(PS::kIdOk)->isEnabled());
    EXPECT_EQ(Get(PS::kIdHddList)->count(), 0);
    Open("P62K");
    EXPECT_FALSE(Get<QPushButton>(PS::kIdOk)->isEnabled());
    PressOk();
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(boxes.Ids().empty());
}

}  // namespace
