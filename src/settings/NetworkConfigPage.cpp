#include "settings/NetworkConfigPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/DeviceIdentity.h"
#include "net/DeviceInfo.h"
#include "net/PendingAddress.h"
#include "platform/MessageBox.h"
#include "settings/DeviceText.h"
#include "settings/MySystemDialog.h"
#include "settings/SectionWrite.h"
#include "sheet/PageToolkit.h"

uint8_t g_byNetworkType = 0;

namespace {

constexpr int kBitRateLast = 4;

std::span<uint8_t> Ip() { return g_lpApp->m_Cfg_IP; }

std::string Dotted(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

// The P5xK from "3000" limits its bit rate, and the applier sends it there.
bool SendsBitRate() { return IsP5xKModel() && FirmwareAtLeast("3000"); }

}  // namespace

NetworkConfigPage::NetworkConfigPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Network) {}

int NetworkConfigPage::PppoeTextLimit() { return UsesNarrowPppoe() ? 15 : 31; }

void NetworkConfigPage::OnInitDialog() {
    using namespace sheet;
    QList<QWidget*> all;
    all << MakeGroup(this, 1462, "IP TYPE", Scaled(QRect(10, 5, 380, 48)));
    const char* radioTexts[] = {"    Static IP", "    PPPOE", "    DHCP"};
    for (int i = 0; i < 3; ++i) {
        m_radio[i] =
            MakeRadio(this, kIdStatic + i, radioTexts[i], Scaled(QRect(25 + 120 * i, 25, 115, 22)));
        all << m_radio[i];
        connect(m_radio[i], &QRadioButton::clicked, this,
                [this, i] { OnAddressType(static_cast<uint8_t>(i)); });
    }

    const auto row = [](int y) { return Scaled(QRect(110, y, 170, 22)); };
    m_addressControls = {MakeLabel(this, 1397, "Server IP :", Scaled(QRect(20, 65, 85, 20))),
                         MakeLabel(this, 1398, "Gateway :", Scaled(QRect(20, 92, 85, 20))),
                         MakeLabel(this, 1399, "Net Mask :", Scaled(QRect(20, 119, 85, 20)))};
    m_address = new IPv4Edit(this, kIdServerIP, row(63));
    m_gateway = new IPv4Edit(this, kIdGateway, row(90));
    m_mask = new IPv4Edit(this, kIdNetMask, row(117));
    m_addressControls << m_address << m_gateway << m_mask;
    all << m_addressControls;

    all << MakeLabel(this, 1463, "Web Port :", Scaled(QRect(20, 146, 85, 20)));
    m_port = new DigitEdit(this, kIdWebPort, 5, 1, kMaxTypedPort);
    m_port->setGeometry(Scaled(QRect(110, 144, 70, 22)));
    all << m_port;

    auto* bitRateLabel =
        MakeLabel(this, kIdBitRateLabel, "Bit Rate :", Scaled(QRect(20, 173, 85, 20)));
    m_bitRate =
        MakeCombo(this, kIdBitRate, {"256 Kbits", "512 Kbits", "640 Kbits", " 1   Mbits", "   MAX"},
                  Scaled(QRect(110, 171, 110, 22)));
    connect(m_bitRate, &QComboBox::activated, this, [this](int index) { m_nBitRate = index; });
    all << bitRateLabel << m_bitRate;

    m_pppoeControls = {MakeGroup(this, 1394, "PPPOE", Scaled(QRect(10, 200, 380, 80))),
                       MakeLabel(this, 1395, "User Name :", Scaled(QRect(20, 222, 85, 20))),
                       MakeLabel(this, 1396, "Password :", Scaled(QRect(20, 249, 85, 20)))};
    // Longer texts are cut while typing; the edit itself takes the widest layout's field.
    m_pppoeUser = MakeTextEdit(this, kIdPppoeUserName, 31, Scaled(QRect(110, 220, 170, 22)));
    m_pppoePassword = MakeTextEdit(this, kIdPppoePassword, 31, Scaled(QRect(110, 247, 170, 22)));
    m_pppoePassword->setEchoMode(QLineEdit::Password);
    m_pppoeControls << m_pppoeUser << m_pppoePassword;
    for (QWidget* control : m_pppoeControls) control->raise();
    all << m_pppoeControls;
    connect(m_pppoeUser, &QLineEdit::textEdited, this, [this] { OnPppoeEdited(m_pppoeUser); });
    connect(m_pppoePassword, &QLineEdit::textEdited, this,
            [this] { OnPppoeEdited(m_pppoePassword); });

    CAppObject& app = *g_lpApp;
    const std::span<const uint8_t> ip = Ip();
    m_byIPType = static_cast<uint8_t>(ReadUInt(ip, IpRecord::byIPType));
    const std::span<const uint8_t> pppoe = PppoeBlock(app);
    m_strPppoeUserName = settings::DeviceText(ReadText(pppoe, PppoeUserNameField()));
    m_strPppoePassword = settings::DeviceText(ReadText(pppoe, PppoePasswordField()));
    m_dwAddress = ReadIPv4(ip, IpRecord::byIPAddress);
    m_dwGateway = ReadIPv4(ip, IpRecord::byGateway);
    m_dwMask = ReadIPv4(ip, IpRecord::byNetMask);
    m_iWeb_Port = static_cast<int>(ReadUInt(ip, IpRecord::wWebPort));
    m_nBitRate = static_cast<int>(ReadUInt(ip, IpRecord::byBitRate));

    if (IsN2xVModel()) {
        // The N2xV keeps its address settings to itself: the page shows nothing.
        for (QWidget* control : all) control->hide();
    } else {
        g_byNetworkType = m_byIPType;
        ShowTypeControls(m_byIPType);
        if (IsP62KModel() || (IsP5xKModel() && !FirmwareAtLeast("3000"))) {
            bitRateLabel->hide();
            m_bitRate->hide();
        }
        // Shown where the device reports it, but only the P5xK takes it back.
        m_bitRate->setEnabled(SendsBitRate());
    }
    UpdateData(false);
}

