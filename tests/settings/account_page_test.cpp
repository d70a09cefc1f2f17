// The Account page against the simulated recorder: the working table, the panel's rules,
// the applier's SECURE bytes and when the client's own login follows an edit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "settings/AccountPropertyPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using AP = AccountPropertyPage;

class AccountPageTest : public SettingsSheetTest {
  protected:
    // Three accounts, the client logged in with the middle one.
    void OpenWithThree() {
        device.SetAccounts({{"first", "pw1", 20}, {"admin", "admin", 30}, {"third", "pw3", 10}});
        OpenSheet();
        ASSERT_TRUE(ShowPage("Account"));
    }
    AP* AccountPage() { return static_cast<AP*>(Page("Account")); }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(AP::kIdList));
    }
    void Select(int row) { List()->SelectRow(row); }
    // Opens the panel on a row and fills it; the combos by index (-1 none).
    void EditRow(int row, const QString& name, const QString& password, int level = 2) {
        Select(row);
        Button(AP::kIdEdit)->click();
        FillPanel(name, password, 1, level, 1);
    }
    void FillPanel(const QString& name, const QString& password, int life, int level, int login) {
        Control<QLineEdit>(AP::kIdUserName)->setText(name);
        Control<QLineEdit>(AP::kIdPassword)->setText(password);
        sheet::SetComboIndex(Control<QComboBox>(AP::kIdLifeTime), life);
        sheet::SetComboIndex(Control<QComboBox>(AP::kIdLevel), level);
        sheet::SetComboIndex(Control<QComboBox>(AP::kIdLoginRecord), login);
    }
    std::string SecureBytes() { return device.Section("SECURE").value_or(""); }
    std::string SlotName(const std::string& secure, int slot) {
        return std::string(secure.c_str() + 0x08 + 16 * slot);
    }
};

TEST_F(AccountPageTest, ShowsTheDevicesAccountsWithTheirTexts) {
    OpenWithThree();
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(List()->Text(0, 0), "first");
    EXPECT_EQ(List()->Text(0, 1), "HIGH USER");
    EXPECT_EQ(List()->Text(2, 1), "NORMAL USER");
    EXPECT_EQ(List()->Text(1, 2), "INFINITY");
    EXPECT_EQ(List()->Text(1, 3), "OFF");
    EXPECT_EQ(Control<QLineEdit>(AP::kIdMaxUsers)->text(), "5");
    EXPECT_FALSE(Control<QLineEdit>(AP::kIdUserName)->isVisible());

    struct Case {
        uint32_t minutes;
        const char* text;
    };
    for (const Case& c :
         {Case{0xFFFFFFFF, "INFINITY"}, Case{1440, "1 DAY"}, Case{60, "1 HOUR"}, Case{7, "7 MIN"}})
        EXPECT_EQ(AP::StoredLifeTimeText(c.minutes), c.text);
    EXPECT_EQ(AP::StoredLevelText(99), "SUPERVISOR");
    EXPECT_EQ(AP::IndexOfLevel(99), 3);
    EXPECT_EQ(AP::IndexOfLifeTime(7), 5);
    EXPECT_EQ(AP::LifeTimeOfIndex(9), 1u);
}

TEST_F(AccountPageTest, DeletingTheFirstOfThreeMovesTheOthersUpInSecure) {
    OpenWithThree();
    Select(0);
    Button(AP::kIdDelete)->click();
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(List()->Text(0, 0), "admin");
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    const std::string secure = SecureBytes();
    ASSERT_EQ(secure.size(), 196u);
    EXPECT_EQ(SlotName(secure, 0), "admin");
    EXPECT_EQ(SlotName(secure, 1), "third");
    EXPECT_EQ(std::string(secure.c_str() + 0x58 + 16), "pw3");
    EXPECT_EQ(static_cast<uint8_t>(secure[0xA9]), 10);
    EXPECT_EQ(secure.substr(0x08 + 32, 16), std::string(16, '\0'));
    EXPECT_EQ(secure.substr(0x58 + 32, 16), std::string(16, '\0'));
}

TEST_F(AccountPageTest, RefusedActionsShowTheirMessageAndChangeNothing) {
    OpenWithThree();
    Button(AP::kIdDelete)->click();  // nothing selected
    Button(AP::kIdEdit)->click();
    Select(1);
    Button(AP::kIdDelete)->click();  // the own account
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4086, 4087, 4069}));

    EditRow(0, "third", "x");  // a name of another account
    Button(AP::kIdOk)->click();
    EditRow(0, "first", "");  // no password
    Button(AP::kIdOk)->click();
    Button(AP::kIdAdd)->click();
    FillPanel("new", "pw", 0, 0, -1);  // no login record
    Button(AP::kIdOk)->click();
    Button(AP::kIdAdd)->click();
    FillPanel("admin", "pw", 0, 0, 0);
    Button(AP::kIdOk)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4086, 4087, 4069, 4118, 4022, 4002, 4118}));
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(List()->Text(0, 0), "first");
    EXPECT_TRUE(Button(MySystemDialog::kIdApply)->isEnabled());

    PressApply();
    EXPECT_TRUE(Writes("/SetSysCfg.cgi").empty());
}

