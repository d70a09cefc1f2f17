// The Mail page and its address dialog against the simulated recorder: the sender address
// split over SMTP and its continuation by device and firmware, the alarm list's stored
// forms, the verify switch and the dialog's refusals.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "../support/DrawnWindow.h"
#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "settings/CMailAccountEditDlg.h"
#include "settings/MailPropertyPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;
using MP = MailPropertyPage;

class MailPageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        sheet::SetChildDialogResponder({});
        SettingsSheetTest::TearDown();
    }
    void Open(const SheetSetup& setup, const std::function<void()>& edit = {}) {
        LogIn(setup);
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ASSERT_TRUE(ShowPage("Mail"));
        device.Server().ClearLog();
    }
    sheet::ReportList* List() {
        return static_cast<sheet::ReportList*>(Control<QTreeWidget>(MP::kIdList));
    }
    // The dialog answers with `address` and OK.
    void AnswerDialogWith(const QString& address) {
        sheet::SetChildDialogResponder([address, this](QDialog& dialog) {
            dialogPrompt = ormidon::FindControl<QWidget>(&dialog, CMailAccountEditDlg::kIdPrompt)
                               ->property("text")
                               .toString();
            ormidon::FindControl<QLineEdit>(&dialog, CMailAccountEditDlg::kIdAddress)
                ->setText(address);
            ormidon::FindControl<QPushButton>(&dialog, CMailAccountEditDlg::kIdOk)->click();
            return dialog.result();
        });
    }
    std::vector<std::string> Options() {
        std::vector<std::string> options;
        for (const auto& write : Writes("/SetSysCfg.cgi")) {
            const std::size_t from = write.query.find("Option=") + 7;
            options.push_back(write.query.substr(from, write.query.find('&') - from));
        }
        return options;
    }
    std::string Body(const std::string& option) {
        for (const auto& write : Writes("/SetSysCfg.cgi"))
            if (write.query.find("Option=" + option + "&") != std::string::npos) return write.body;
        return {};
    }
    template <std::size_t N>
    static std::string Bytes(const std::array<uint8_t, N>& block) {
        return std::string(block.begin(), block.end());
    }
    static std::string Padded(const std::string& text, std::size_t width) {
        std::string padded = text.substr(0, width);
        padded.resize(width, '\0');
        return padded;
    }
    QString dialogPrompt;
};

TEST_F(MailPageTest, TheSenderAddressIsSplitWhereTheFirmwareContinuesIt) {
    struct Device {
        const char* product;
        const char* firmware;
        std::string continuation;  // empty: none
    };
    const Device devices[] = {{"P51K", "1026", ""},
                              {"P51K", "1027", "SNTP"},
                              {"P62K", "1002", ""},
                              {"P62K", "1003", "SYSTEM"}};
    const std::string full = "abcdefghij@example.test.long.domain.name.x";  // 42 characters
    ASSERT_EQ(full.size(), 42u);
    for (const Device& d : devices) {
        for (std::size_t length : {14u, 15u, 30u, 42u}) {
            SCOPED_TRACE(std::string(d.product) + " " + d.firmware + " " + std::to_string(length));
            // A short sender and a title of its own in SYSTEM.
            Open({.product = d.product, .firmware = d.firmware}, [this] {
                WriteText(app.m_Cfg_SMTP, SmtpRecord::szMailFrom, "short@ex.test");
                WriteText(app.m_Cfg_SYSTEM, RecordField{0x04, 32}, "");
                WriteText(app.m_Cfg_SYSTEM, SystemRecord::szSystemName, "TITLE");
                app.str_SystemName.Set("TITLE");
            });
            const std::array<uint8_t, 440> smtp = app.m_Cfg_SMTP;
            const std::array<uint8_t, 36> sntp = app.m_Cfg_SNTP;
            const std::array<uint8_t, 36> system = app.m_Cfg_SYSTEM;
            QLineEdit* mailFrom = Control<QLineEdit>(MP::kIdMailFrom);
            mailFrom->clear();
            QTest::keyClicks(mailFrom, QString::fromStdString(full.substr(0, length)));
            const std::string typed = full.substr(
                0, !d.continuation.empty() ? length : std::min<std::size_t>(length, 15));
            EXPECT_EQ(mailFrom->text().toStdString(), typed);
            PressApply();

            const std::string head = typed.substr(0, 15);
            const std::string tail = typed.size() > 15 ? typed.substr(15) : "";
            std::string expectedSmtp = Bytes(smtp);
            expectedSmtp.replace(0x48, 16, Padded(head, 16));
            EXPECT_EQ(Body("SMTP"), expectedSmtp);
            std::vector<std::string> expectedOptions = {"SMTP"};
            if (d.continuation == "SNTP") {
                expectedOptions.push_back("SNTP");
                std::string expectedSntp = Bytes(sntp);
                expectedSntp.replace(0x08, 28, Padded(tail, 28));
                EXPECT_EQ(Body("SNTP"), expectedSntp);
            }
            const bool systemSent = d.continuation == "SYSTEM" && typed.size() > 15;
            if (systemSent) {
                expectedOptions.push_back("SYSTEM");
                std::string expectedSystem = Bytes(system);
                expectedSystem.replace(0x04, 32, Padded(tail, 32));
                EXPECT_EQ(Body("SYSTEM"), expectedSystem);
                // The title now is what SYSTEM holds there: gone, or the address's end.
                EXPECT_EQ(app.str_SystemName.Get(), Padded(tail, 32).substr(16).c_str());
            } else {
                EXPECT_EQ(Bytes(app.m_Cfg_SYSTEM), Bytes(system));
                EXPECT_EQ(app.str_SystemName.Get(), "TITLE");
            }
            EXPECT_EQ(Options(), expectedOptions);
            sheet.reset();
        }
    }
}

