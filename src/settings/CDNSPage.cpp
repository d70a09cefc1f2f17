#include "settings/CDNSPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/DeviceIdentity.h"
#include "settings/DeviceText.h"
#include "settings/MySystemDialog.h"
#include "settings/NetworkConfigPage.h"
#include "settings/SectionWrite.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr const char* kProviders[] = {"custom", "dyndns", "statdns"};
constexpr int kMaxAccountChars = 15;
constexpr int kMaxDomainChars = 47;

int ProviderIndex(const std::string& provider) {
    for (int i = 0; i < 3; ++i)
        if (provider == kProviders[i]) return i;
    return 0;
}

}  // namespace

CDNSPage::CDNSPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::DDNS) {}

void CDNSPage::OnInitDialog() {
    using namespace sheet;
    MakeLabel(this, 0, "DNS:", Scaled(QRect(20, 17, 90, 20)));
    m_dns = new IPv4Edit(this, kIdDnsServer, Scaled(QRect(115, 15, 170, 22)));
    m_auto = MakeCheck(this, kIdAuto, "AUTO", Scaled(QRect(295, 16, 70, 20)));
    MakeLabel(this, 0, "DDNS:", Scaled(QRect(20, 52, 90, 20)));
    m_enable = MakeRadio(this, kIdEnable, "Enable", Scaled(QRect(115, 52, 80, 20)));
    m_disable = MakeRadio(this, kIdDisable, "Disable", Scaled(QRect(200, 52, 80, 20)));
    MakeLabel(this, 0, "System Name:", Scaled(QRect(20, 87, 90, 20)));
    m_provider = MakeCombo(this, kIdProvider, {"custom", "dyndns", "statdns"},
                           Scaled(QRect(115, 85, 170, 22)));
    m_brand = MakeLabel(this, kIdBrand, "KESMU", Scaled(QRect(115, 87, 170, 20)));
    MakeLabel(this, 0, "User Name:", Scaled(QRect(20, 117, 90, 20)));
    m_user = MakeTextEdit(this, kIdUserName, kMaxAccountChars, Scaled(QRect(115, 115, 170, 22)));
    MakeLabel(this, 0, "Password:", Scaled(QRect(20, 147, 90, 20)));
    m_password =
        MakeTextEdit(this, kIdPassword, kMaxAccountChars, Scaled(QRect(115, 145, 170, 22)));
    m_password->setEchoMode(QLineEdit::Password);
    MakeLabel(this, 0, "Domain:", Scaled(QRect(20, 177, 90, 20)));
    m_domain = MakeTextEdit(this, kIdDomain, kMaxDomainChars, Scaled(QRect(115, 175, 250, 22)));

    connect(m_enable, &QRadioButton::clicked, this, [this] { OnEnable(true); });
    connect(m_disable, &QRadioButton::clicked, this, [this] { OnEnable(false); });
    connect(m_auto, &QCheckBox::clicked, this, [this] { OnAuto(); });

    const CAppObject& app = *g_lpApp;
    const std::span<const uint8_t> smtp = app.m_Cfg_SMTP;
    m_dwDNSServer = ReadIPv4(app.m_Cfg_DNS, DnsRecord::byDNSServer);
    m_nDDNSEnable = static_cast<int>(ReadUInt(smtp, SmtpRecord::byDDNSEnable));
    OnEnable(m_nDDNSEnable != 0);
    m_nDDNSEnable = static_cast<int>(ReadUInt(smtp, SmtpRecord::byDDNSEnable));
    m_strUserName = settings::DeviceText(ReadText(smtp, SmtpRecord::szDDNSUserName));
    m_strPassword = settings::DeviceText(ReadText(smtp, SmtpRecord::szDDNSPassword));
    m_strDomain = settings::DeviceText(ReadText(smtp, SmtpRecord::szDDNSDomain));
    m_nProvider = ProviderIndex(ReadText(smtp, SmtpRecord::szDDNSProvider));
    if (HasDeviceCapability(kCapabilityMarrowfield) != 0) {
        m_provider->hide();
    } else if (HasDeviceCapability(kCapabilityQuensett) != 0) {
        m_provider->hide();
        m_brand->setText("QUENSETT");
    } else {
        m_brand->hide();
    }
    m_nAutoDNS = static_cast<int>(ReadUInt(app.m_Cfg_DNS, DnsRecord::byAutoDNS));
    ApplyAutoRule();
    UpdateData(false);
}

