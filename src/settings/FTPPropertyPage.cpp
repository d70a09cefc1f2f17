#include "settings/FTPPropertyPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "platform/MessageBox.h"
#include "settings/DeviceText.h"
#include "settings/MySystemDialog.h"
#include "settings/SectionWrite.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr int kMaxServerChars = 31;
constexpr int kMaxAccountChars = 15;
constexpr uint32_t kMaxPort = 65535;

QString ShownOrEmpty(const std::string& stored, std::size_t limit) {
    return stored.size() > limit ? QString() : settings::DeviceText(stored);
}

}  // namespace

FTPPropertyPage::FTPPropertyPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::FTP) {}

void FTPPropertyPage::OnInitDialog() {
    using namespace sheet;
    MakeLabel(this, 0, "Server  : ", Scaled(QRect(20, 22, 90, 20)));
    m_server = MakeTextEdit(this, kIdServer, kMaxServerChars, Scaled(QRect(115, 20, 220, 22)));
    MakeLabel(this, 0, "UserName : ", Scaled(QRect(20, 52, 90, 20)));
    m_user = MakeTextEdit(this, kIdUserName, kMaxAccountChars, Scaled(QRect(115, 50, 150, 22)));
    MakeLabel(this, 0, "Password : ", Scaled(QRect(20, 82, 90, 20)));
    m_password = MakeTextEdit(this, kIdPassword, kMaxAccountChars, Scaled(QRect(115, 80, 150, 22)));
    m_password->setEchoMode(QLineEdit::Password);
    MakeLabel(this, 0, "Port : ", Scaled(QRect(20, 112, 90, 20)));
    m_port = MakeTextEdit(this, kIdPort, 5, Scaled(QRect(115, 110, 70, 22)));
    MakeLabel(this, 0, "Directory :", Scaled(QRect(20, 142, 90, 20)));
    m_directory =
        MakeTextEdit(this, kIdDirectory, kMaxServerChars, Scaled(QRect(115, 140, 220, 22)));
    connect(m_port, &QLineEdit::textEdited, this, [this] { OnPortEdited(); });

    // The site list of the dialog is never shown.
    auto* sites = new ReportList(this, kIdSiteList,
                                 {{"Username", 60}, {"Ftp site", 180}, {"Port number", 40}},
                                 Scaled(QRect(20, 170, 300, 80)));
    QList<QWidget*> unused = {sites};
    unused << MakeButton(this, 1276, "ADD", QRect()) << MakeButton(this, 1277, "DELETE", QRect())
           << MakeButton(this, 1278, "EDIT", QRect()) << MakeButton(this, 1284, "OK", QRect());
    for (QWidget* control : unused) {
        control->hide();
        control->setEnabled(false);
    }

    const std::span<const uint8_t> ftp = g_lpApp->m_Cfg_FTP;
    m_strServer = ShownOrEmpty(ReadText(ftp, FtpRecord::szFtpServer), kMaxServerChars);
    m_strUserName = ShownOrEmpty(ReadText(ftp, FtpRecord::szFtpUserName), kMaxAccountChars);
    m_strPassword = ShownOrEmpty(ReadText(ftp, FtpRecord::szFtpPassword), kMaxAccountChars);
    m_strDirectory = ShownOrEmpty(ReadText(ftp, FtpRecord::szFtpDirectory), kMaxServerChars);
    m_nPort = ReadUInt(ftp, FtpRecord::wFtpPort);
    UpdateData(false);
}

void FTPPropertyPage::OnPortEdited() {
    if (m_port->text().isEmpty()) return;
    uint32_t port = sheet::ParseDigits(m_port->text()).value_or(0);
    if (port == 0 || port > kMaxPort) {
        ormidon::ShowMessage(kMsgWrongPort);
        port = kDefaultPort;
    }
    const QString shown = QString::number(port);
    if (shown != m_port->text()) {
        m_port->setText(shown);
        m_port->setCursorPosition(static_cast<int>(shown.size()));
    }
}

bool FTPPropertyPage::OnKillActive() {
    if (m_port != nullptr && m_port->text().isEmpty()) {
        ormidon::ShowMessage(kMsgTypePort);
        return false;
    }
    return true;
}

void FTPPropertyPage::UpdateData(bool save) {
    if (m_port == nullptr) return;
    if (save) {
        m_strServer = m_server->text();
        m_strUserName = m_user->text();
        m_strPassword = m_password->text();
        m_strDirectory = m_directory->text();
        if (const std::optional<uint32_t> port = sheet::ParseDigits(m_port->text()))
            m_nPort = *port;
        return;
    }
    m_server->setText(m_strServer);
    m_user->setText(m_strUserName);
    m_password->setText(m_strPassword);
    m_directory->setText(m_strDirectory);
    m_port->setText(QString::number(m_nPort));
}

int FTPPropertyPage::Apply() {
    if (!HasWindow() || g_lpApp == nullptr) return 0;
    UpdateData(true);
    const ApplyBaseline& base = Sheet().Baseline();
    const std::span<uint8_t> ftp = g_lpApp->m_Cfg_FTP;
    bool send = false;
    const auto rewrite = [&](const QString& page, const std::string& baseline, RecordField field) {
        const std::string text = settings::DeviceBytes(page);
        if (text == baseline || text.size() >= field.width) return;
        WriteText(ftp, field, text);
        send = true;
    };
    rewrite(m_strServer, base.strFtpServer, FtpRecord::szFtpServer);
    rewrite(m_strUserName, base.strFtpUserName, FtpRecord::szFtpUserName);
    rewrite(m_strPassword, base.strFtpPassword, FtpRecord::szFtpPassword);
    rewrite(m_strDirectory, base.strFtpDirectory, FtpRecord::szFtpDirectory);
    if (m_nPort != base.wFtpPort && m_nPort >= 1 && m_nPort <= kMaxPort) {
        WriteUInt(ftp, FtpRecord::wFtpPort, m_nPort);
        send = true;
    }
    if (send) settings::WriteSection(CFG_FTP);
    return 0;
}
