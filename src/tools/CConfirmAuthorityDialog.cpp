#include "tools/CConfirmAuthorityDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/window/ControlId.h"

namespace {

CConfirmAuthorityDialog::ModalAnswer& ModalAnswerSlot() {
    static CConfirmAuthorityDialog::ModalAnswer answer;
    return answer;
}

}  // namespace

CConfirmAuthorityDialog::CConfirmAuthorityDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Confirm Authority"));
    setFixedSize(230, 124);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* userLabel = new QLabel(QStringLiteral("User name :"), this);
    userLabel->setGeometry(12, 14, 80, 22);
    m_pUser = new QLineEdit(this);
    ormidon::SetControlId(m_pUser, kIdUser);
    m_pUser->setGeometry(96, 14, 120, 22);
    m_pUser->setMaxLength(kMaxText);

    auto* passwordLabel = new QLabel(QStringLiteral("Password :"), this);
    passwordLabel->setGeometry(12, 46, 80, 22);
    m_pPassword = new QLineEdit(this);
    ormidon::SetControlId(m_pPassword, kIdPassword);
    m_pPassword->setGeometry(96, 46, 120, 22);
    m_pPassword->setMaxLength(kMaxText);
    m_pPassword->setEchoMode(QLineEdit::Password);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ormidon::SetControlId(ok, kIdOk);
    ok->setGeometry(30, 84, 76, 26);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    ormidon::SetControlId(cancel, kIdCancel);
    cancel->setGeometry(124, 84, 76, 26);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { done(kIdOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kIdCancel); });
}

void CConfirmAuthorityDialog::SetModalAnswer(ModalAnswer answer) {
    ModalAnswerSlot() = std::move(answer);
}

int CConfirmAuthorityDialog::DoModal() {
    m_pUser->setText(QString::fromStdString(m_strConfirmUser));
    m_pPassword->setText(QString::fromStdString(m_strConfirmPassword));
    if (const ModalAnswer& answer = ModalAnswerSlot()) {
        show();
        const int result = answer(*this);
        done(result);
        return result;
    }
    return exec();
}

void CConfirmAuthorityDialog::done(int result) {
    if (result == kIdOk) {
        m_strConfirmUser = m_pUser->text().toStdString();
        m_strConfirmPassword = m_pPassword->text().toStdString();
    }
    QDialog::done(result);
}
