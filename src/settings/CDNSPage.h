#pragma once
// The "DDNS" page: the device's DNS server (section "DNS") and its dynamic-DNS account
// (on/off, provider, user name, password, domain; kept in section "SMTP"). Devices of the
// two brands with a provider of their own show the brand's name instead of the list.
#include <QString>
#include <cstdint>

#include "sheet/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace sheet {
class IPv4Edit;
}

class CDNSPage : public CPropertyPage {
  public:
    static constexpr int kIdDnsServer = 1251;
    static constexpr int kIdAuto = 1469;
    static constexpr int kIdEnable = 1380;
    static constexpr int kIdDisable = 1381;
    static constexpr int kIdUserName = 1040;
    static constexpr int kIdPassword = 1041;
    static constexpr int kIdDomain = 1042;
    static constexpr int kIdProvider = 1195;
    static constexpr int kIdBrand = 1527;
    // Capability bits of the two brands.
    static constexpr uint32_t kCapabilityMarrowfield = 0x200;
    static constexpr uint32_t kCapabilityQuensett = 0x80;

    explicit CDNSPage(PageSheet& sheet);

    void OnSetActive() override;
    void UpdateData(bool save) override;
    // Sends "DNS" (not refreshed at once), then "SMTP", where they changed; 0.
    int Apply() override;
    int ChosenDDNSEnable() const override { return m_nDDNSEnable; }

    void OnEnable(bool enable);
    void OnAuto();

  protected:
    void OnInitDialog() override;

  private:
    void ApplyAutoRule();

    sheet::IPv4Edit* m_dns = nullptr;
    QCheckBox* m_auto = nullptr;
    QRadioButton* m_enable = nullptr;
    QRadioButton* m_disable = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_domain = nullptr;
    QComboBox* m_provider = nullptr;
    QLabel* m_brand = nullptr;

    uint32_t m_dwDNSServer = 0;
    int m_nAutoDNS = 0;
    int m_nDDNSEnable = 0;
    int m_nProvider = 0;
    QString m_strUserName;
    QString m_strPassword;
    QString m_strDomain;
};
