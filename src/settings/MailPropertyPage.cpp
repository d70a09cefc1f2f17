#include "settings/MailPropertyPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidgetItem>
#include <algorithm>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/StringTable.h"
#include "platform/MessageBox.h"
#include "settings/CMailAccountEditDlg.h"
#include "settings/DeviceText.h"
#include "settings/MySystemDialog.h"
#include "settings/SectionWrite.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kStringMailAccount = 3014;
constexpr uint32_t kStringAddPrompt = 8329;
constexpr uint32_t kStringEditPrompt = 8330;
constexpr int kMaxServerChars = 63;
constexpr int kMaxAccountChars = 31;
// Where a row read from the device keeps its stored entry.
constexpr int kStoredEntryRole = Qt::UserRole + 1;
// SYSTEM from byte 4: the continuation and the system name after it.
constexpr RecordField kSystemTailAndName{0x04, 32};

QString Text(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MailPropertyPage::MailPropertyPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Mail) {}

QString MailPropertyPage::FormatMailAddress(const QString& text, int mode) {
    if (mode == 1) {
        const qsizetype open = text.indexOf('<');
        const qsizetype close = text.lastIndexOf('>');
        if (open < 0 || close < 0 || close < open) return text;
        return text.mid(open + 1, close - open - 1);
    }
    const qsizetype at = text.indexOf('@');
    if (at > 0) return text.left(at) + " <" + text + ">";
    return "<" + text + ">";
}

int MailPropertyPage::MailFromLimit() {
    return MailFromContinuationSection() == MailFromContinuation::None
               ? static_cast<int>(kMailFromHeadChars)
               : static_cast<int>(kMailFromHeadChars + kMailFromTailChars);
}

void MailPropertyPage::OnInitDialog() {
    using namespace sheet;
    using namespace settings;
    MakeLabel(this, 0, "Server :", Scaled(QRect(10, 12, 80, 20)));
    m_server = MakeTextEdit(this, kIdServer, kMaxServerChars, Scaled(QRect(95, 10, 270, 22)));
    MakeLabel(this, 0, "Mail from :", Scaled(QRect(10, 39, 80, 20)));
    m_mailFrom = MakeTextEdit(this, kIdMailFrom, MailFromLimit(), Scaled(QRect(95, 37, 270, 22)));

    MakeGroup(this, 0, "Verify Password", Scaled(QRect(10, 66, 370, 80)));
    MakeLabel(this, 0, "Verify :", Scaled(QRect(20, 86, 70, 20)));
    m_yes = MakeRadio(this, kIdYes, "Yes", Scaled(QRect(95, 86, 60, 20)));
    m_no = MakeRadio(this, kIdNo, "No", Scaled(QRect(160, 86, 60, 20)));
    MakeLabel(this, 0, "User :", Scaled(QRect(20, 114, 45, 20)));
    m_user = MakeTextEdit(this, kIdUser, kMaxAccountChars, Scaled(QRect(65, 112, 120, 22)));
    MakeLabel(this, 0, "Password :", Scaled(QRect(192, 114, 65, 20)));
    m_password =
        MakeTextEdit(this, kIdPassword, kMaxAccountChars, Scaled(QRect(257, 112, 115, 22)));
    m_password->setEchoMode(QLineEdit::Password);

    MakeGroup(this, 0, "Modify alarm email address ", Scaled(QRect(10, 152, 370, 130)));
    m_list = new ReportList(this, kIdList, {{Text(kStringMailAccount), Scaled(300)}},
                            Scaled(QRect(20, 170, 260, 104)));
    QPushButton* add = MakeButton(this, kIdAdd, "ADD", Scaled(QRect(290, 170, 80, 24)));
    QPushButton* remove = MakeButton(this, kIdDelete, "DELETE", Scaled(QRect(290, 200, 80, 24)));
    QPushButton* edit = MakeButton(this, kIdEdit, "EDIT", Scaled(QRect(290, 230, 80, 24)));
    MakeButton(this, kIdMailInfo, "MAIL INFO", Scaled(QRect(290, 256, 80, 24)))->hide();

    connect(m_yes, &QRadioButton::clicked, this, [this] { OnVerify(kVerifyYes); });
    connect(m_no, &QRadioButton::clicked, this, [this] { OnVerify(kVerifyNo); });
    connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(edit, &QPushButton::clicked, this, [this] { OnEdit(); });

    const CAppObject& app = *g_lpApp;
    const std::span<const uint8_t> smtp = app.m_Cfg_SMTP;
    m_strMailFrom = DeviceText(ReadMailFrom(app));
    m_strServer = DeviceText(ReadText(smtp, SmtpRecord::szSmtpServer));
    m_strUser = DeviceText(ReadText(smtp, SmtpRecord::szSmtpUserName));
    m_strPassword = DeviceText(ReadText(smtp, SmtpRecord::szSmtpPassword));
    m_byVerify = static_cast<uint8_t>(ReadUInt(smtp, SmtpRecord::bySmtpVerify));
    if (m_byVerify == kVerifyNo || m_byVerify == kVerifyYes) {
        (m_byVerify == kVerifyYes ? m_yes : m_no)->setChecked(true);
        m_user->setEnabled(m_byVerify == kVerifyYes);
        m_password->setEnabled(m_byVerify == kVerifyYes);
    }
    m_byRowCount = 0;
    for (std::size_t entry = 0; entry < SmtpRecord::kAlarmMails; ++entry) {
        const std::string stored = ReadText(smtp, SmtpRecord::szAlarmMail, entry);
        if (stored.empty()) continue;
        const int row = m_list->AddRow({FormatMailAddress(DeviceText(stored), 1)});
        // The stored form goes back as it is unless the operator edits the row.
        m_list->topLevelItem(row)->setData(
            0, kStoredEntryRole, QByteArray(stored.data(), static_cast<qsizetype>(stored.size())));
        ++m_byRowCount;
    }
    UpdateData(false);
}

