#pragma once
// The "FTP" page: the account the device uploads alarm pictures with (section "FTP").
// Stored texts longer than the page takes are shown empty and go back unchanged unless the
// operator types new ones.
#include <QString>
#include <cstdint>

#include "sheet/PropertyPage.h"

class QLineEdit;

class FTPPropertyPage : public CPropertyPage {
  public:
    static constexpr int kIdUserName = 1040;
    static constexpr int kIdPassword = 1043;
    static constexpr int kIdPort = 1042;
    static constexpr int kIdServer = 1283;
    static constexpr int kIdDirectory = 1285;
    static constexpr int kIdSiteList = 1275;
    static constexpr uint32_t kMsgWrongPort = 4054;
    static constexpr uint32_t kMsgTypePort = 4090;
    static constexpr uint16_t kDefaultPort = 21;

    explicit FTPPropertyPage(PageSheet& sheet);

    bool OnKillActive() override;
    void UpdateData(bool save) override;
    int Apply() override;

  protected:
    void OnInitDialog() override;

  private:
    void OnPortEdited();

    QLineEdit* m_server = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_directory = nullptr;
    QLineEdit* m_port = nullptr;

    QString m_strServer;
    QString m_strUserName;
    QString m_strPassword;
    QString m_strDirectory;
    uint32_t m_nPort = kDefaultPort;
};
