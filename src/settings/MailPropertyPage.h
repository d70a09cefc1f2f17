#pragma once
// The "Mail" page: the mail server, the sender address, the server's account with its
// "Verify Password" switch, and at most four alarm e-mail addresses (section "SMTP"; a long
// sender address continues in "SNTP" or "SYSTEM" on newer firmware).
#include <QString>
#include <cstddef>
#include <cstdint>

#include "sheet/PropertyPage.h"

class QLineEdit;
class QRadioButton;

namespace sheet {
class ReportList;
}

class MailPropertyPage : public CPropertyPage {
  public:
    static constexpr int kIdServer = 1044;
    static constexpr int kIdMailFrom = 1045;
    static constexpr int kIdYes = 1268;
    static constexpr int kIdNo = 1269;
    static constexpr int kIdUser = 1042;
    static constexpr int kIdPassword = 1043;
    static constexpr int kIdList = 1267;
    static constexpr int kIdAdd = 1118;
    static constexpr int kIdDelete = 1117;
    static constexpr int kIdEdit = 1119;
    static constexpr int kIdMailInfo = 1068;
    static constexpr uint32_t kMsgMaxAccounts = 4041;
    static constexpr uint32_t kMsgSelectToDelete = 4088;
    static constexpr uint32_t kMsgSelectToEdit = 4089;
    static constexpr int kMaxRows = 4;
    // An entry of the alarm list holds 48 bytes with its terminator.
    static constexpr std::size_t kMaxStoredAddressChars = 47;
    static constexpr uint8_t kVerifyYes = 2;
    static constexpr uint8_t kVerifyNo = 0;

    explicit MailPropertyPage(PageSheet& sheet);

    void UpdateData(bool save) override;
    int Apply() override;

    // Mode 1: the stored entry as shown (between the first "<" and the last ">"); mode 0:
    // the shown address as stored ("name <address>" with the part before "@" as the name,
    // or "<address>").
    static QString FormatMailAddress(const QString& text, int mode);
    // How long a sender address may be typed: 42 where it continues in another section.
    static int MailFromLimit();

    void OnVerify(uint8_t verify);
    void OnAdd();
    void OnDelete();
    void OnEdit();

  protected:
    void OnInitDialog() override;

  private:
    QLineEdit* m_server = nullptr;
    QLineEdit* m_mailFrom = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QRadioButton* m_yes = nullptr;
    QRadioButton* m_no = nullptr;
    sheet::ReportList* m_list = nullptr;

    QString m_strServer;
    QString m_strMailFrom;
    QString m_strUser;
    QString m_strPassword;
    // A stored value other than 0 and 2 stays until the operator picks one.
    uint8_t m_byVerify = 0;
    uint8_t m_byRowCount = 0;
    bool m_bListChanged = false;
};