void MailPropertyPage::UpdateData(bool save) {
    if (m_server == nullptr) return;
    if (save) {
        m_strServer = sheet::OperatorText(m_server, m_strServer);
        m_strMailFrom = sheet::OperatorText(m_mailFrom, m_strMailFrom);
        m_strUser = sheet::OperatorText(m_user, m_strUser);
        m_strPassword = sheet::OperatorText(m_password, m_strPassword);
        return;
    }
    m_server->setText(m_strServer);
    m_mailFrom->setText(m_strMailFrom);
    m_user->setText(m_strUser);
    m_password->setText(m_strPassword);
}

void MailPropertyPage::OnVerify(uint8_t verify) {
    m_byVerify = verify;
    m_yes->setChecked(verify == kVerifyYes);
    m_no->setChecked(verify == kVerifyNo);
    m_user->setEnabled(verify == kVerifyYes);
    m_password->setEnabled(verify == kVerifyYes);
}

void MailPropertyPage::OnAdd() {
    if (m_byRowCount >= kMaxRows) {
        ormidon::ShowMessage(kMsgMaxAccounts);
        return;
    }
    CMailAccountEditDlg dialog(Text(kStringAddPrompt), QString(), this);
    if (sheet::RunChildDialog(dialog) != QDialog::Accepted || dialog.Address().isEmpty()) return;
    m_list->AddRow({dialog.Address()});
    ++m_byRowCount;
    m_bListChanged = true;
}

void MailPropertyPage::OnEdit() {
    const int row = m_list->SelectedRow();
    if (row < 0) {
        ormidon::ShowMessage(kMsgSelectToEdit);
        return;
    }
    CMailAccountEditDlg dialog(Text(kStringEditPrompt), m_list->Text(row, 0), this);
    if (sheet::RunChildDialog(dialog) != QDialog::Accepted) return;
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (dialog.Address() != item->text(0)) {
        item->setText(0, dialog.Address());
        item->setData(0, kStoredEntryRole, QVariant());
    }
    m_bListChanged = true;
}

void MailPropertyPage::OnDelete() {
    const int row = m_list->SelectedRow();
    if (row < 0) {
        ormidon::ShowMessage(kMsgSelectToDelete);
        return;
    }
    delete m_list->takeTopLevelItem(row);
    --m_byRowCount;
    m_bListChanged = true;
}