TEST_F(MailPageTest, AShortSenderReplacingALongOneClearsTheContinuation) {
    // The recorder's own sender is 25 characters, kept in SMTP and SYSTEM.
    Open({.product = "P62K", .firmware = "1003"});
    EXPECT_EQ(Control<QLineEdit>(MP::kIdMailFrom)->text(), "recorder.alarms@localhost");
    Control<QLineEdit>(MP::kIdMailFrom)->setText("me@example.tst");
    PressApply();
    ASSERT_EQ(Options(), (std::vector<std::string>{"SMTP", "SYSTEM"}));
    EXPECT_EQ(Body("SYSTEM").substr(0x04, 32), std::string(32, '\0'));
}

TEST_F(MailPageTest, AlarmAddressesAreStoredWithANameOrInBracketsAndFitTheirEntry) {
    Open({});
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(List()->Text(0, 0), "alarm1@localhost");
    for (int i = 0; i < 2; ++i) {
        List()->SelectRow(0);
        Button(MP::kIdDelete)->click();
    }
    // 20 + " <" + 24 + ">" = 47
    const std::string fits = std::string(20, 'a') + "@" + std::string(3, 'b');
    ASSERT_EQ(MP::FormatMailAddress(QString::fromStdString(fits), 0).size(), 47);
    for (const std::string& address :
         {std::string("bob@example.test"), std::string("nodomain"), fits, fits + "c"}) {
        AnswerDialogWith(QString::fromStdString(address));
        Button(MP::kIdAdd)->click();
    }
    EXPECT_EQ(dialogPrompt, "Add : ");
    EXPECT_EQ(boxes.Texts().back(), CMailAccountEditDlg::kTooLongText);
    ASSERT_EQ(List()->topLevelItemCount(), 3);

    List()->SelectRow(1);
    AnswerDialogWith("nodomain2");
    Button(MP::kIdEdit)->click();
    EXPECT_EQ(dialogPrompt, "Edit :");
    PressApply();
    ASSERT_EQ(Options(), std::vector<std::string>{"SMTP"});
    const std::string smtp = Body("SMTP");
    EXPECT_EQ(smtp.substr(0x88, 48), Padded("bob <bob@example.test>", 48));
    EXPECT_EQ(smtp.substr(0x88 + 48, 48), Padded("<nodomain2>", 48));
    EXPECT_EQ(smtp.substr(0x88 + 96, 48), Padded(std::string(20, 'a') + " <" + fits + ">", 48));
    EXPECT_EQ(smtp.substr(0x88 + 144, 48), std::string(48, '\0'));

    // Shown bare again when the sheet opens anew.
    sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
    sheet->Create();
    ASSERT_TRUE(ShowPage("Mail"));
    EXPECT_EQ(List()->Text(0, 0), "bob@example.test");
    EXPECT_EQ(List()->Text(1, 0), "nodomain2");
}

TEST_F(MailPageTest, ListLimitsAndSelectionMessagesAndDeletingTheLastRow) {
    Open({});
    Button(MP::kIdDelete)->click();
    Button(MP::kIdEdit)->click();
    AnswerDialogWith("c@d.e");
    Button(MP::kIdAdd)->click();
    Button(MP::kIdAdd)->click();
    Button(MP::kIdAdd)->click();  // a fifth
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4088, 4089, 4041}));
    EXPECT_EQ(List()->topLevelItemCount(), 4);
    while (List()->topLevelItemCount() > 0) {
        List()->SelectRow(0);
        Button(MP::kIdDelete)->click();
    }
    PressApply();
    EXPECT_EQ(Body("SMTP").substr(0x88, 4 * 48), std::string(4 * 48, '\0'));
}

