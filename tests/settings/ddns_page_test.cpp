// The DDNS page against the simulated recorder: the brands' provider label, the order of
// DNS and SMTP and the stop after a failed DNS, and the "AUTO" box that follows the
// Network page's address type.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "settings/CDNSPage.h"
#include "settings/NetworkConfigPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;
using DP = CDNSPage;

class DdnsPageTest : public SettingsSheetTest {
  protected:
    void Open(const SheetSetup& setup, const std::function<void()>& edit = {}) {
        LogIn(setup);
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ASSERT_TRUE(ShowPage("DDNS"));
        device.Server().ClearLog();
    }
    template <std::size_t N>
    static std::string Bytes(const std::array<uint8_t, N>& block) {
        return std::string(block.begin(), block.end());
    }
};

TEST_F(DdnsPageTest, BrandsShowTheirNameAndKeepTheStoredProvider) {
    struct Case {
        uint32_t capability;
        const char* stored;
        bool listShown;
        const char* label;
    };
    const Case cases[] = {{0x200, "dyndns", false, "KESMU"},
                          {0x80, "quensett", false, "QUENSETT"},
                          {0x200, "marrowfield", false, "KESMU"},
                          {0, "statdns", true, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Open({.product = "P62K", .firmware = "1010", .capability = c.capability},
             [&] { WriteText(app.m_Cfg_SMTP, SmtpRecord::szDDNSProvider, c.stored); });
        EXPECT_EQ(Control<QComboBox>(DP::kIdProvider)->isVisible(), c.listShown);
        EXPECT_EQ(Control<QLabel>(DP::kIdBrand)->isVisible(), c.label != nullptr);
        if (c.label) {
            EXPECT_EQ(Control<QLabel>(DP::kIdBrand)->text(), c.label);
        }
        PressApply();
        EXPECT_TRUE(Writes().empty());
        sheet.reset();
    }
    // Picking another provider writes its text.
    Open({.product = "P62K", .firmware = "1010"});
    sheet::SetComboIndex(Control<QComboBox>(DP::kIdProvider), 0);
    PressApply();
    ASSERT_EQ(Writes("/SetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(std::string(Writes()[0].body.c_str() + 0x58), "custom");
}

TEST_F(DdnsPageTest, DisablingSendsOnlyTheSwitchInSmtp) {
    Open({.product = "T18D", .firmware = "1010"});
    std::array<uint8_t, 440> expected = app.m_Cfg_SMTP;
    expected[0x05] = 0;
    Control<QRadioButton>(DP::kIdDisable)->click();
    EXPECT_FALSE(Control<QLineEdit>(DP::kIdDomain)->isEnabled());
    PressApply();
    const auto writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].query, "/SetSysCfg.cgi?Option=SMTP&Cookie=" + GetSessionCookie());
    EXPECT_EQ(writes[0].body, Bytes(expected));
}

TEST_F(DdnsPageTest, DnsGoesFirstUnrefreshedAndItsFailureKeepsSmtpBack) {
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail);
        Open({.product = "P62K", .firmware = "1010"});
        std::array<uint8_t, 12> dns = app.m_Cfg_DNS;
        dns[0x04] = 10, dns[0x05] = 0, dns[0x06] = 0, dns[0x07] = 9;
        dynamic_cast<sheet::IPv4Edit*>(Control(DP::kIdDnsServer))->SetAddress(0x0A000009);
        Control<QLineEdit>(DP::kIdDomain)->setText("new.example.test");
        if (fail) device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
        PressApply();
        const auto writes = Writes("/SetSysCfg.cgi");
        ASSERT_EQ(writes.size(), fail ? 1u : 2u);
        EXPECT_EQ(writes[0].query,
                  "/SetSysCfg.cgi?Option=DNS&Refresh=False&Cookie=" + GetSessionCookie());
        EXPECT_EQ(writes[0].body, Bytes(dns));
        if (fail) {
            EXPECT_EQ(boxes.Ids().back(), 4012u);
        } else {
            EXPECT_EQ(std::string(writes[1].body.c_str() + 0x148), "new.example.test");
        }
        sheet.reset();
    }
}

TEST_F(DdnsPageTest, AutoIsOfferedOnADvrWhileTheNetworkPageChoosesDhcp) {
    Open({}, [this] { WriteUInt(app.m_Cfg_DNS, DnsRecord::byAutoDNS, 1); });
    QCheckBox* autoBox = Control<QCheckBox>(DP::kIdAuto);
    EXPECT_FALSE(autoBox->isVisible());
    EXPECT_TRUE(Control<QWidget>(DP::kIdDnsServer)->isEnabled());
    ASSERT_TRUE(ShowPage("Network"));
    Control<QRadioButton>(NetworkConfigPage::kIdDhcp)->click();
    ASSERT_TRUE(ShowPage("DDNS"));
    EXPECT_TRUE(autoBox->isVisible());
    EXPECT_TRUE(autoBox->isChecked());
    EXPECT_FALSE(Control<QWidget>(DP::kIdDnsServer)->isEnabled());
    autoBox->click();
    EXPECT_TRUE(Control<QWidget>(DP::kIdDnsServer)->isEnabled());
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-ddns").empty());
    ASSERT_TRUE(ShowPage("Network"));
    Control<QRadioButton>(NetworkConfigPage::kIdStatic)->click();
    ASSERT_TRUE(ShowPage("DDNS"));
    EXPECT_FALSE(autoBox->isVisible());
    PressApply();
    const auto writes = Writes("/SetSysCfg.cgi");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].body[0x03], 0);
}

}  // namespace
