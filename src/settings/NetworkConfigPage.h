#pragma once
// The "Network" page: the device's address, mask, gateway and web port, the address type
// (static, PPPoE, DHCP), the PPPoE account and, where the device has one, its bit-rate limit
// (sections "IP" and "PPPOE"). Its applier runs last of all; when it changes the device's
// address or port it leaves the new ones pending (net/PendingAddress.h), so that the client
// follows the device once the device has taken the change.
#include <QString>
#include <cstdint>
#include <string>

#include "sheet/PropertyPage.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace sheet {
class DigitEdit;
class IPv4Edit;
}  // namespace sheet

// The address type chosen on the Network page (0 static, 1 PPPoE, 2 DHCP); the DDNS page
// offers its "AUTO" box by it.
extern uint8_t g_byNetworkType;

class NetworkConfigPage : public CPropertyPage {
  public:
    static constexpr int kIdServerIP = 1248;
    static constexpr int kIdGateway = 1249;
    static constexpr int kIdNetMask = 1250;
    static constexpr int kIdWebPort = 1040;
    static constexpr int kIdStatic = 1252;
    static constexpr int kIdPppoe = 1253;
    static constexpr int kIdDhcp = 1254;
    static constexpr int kIdPppoeUserName = 1043;
    static constexpr int kIdPppoePassword = 1044;
    static constexpr int kIdBitRate = 1526;
    static constexpr int kIdBitRateLabel = 1464;
    static constexpr uint32_t kMsgTypePort = 4090;
    // The web port the login window takes; the page keeps typing within it.
    static constexpr uint32_t kMaxTypedPort = 9999;

    explicit NetworkConfigPage(PageSheet& sheet);

    bool OnKillActive() override;
    void UpdateData(bool save) override;
    // Sends "PPPOE" and "IP" where they changed; non-zero when the address, mask, gateway,
    // port or address type changed (the sheet then pauses for the device to move).
    int Apply() override;
    int ChosenAddressType() const override { return m_byIPType; }

    void OnAddressType(uint8_t type);
    // The PPPoE texts' limit: 31 with the wide "PPPOE" layout, 15 with the narrow one.
    static int PppoeTextLimit();

  protected:
    void OnInitDialog() override;

  private:
    void ShowTypeControls(uint8_t type);
    void OnPppoeEdited(QLineEdit* edit);

    sheet::IPv4Edit* m_address = nullptr;
    sheet::IPv4Edit* m_gateway = nullptr;
    sheet::IPv4Edit* m_mask = nullptr;
    sheet::DigitEdit* m_port = nullptr;
    QRadioButton* m_radio[3] = {};
    QLineEdit* m_pppoeUser = nullptr;
    QLineEdit* m_pppoePassword = nullptr;
    QComboBox* m_bitRate = nullptr;
    QList<QWidget*> m_addressControls;
    QList<QWidget*> m_pppoeControls;

    uint32_t m_dwAddress = 0;
    uint32_t m_dwGateway = 0;
    uint32_t m_dwMask = 0;
    int m_iWeb_Port = 0;  // -1 while the edit is empty
    // The stored type and bit rate stay as they are (even out of range) until the
    // operator picks one.
    uint8_t m_byIPType = 0;
    int m_nBitRate = 0;
    QString m_strPppoeUserName;
    QString m_strPppoePassword;
};