void CDNSPage::ApplyAutoRule() {
    if (m_auto == nullptr) return;
    if (IsP5xKModel() != 0 && g_byNetworkType == IpRecord::kDhcp) {
        m_auto->show();
        m_dns->setEnabled(m_nAutoDNS == 0);
    } else {
        m_auto->hide();
        m_dns->setEnabled(true);
    }
}

void CDNSPage::OnSetActive() { ApplyAutoRule(); }

void CDNSPage::OnEnable(bool enable) {
    m_nDDNSEnable = enable ? 1 : 0;
    m_enable->setChecked(enable);
    m_disable->setChecked(!enable);
    for (QWidget* control : {static_cast<QWidget*>(m_user), static_cast<QWidget*>(m_password),
                             static_cast<QWidget*>(m_domain), static_cast<QWidget*>(m_provider)})
        control->setEnabled(enable);
}

void CDNSPage::OnAuto() {
    m_nAutoDNS = m_nAutoDNS != 0 ? 0 : 1;
    m_auto->setChecked(m_nAutoDNS != 0);
    if (IsP5xKModel() != 0) m_dns->setEnabled(m_nAutoDNS == 0);
}

void CDNSPage::UpdateData(bool save) {
    if (m_dns == nullptr) return;
    if (save) {
        m_dwDNSServer = m_dns->Address();
        // A stored text of the field's full width shows one character short: untouched, it
        // stays as it was read.
        m_strUserName = sheet::OperatorText(m_user, m_strUserName);
        m_strPassword = sheet::OperatorText(m_password, m_strPassword);
        m_strDomain = sheet::OperatorText(m_domain, m_strDomain);
        m_nProvider = std::max(sheet::ComboIndex(m_provider), 0);
        return;
    }
    m_dns->SetAddress(m_dwDNSServer);
    m_auto->setChecked(m_nAutoDNS != 0);
    m_user->setText(m_strUserName);
    m_password->setText(m_strPassword);
    m_domain->setText(m_strDomain);
    sheet::SetComboIndex(m_provider, m_nProvider);
}

int CDNSPage::Apply() {
    if (!HasWindow() || g_lpApp == nullptr) return 0;
    UpdateData(true);
    CAppObject& app = *g_lpApp;
    const ApplyBaseline& base = Sheet().Baseline();
    bool sendDns = false;
    bool sendSmtp = false;
    if (m_dwDNSServer != base.dwDNSServer) {
        WriteIPv4(app.m_Cfg_DNS, DnsRecord::byDNSServer, m_dwDNSServer);
        sendDns = true;
    }
    if (m_nAutoDNS != base.nAutoDNS) {
        WriteUInt(app.m_Cfg_DNS, DnsRecord::byAutoDNS, static_cast<uint32_t>(m_nAutoDNS));
        sendDns = true;
    }
    const std::span<uint8_t> smtp = app.m_Cfg_SMTP;
    if (m_nDDNSEnable != base.nDDNSEnable) {
        WriteUInt(smtp, SmtpRecord::byDDNSEnable, static_cast<uint32_t>(m_nDDNSEnable));
        sendSmtp = true;
    }
    const auto rewrite = [&](const QString& page, const std::string& baseline, RecordField field) {
        const std::string text = settings::DeviceBytes(page);
        if (text == baseline) return;
        WriteText(smtp, field, text);
        sendSmtp = true;
    };
    rewrite(m_strUserName, base.strDDNSUserName, SmtpRecord::szDDNSUserName);
    rewrite(m_strPassword, base.strDDNSPassword, SmtpRecord::szDDNSPassword);
    rewrite(m_strDomain, base.strDDNSDomain, SmtpRecord::szDDNSDomain);
    if (m_nProvider != base.nDDNSProvider) {
        const char* provider = kProviders[std::clamp(m_nProvider, 0, 2)];
        if (HasDeviceCapability(kCapabilityMarrowfield) != 0) {
            provider = "marrowfield";
        } else if (HasDeviceCapability(kCapabilityQuensett) != 0) {
            provider = "quensett";
        }
        WriteText(smtp, SmtpRecord::szDDNSProvider, provider);
        sendSmtp = true;
    }
    // The device takes the DNS server before the account that may depend on it.
    if (sendDns && !settings::WriteSection(CFG_DNS)) return 0;
    if (sendSmtp) settings::WriteSection(CFG_SMTP);
    return 0;
}
