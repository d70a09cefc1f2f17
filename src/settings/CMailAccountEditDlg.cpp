#include "settings/CMailAccountEditDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/ConfigRecords.h"
#include "platform/MessageBox.h"
#include "settings/DeviceText.h"
#include "settings/MailPropertyPage.h"
#include "sheet/PageToolkit.h"

CMailAccountEditDlg::CMailAccountEditDlg(const QString& prompt, const QString& address,
                                         QWidget* parent)
    : QDialog(parent), m_address(address) {
    using namespace sheet;
    setWindowTitle("Mail Account Edit");
    setFixedSize(Scaled(300), Scaled(90));
    MakeLabel(this, kIdPrompt, prompt, Scaled(QRect(10, 14, 50, 20)));
    m_edit = MakeTextEdit(this, kIdAddress, kMaxAddressChars, Scaled(QRect(60, 12, 230, 22)));
    m_edit->setText(address);
    QPushButton* ok = MakeButton(this, kIdOk, "OK", Scaled(QRect(60, 52, 80, 24)));
    QPushButton* cancel = MakeButton(this, kIdCancel, "CANCEL", Scaled(QRect(160, 52, 80, 24)));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CMailAccountEditDlg::OnOK() {
    const QString address = m_edit->text();
    // The entry keeps 47 characters and its terminator; a longer one would run into the
    // next entry of the record.
    const std::string stored =
        settings::DeviceBytes(MailPropertyPage::FormatMailAddress(address, 0));
    if (stored.size() > MailPropertyPage::kMaxStoredAddressChars) {
        ormidon::ShowMessageText(kTooLongText);
        return;
    }
    m_address = address;
    accept();
}