int MailPropertyPage::Apply() {
    if (!HasWindow() || g_lpApp == nullptr) return 0;
    UpdateData(true);
    CAppObject& app = *g_lpApp;
    const ApplyBaseline& base = Sheet().Baseline();
    const std::span<uint8_t> smtp = app.m_Cfg_SMTP;
    bool sendSmtp = false;
    bool sendSntp = false;
    bool sendSystem = false;

    const std::string mailFrom = settings::DeviceBytes(m_strMailFrom);
    if (mailFrom != base.strMailFrom) {
        sendSmtp = true;
        switch (MailFromContinuationSection()) {
            case MailFromContinuation::Sntp:
                WriteMailFrom(app, mailFrom);
                sendSntp = true;
                break;
            case MailFromContinuation::System:
                // The continuation shares SYSTEM with the system name: only an address that
                // needs it, an old one that used it, or a stored continuation that is not
                // empty (a 15-character address would read back joined with it) rewrites
                // that section.
                if (mailFrom.size() > kMailFromHeadChars ||
                    base.strMailFrom.size() > kMailFromHeadChars ||
                    !ReadText(app.m_Cfg_SYSTEM, SystemRecord::kMailFromContinuation).empty()) {
                    WriteText(app.m_Cfg_SYSTEM, kSystemTailAndName, "");
                    WriteMailFrom(app, mailFrom);
                    sendSystem = true;
                } else {
                    WriteText(smtp, SmtpRecord::szMailFrom, mailFrom);
                }
                break;
            case MailFromContinuation::None:
                WriteText(smtp, SmtpRecord::szMailFrom, mailFrom);
                break;
        }
    }
    const auto rewrite = [&](const QString& page, const std::string& baseline, RecordField field) {
        const std::string text = settings::DeviceBytes(page);
        if (text == baseline) return;
        WriteText(smtp, field, text);
        sendSmtp = true;
    };
    rewrite(m_strServer, base.strSmtpServer, SmtpRecord::szSmtpServer);
    rewrite(m_strPassword, base.strSmtpPassword, SmtpRecord::szSmtpPassword);
    rewrite(m_strUser, base.strSmtpUserName, SmtpRecord::szSmtpUserName);
    if (m_byVerify != base.bySmtpVerify) {
        WriteUInt(smtp, SmtpRecord::bySmtpVerify, m_byVerify);
        sendSmtp = true;
    }
    if (m_bListChanged) {
        for (std::size_t entry = 0; entry < SmtpRecord::kAlarmMails; ++entry)
            WriteText(smtp, SmtpRecord::szAlarmMail, "", entry);
        const int rows = std::min<int>(m_list->topLevelItemCount(), kMaxRows);
        for (int row = 0; row < rows; ++row) {
            const QVariant read = m_list->topLevelItem(row)->data(0, kStoredEntryRole);
            if (read.isValid()) {
                // A row the operator did not add or edit: its entry as the device stored it.
                WriteText(smtp, SmtpRecord::szAlarmMail, read.toByteArray().toStdString(),
                          static_cast<std::size_t>(row));
                continue;
            }
            std::string stored = settings::DeviceBytes(FormatMailAddress(m_list->Text(row, 0), 0));
            // The dialog refuses longer ones; the entry keeps its terminator regardless.
            if (stored.size() > kMaxStoredAddressChars) stored.resize(kMaxStoredAddressChars);
            WriteText(smtp, SmtpRecord::szAlarmMail, stored, static_cast<std::size_t>(row));
        }
        sendSmtp = true;
    }

    if (sendSmtp && !settings::WriteSection(CFG_SMTP)) return 0;
    if (sendSntp && !settings::WriteSection(CFG_SNTP)) return 0;
    if (sendSystem) {
        if (!settings::WriteSection(CFG_SYSTEM)) return 0;
        // The live view draws the name that SYSTEM now holds.
        app.str_SystemName.Set(ReadText(app.m_Cfg_SYSTEM, SystemRecord::szSystemName));
    }
    return 0;
}