void NetworkConfigPage::ShowTypeControls(uint8_t type) {
    const int checked = type == IpRecord::kStatic ? 0 : type == IpRecord::kDhcp ? 2 : 1;
    m_radio[checked]->setChecked(true);
    for (QWidget* control : m_addressControls) control->setEnabled(type == IpRecord::kStatic);
    const bool pppoe = type != IpRecord::kStatic && type != IpRecord::kDhcp;
    for (QWidget* control : m_pppoeControls) control->setVisible(pppoe);
}

void NetworkConfigPage::OnAddressType(uint8_t type) {
    m_byIPType = type;
    g_byNetworkType = type;
    ShowTypeControls(type);
}

void NetworkConfigPage::OnPppoeEdited(QLineEdit* edit) {
    const int limit = PppoeTextLimit();
    if (edit->text().size() <= limit) return;
    edit->setText(edit->text().left(limit));
    edit->setCursorPosition(limit);
}

bool NetworkConfigPage::OnKillActive() {
    if (m_port != nullptr && !m_port->isHidden() && m_port->text().isEmpty()) {
        ormidon::ShowMessage(kMsgTypePort);
        return false;
    }
    return true;
}

void NetworkConfigPage::UpdateData(bool save) {
    if (m_port == nullptr) return;
    if (save) {
        m_dwAddress = m_address->Address();
        m_dwGateway = m_gateway->Address();
        m_dwMask = m_mask->Address();
        const std::optional<uint32_t> port = m_port->Value();
        m_iWeb_Port = port ? static_cast<int>(std::min<uint32_t>(*port, 0x7FFFFFFF)) : -1;
        // The wide layout's full 32 bytes show cut to 31: untouched, they stay as read.
        m_strPppoeUserName = sheet::OperatorText(m_pppoeUser, m_strPppoeUserName);
        m_strPppoePassword = sheet::OperatorText(m_pppoePassword, m_strPppoePassword);
        return;
    }
    m_address->SetAddress(m_dwAddress);
    m_gateway->SetAddress(m_dwGateway);
    m_mask->SetAddress(m_dwMask);
    if (m_iWeb_Port >= 0) m_port->SetValue(static_cast<uint32_t>(m_iWeb_Port));
    m_pppoeUser->setText(m_strPppoeUserName);
    m_pppoePassword->setText(m_strPppoePassword);
    sheet::SetComboIndex(m_bitRate, std::min(m_nBitRate, kBitRateLast));
}