TEST_F(AccountPageTest, AddingStopsAtMaxUsersAndTypingMaxUsersIsBounded) {
    OpenWithThree();
    QLineEdit* maxUsers = Control<QLineEdit>(AP::kIdMaxUsers);
    maxUsers->clear();
    QTest::keyClicks(maxUsers, "9");
    EXPECT_EQ(maxUsers->text(), "5");
    maxUsers->clear();
    QTest::keyClicks(maxUsers, "0");
    EXPECT_EQ(maxUsers->text(), "3");
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4043, 4043}));

    Button(AP::kIdAdd)->click();  // three rows, three allowed
    EXPECT_EQ(boxes.Ids().back(), 4002u);
    EXPECT_FALSE(AccountPage()->IsPanelOpen());

    maxUsers->clear();
    EXPECT_FALSE(AccountPage()->OnKillActive());
    EXPECT_EQ(boxes.Ids().back(), 4042u);
    QTest::keyClicks(maxUsers, "4");

    Button(AP::kIdAdd)->click();
    EXPECT_TRUE(AccountPage()->IsPanelOpen());
    EXPECT_FALSE(Button(MySystemDialog::kIdApply)->isEnabled());
    FillPanel("fourth", "pw4", 4, 3, 1);
    Button(AP::kIdOk)->click();
    EXPECT_TRUE(Button(MySystemDialog::kIdApply)->isEnabled());
    ASSERT_EQ(List()->topLevelItemCount(), 4);
    EXPECT_EQ(List()->Text(3, 1), "GUEST");
    EXPECT_EQ(List()->Text(3, 2), "1 DAY");
    EXPECT_EQ(List()->Text(3, 3), "ON");

    PressApply();
    const std::string secure = SecureBytes();
    EXPECT_EQ(static_cast<uint8_t>(secure[0x02]), 4);
    EXPECT_EQ(SlotName(secure, 3), "fourth");
    EXPECT_EQ(static_cast<uint8_t>(secure[0x03]) & 0x08, 0x08);
    EXPECT_EQ(static_cast<uint8_t>(secure[0xB0 + 12]), 0xA0);  // 1440 = 0x5A0
}

TEST_F(AccountPageTest, NamesLoseTheirBlanksAndStopAtFifteenCharacters) {
    OpenWithThree();
    Button(AP::kIdAdd)->click();
    QLineEdit* name = Control<QLineEdit>(AP::kIdUserName);
    QTest::keyClicks(name, "a b  c");
    EXPECT_EQ(name->text(), "abc");
    name->clear();
    QTest::keyClicks(name, "abcdefghijklmnopqrst");
    EXPECT_EQ(name->text(), "abcdefghijklmno");
}

TEST_F(AccountPageTest, TheOwnLoginFollowsOnlyASentEditOfTheOwnAccount) {
    struct Case {
        const char* name;
        bool editOtherAfter;
        bool refuseSend;
        bool exitInstead;
        std::string user, password;
    };
    const Case cases[] = {
        {"own then other, sent", true, false, false, "boss", "newpw"},
        {"own then EXIT", false, false, true, "admin", "tusqe"},
        {"own then a failed send", false, true, false, "admin", "tusqe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.CSettingINI.m_strUsername = "admin";
        app.CSettingINI.m_strPassword = "tusqe";
        OpenWithThree();
        EditRow(1, "boss", "newpw", 3);
        Button(AP::kIdOk)->click();
        EXPECT_EQ(List()->Text(1, 1), "SUPERVISOR");
        if (c.editOtherAfter) {
            EditRow(0, "first", "other");
            Button(AP::kIdOk)->click();
        }
        if (c.refuseSend)
            device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
        if (c.exitInstead) {
            Button(MySystemDialog::kIdExit)->click();
        } else {
            PressApply();
        }
        EXPECT_EQ(app.CSettingINI.m_strUsername, c.user);
        EXPECT_EQ(app.CSettingINI.m_strPassword, c.password);
        if (c.refuseSend) {
            EXPECT_EQ(boxes.Texts().back(), AP::kSendFailedText);
        } else if (!c.exitInstead) {
            const std::string secure = SecureBytes();
            EXPECT_EQ(SlotName(secure, 1), "boss");
            EXPECT_EQ(static_cast<uint8_t>(secure[0xA9]), 30);  // own level kept
            EXPECT_EQ(std::string(secure.c_str() + 0x58), "other");
        }
        sheet.reset();
    }
}

TEST_F(AccountPageTest, ThePageWithItsPanelOpenIsDrawn) {
    OpenWithThree();
    Select(2);
    Button(AP::kIdEdit)->click();
    EXPECT_FALSE(List()->isEnabled());
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-account-panel").empty());
    Button(AP::kIdExit)->click();
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-account").empty());
}

}  // namespace