TEST_F(MailPageTest, AnOddVerifyValueShowsNoChoiceAndStaysUnlessOneIsPicked) {
    for (bool pick : {false, true}) {
        SCOPED_TRACE(pick);
        Open({}, [this] { WriteUInt(app.m_Cfg_SMTP, SmtpRecord::bySmtpVerify, 1); });
        EXPECT_FALSE(Control<QRadioButton>(MP::kIdYes)->isChecked());
        EXPECT_FALSE(Control<QRadioButton>(MP::kIdNo)->isChecked());
        if (pick) {
            Control<QRadioButton>(MP::kIdNo)->click();
            EXPECT_FALSE(Control<QLineEdit>(MP::kIdUser)->isEnabled());
        }
        PressApply();
        if (pick) {
            EXPECT_EQ(Body("SMTP")[0x04], 0);
        } else {
            EXPECT_TRUE(Writes().empty());
        }
        sheet.reset();
    }
}

TEST_F(MailPageTest, A15CharacterSenderClearsAStaleContinuation) {
    // A short sender, yet the continuation in SYSTEM still holds an old tail.
    Open({.product = "P62K", .firmware = "1003"}, [this] {
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szMailFrom, "short@ex.tst");
        WriteText(app.m_Cfg_SYSTEM, SystemRecord::kMailFromContinuation, "stale.tail");
    });
    EXPECT_EQ(Control<QLineEdit>(MP::kIdMailFrom)->text(), "short@ex.tst");
    QLineEdit* mailFrom = Control<QLineEdit>(MP::kIdMailFrom);
    mailFrom->clear();
    QTest::keyClicks(mailFrom, "fifteen@chars.x");
    PressApply();
    ASSERT_EQ(Options(), (std::vector<std::string>{"SMTP", "SYSTEM"}));
    EXPECT_EQ(Body("SYSTEM").substr(0x04, 32), std::string(32, '\0'));
    // Read back, the address is the one typed.
    ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
    EXPECT_EQ(ReadMailFrom(app), "fifteen@chars.x");
}

TEST_F(MailPageTest, AlarmRowsNotAddedOrEditedGoBackInTheirStoredForm) {
    const std::string longOne = "<a.very.long.localpart@example.org>";
    const std::string named = "Alarm Desk <desk@example.test>";
    Open({}, [&] {
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, longOne, 0);
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, named, 1);
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, std::string(48, 'z'), 2);
    });
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    // EDIT answered with the address as shown changes nothing of the row.
    List()->SelectRow(1);
    AnswerDialogWith("desk@example.test");
    Button(MP::kIdEdit)->click();
    AnswerDialogWith("new@example.test");
    Button(MP::kIdAdd)->click();
    PressApply();
    const std::string smtp = Body("SMTP");
    EXPECT_EQ(smtp.substr(0x88, 48), Padded(longOne, 48));
    EXPECT_EQ(smtp.substr(0x88 + 48, 48), Padded(named, 48));
    EXPECT_EQ(smtp.substr(0x88 + 96, 48), std::string(48, 'z'));
    EXPECT_EQ(smtp.substr(0x88 + 144, 48), Padded("new <new@example.test>", 48));

    // An edited row takes the stored form of what was typed; the rows after a deleted one
    // move up as they were stored.
    sheet.reset();
    Open({}, [&] {
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, named, 0);
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, longOne, 1);
        WriteText(app.m_Cfg_SMTP, SmtpRecord::szAlarmMail, "<x@y.z>", 2);
    });
    List()->SelectRow(0);
    Button(MP::kIdDelete)->click();
    List()->SelectRow(1);
    AnswerDialogWith("b@c.d");
    Button(MP::kIdEdit)->click();
    PressApply();
    EXPECT_EQ(Body("SMTP").substr(0x88, 4 * 48),
              Padded(longOne, 48) + Padded("b <b@c.d>", 48) + std::string(96, '\0'));
}

TEST_F(MailPageTest, AFailedSmtpSendStopsBeforeTheContinuation) {
    Open({.product = "P51K", .firmware = "1027"});
    Control<QLineEdit>(MP::kIdMailFrom)->setText("someone.else@example.test");
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4012});
    EXPECT_EQ(Options(), std::vector<std::string>{"SMTP"});
}

TEST_F(MailPageTest, ThePageAndItsDialogAreDrawn) {
    Open({});
    ormidon::test::ExpectControlsWhole(
        sheet.get(), sheet->GetActivePage(),
        {MP::kIdServer, MP::kIdMailFrom, MP::kIdYes, MP::kIdNo, MP::kIdUser, MP::kIdPassword,
         MP::kIdList, MP::kIdAdd, MP::kIdDelete, MP::kIdEdit});
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-mail").empty());
    CMailAccountEditDlg dialog("Add : ", "someone@example.test", sheet.get());
    dialog.show();
    ormidon::test::ExpectControlsWhole(
        &dialog, &dialog,
        {CMailAccountEditDlg::kIdPrompt, CMailAccountEditDlg::kIdAddress,
         CMailAccountEditDlg::kIdOk, CMailAccountEditDlg::kIdCancel});
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(&dialog, "settings-mail-account-edit").empty());
}

}  // namespace