int NetworkConfigPage::Apply() {
    if (!HasWindow() || g_lpApp == nullptr) return 0;
    UpdateData(true);
    CAppObject& app = *g_lpApp;
    const ApplyBaseline& base = Sheet().Baseline();
    g_fNewWebPort = 0;
    g_fNewServerAddress = 0;

    const std::span<uint8_t> pppoe = PppoeBlock(app);
    const std::string user = settings::DeviceBytes(m_strPppoeUserName);
    const std::string password = settings::DeviceBytes(m_strPppoePassword);
    bool pppoeChanged = false;
    if (user != base.strPppoeUserName) {
        WriteText(pppoe, PppoeUserNameField(), user);
        pppoeChanged = true;
    }
    if (password != base.strPppoePassword) {
        WriteText(pppoe, PppoePasswordField(), password);
        pppoeChanged = true;
    }
    if (pppoeChanged && !settings::WriteSection(CFG_PPPOE)) return 0;

    int result = 0;
    bool sendIp = false;
    const std::span<uint8_t> ip = Ip();
    if (m_dwAddress != base.dwIPAddress || m_dwGateway != base.dwGateway ||
        m_dwMask != base.dwNetMask || m_iWeb_Port != base.wWebPort) {
        if (m_iWeb_Port < 1 || m_iWeb_Port > 65535) return 0;
        if (m_dwAddress != base.dwIPAddress) {
            WriteIPv4(ip, IpRecord::byIPAddress, m_dwAddress);
            g_strNewServerAddress.Set(Dotted(m_dwAddress));
            g_fNewServerAddress = 1;
        }
        if (m_dwGateway != base.dwGateway) WriteIPv4(ip, IpRecord::byGateway, m_dwGateway);
        if (m_dwMask != base.dwNetMask) WriteIPv4(ip, IpRecord::byNetMask, m_dwMask);
        if (m_iWeb_Port != base.wWebPort) {
            WriteUInt(ip, IpRecord::wWebPort, static_cast<uint32_t>(m_iWeb_Port));
            g_wNewWebPort = static_cast<uint16_t>(m_iWeb_Port);
            g_fNewWebPort = 1;
        }
        sendIp = true;
        result = 1;
    }

    if (m_byIPType != base.byIPType) {
        WriteUInt(ip, IpRecord::byIPType, m_byIPType);
        sendIp = true;
        result = 1;
        // Where the client finds the device under its new address type.
        const std::string domain = ReadText(app.m_Cfg_SMTP, SmtpRecord::szDDNSDomain);
        if (m_byIPType == IpRecord::kStatic) {
            g_strNewServerAddress.Set(Dotted(ReadIPv4(ip, IpRecord::byIPAddress)));
            g_fNewServerAddress = 1;
        } else if (m_byIPType == IpRecord::kPppoe || !domain.empty()) {
            g_strNewServerAddress.Set(domain);
            g_fNewServerAddress = 1;
        } else {
            g_fNewServerAddress = 0;
        }
    }

    if (SendsBitRate()) {
        if (m_nBitRate != base.nBitRate)
            WriteUInt(ip, IpRecord::byBitRate, static_cast<uint32_t>(m_nBitRate));
        sendIp = true;
    }

    if (sendIp && !settings::WriteSection(CFG_IP)) {
        // The device kept its old address and port: the client must not move away.
        g_fNewWebPort = 0;
        g_fNewServerAddress = 0;
    }
    return result;
}
