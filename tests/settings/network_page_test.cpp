// The Network page against the simulated recorder: typing rules, the sections its applier
// sends for each change, the address and port the client moves to, and the recorder
// answering at its new port or loopback address.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <functional>

#include "../support/DrawnWindow.h"
#include "../support/SettingsSheetHarness.h"
#include "core/ConfigRecords.h"
#include "core/ServerAddress.h"
#include "net/PendingAddress.h"
#include "settings/NetworkConfigPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;
using NP = NetworkConfigPage;

// A port nobody listens on right now, within what the page lets the operator type.
uint16_t FreePort() {
    for (uint16_t port = 9100; port < 10000; ++port) {
        const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(s);
        if (free) return port;
    }
    return 0;
}

class NetworkPageTest : public SettingsSheetTest {
  protected:
    void TearDown() override {
        g_fNewWebPort = 0;
        g_fNewServerAddress = 0;
        SettingsSheetTest::TearDown();
    }
    // Logs in, lets `edit` change the records as if the device had sent them so, opens the
    // sheet on the Network page.
    void Open(const SheetSetup& setup, const std::function<void()>& edit = {}) {
        LogIn(setup);
        if (edit) edit();
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ormidon::testing::ProcessEventsFor(10);
        device.Server().ClearLog();
    }
    QLineEdit* PortEdit() { return Control<QLineEdit>(NP::kIdWebPort); }
    sheet::IPv4Edit* AddressEdit() {
        return dynamic_cast<sheet::IPv4Edit*>(Control(NP::kIdServerIP));
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    std::vector<std::string> Options() {
        std::vector<std::string> options;
        for (const auto& write : Writes("/SetSysCfg.cgi")) {
            const std::size_t from = write.query.find("Option=") + 7;
            options.push_back(write.query.substr(from, write.query.find('&') - from));
        }
        return options;
    }
    // APPLY; true when the sheet paused for the device to move.
    bool ApplyPaused() {
        const uint32_t before = clock.TickCount();
        PressApply();
        return clock.TickCount() - before >= MySystemDialog::kApplyNetworkPause;
    }
};

TEST_F(NetworkPageTest, PortTypingKeepsDigitsWithinTheLoginsRangeAndAnEmptyPortHoldsTheSheet) {
    Open({});
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{"12a34", "1234"}, Case{"65000", "9999"}, Case{"0", "1"}}) {
        Type(PortEdit(), c.typed);
        EXPECT_EQ(PortEdit()->text(), c.shown) << c.typed;
    }
    PortEdit()->clear();
    EXPECT_FALSE(ShowPage("Mail"));
    // APPLY with the port empty: the page keeps the sheet, nothing goes out.
    PressApply();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4090, 4090}));
    EXPECT_TRUE(sheet->IsWindowOpen());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(NetworkPageTest, AStoredPortAboveTheTypingRangeGoesBackUnchanged) {
    Open({}, [this] { WriteUInt(app.m_Cfg_IP, IpRecord::wWebPort, 10000); });
    EXPECT_EQ(PortEdit()->text(), "10000");
    EXPECT_FALSE(ApplyPaused());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(NetworkPageTest, TypeChangesSendIpAndChooseWhereTheClientFindsTheDevice) {
    struct Case {
        const char* name;
        uint8_t storedType;
        const char* domain;
        int radio;
        std::string expectedAddress;  // empty: the client stays where it is
    };
    const Case cases[] = {
        {"PPPoE to static", 1, "dev.example.test", NP::kIdStatic, "192.168.1.20"},
        {"static to DHCP without domain", 0, "", NP::kIdDhcp, ""},
        {"static to DHCP with domain", 0, "dev.example.test", NP::kIdDhcp, "dev.example.test"},
        {"static to PPPoE", 0, "dev.example.test", NP::kIdPppoe, "dev.example.test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetServerName("127.0.0.1");
        Open({}, [&] {
            WriteIPv4(app.m_Cfg_IP, IpRecord::byIPAddress, 0xC0A80114);  // 192.168.1.20
            WriteUInt(app.m_Cfg_IP, IpRecord::byIPType, c.storedType);
            WriteText(app.m_Cfg_SMTP, SmtpRecord::szDDNSDomain, c.domain);
        });
        Control<QRadioButton>(c.radio)->click();
        std::array<uint8_t, 24> expected = app.m_Cfg_IP;
        expected[0x16] = static_cast<uint8_t>(c.radio - NP::kIdStatic);
        EXPECT_TRUE(ApplyPaused());
        ASSERT_EQ(Options(), std::vector<std::string>{"IP"});
        EXPECT_EQ(Writes()[0].body, std::string(expected.begin(), expected.end()));
        EXPECT_EQ(GetServerName(), c.expectedAddress.empty() ? "127.0.0.1" : c.expectedAddress);
        sheet.reset();
    }
}

TEST_F(NetworkPageTest, APppoePasswordAloneSendsPppoeOnlyWithoutPause) {
    for (const std::string firmware : {"1051", "1052"}) {
        SCOPED_TRACE(firmware);
        Open({.firmware = firmware});
        const bool narrow = firmware == "1051";
        std::array<uint8_t, 68> expected = narrow ? app.m_Cfg_PPPOE_Old : app.m_Cfg_PPPOE;
        QLineEdit* password = Control<QLineEdit>(NP::kIdPppoePassword);
        Control<QRadioButton>(NP::kIdPppoe)->click();
        ASSERT_TRUE(password->isVisible());
        Type(password, QString(40, 'p'));
        const std::size_t limit = narrow ? 15 : 31;
        EXPECT_EQ(password->text().size(), static_cast<qsizetype>(limit));
        Control<QRadioButton>(NP::kIdStatic)->click();  // back to the stored type
        std::fill_n(expected.begin() + (narrow ? 0x34 : 0x24), narrow ? 16 : 32, 0);
        std::fill_n(expected.begin() + (narrow ? 0x34 : 0x24), limit, 'p');
        EXPECT_FALSE(ApplyPaused());
        ASSERT_EQ(Options(), std::vector<std::string>{"PPPOE"});
        EXPECT_EQ(Writes()[0].body, std::string(expected.begin(), expected.end()));
        sheet.reset();
    }
}

TEST_F(NetworkPageTest, TheBitRateIsShownAndSentByFamilyAndOutOfRangeValuesGoBackUnchanged) {
    // P5xK from "3000": IP goes on every APPLY, with the stored 9 and type 7 kept.
    Open({.firmware = "3050"}, [this] {
        WriteUInt(app.m_Cfg_IP, IpRecord::byBitRate, 9);
        WriteUInt(app.m_Cfg_IP, IpRecord::byIPType, 7);
        WriteUInt(app.m_Cfg_SMTP, SmtpRecord::byDDNSEnable, 1);
    });
    QComboBox* bitRate = Control<QComboBox>(NP::kIdBitRate);
    EXPECT_TRUE(bitRate->isVisible());
    EXPECT_TRUE(bitRate->isEnabled());
    EXPECT_EQ(bitRate->currentText(), "   MAX");
    EXPECT_TRUE(Control<QRadioButton>(NP::kIdPppoe)->isChecked());
    EXPECT_FALSE(AddressEdit()->isEnabled());
    const std::array<uint8_t, 24> stored = app.m_Cfg_IP;
    EXPECT_FALSE(ApplyPaused());
    ASSERT_EQ(Options(), std::vector<std::string>{"IP"});
    EXPECT_EQ(Writes()[0].body, std::string(stored.begin(), stored.end()));
    sheet.reset();

    struct Case {
        const char* product;
        const char* firmware;
        bool shown;
    };
    for (const Case& c :
         {Case{"P51K", "2999", false}, Case{"P62K", "1010", false}, Case{"T18D", "1010", true}}) {
        SCOPED_TRACE(c.product);
        Open({.product = c.product, .firmware = c.firmware});
        bitRate = Control<QComboBox>(NP::kIdBitRate);
        EXPECT_EQ(bitRate->isVisible(), c.shown);
        // Only the P5xK takes a bit rate back.
        EXPECT_FALSE(bitRate->isEnabled());
        EXPECT_FALSE(ApplyPaused());
        EXPECT_TRUE(Writes().empty());
        sheet.reset();
    }
}

TEST_F(NetworkPageTest, TheN2xVPageShowsNothingAndIsNeverApplied) {
    Open({.product = "N27V", .firmware = "1010"});
    EXPECT_FALSE(PortEdit()->isVisible());
    EXPECT_FALSE(AddressEdit()->isVisible());
    PortEdit()->setText("8080");
    EXPECT_FALSE(ApplyPaused());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(NetworkPageTest, AFailedIpSendLeavesTheClientWhereTheDeviceIs) {
    Open({});
    const uint16_t port = app.CSettingINI.m_wWebPort;
    Type(PortEdit(), "8081");
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4012});
    EXPECT_EQ(g_fNewWebPort.load(), 0);
    // The next answered request does not move the client either.
    ASSERT_EQ(GetSysCfg(CFG_IP, app.m_Cfg_IP.data(), 24), 1);
    EXPECT_EQ(app.CSettingINI.m_wWebPort, port);
}

TEST_F(NetworkPageTest, TheRecorderAnswersAtItsNewPortAndLoopbackAddress) {
    Open({});
    const uint16_t newPort = FreePort();
    Type(PortEdit(), QString::number(newPort));
    EXPECT_TRUE(ApplyPaused());
    EXPECT_EQ(app.CSettingINI.m_wWebPort, newPort);
    const std::size_t logged = device.Server().LogSize();
    EXPECT_EQ(GetSysCfg(CFG_IP, app.m_Cfg_IP.data(), 24), 1);
    EXPECT_EQ(device.Server().LogSize(), logged + 1);
    EXPECT_EQ(ReadUInt(app.m_Cfg_IP, IpRecord::wWebPort), newPort);

    sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
    sheet->Create();
    ormidon::testing::ProcessEventsFor(10);
    AddressEdit()->SetAddress(0x7F000002);
    EXPECT_TRUE(ApplyPaused());
    EXPECT_EQ(GetServerName(), "127.0.0.2");
    EXPECT_EQ(GetSysCfg(CFG_IP, app.m_Cfg_IP.data(), 24), 1);
    EXPECT_EQ(ReadIPv4(app.m_Cfg_IP, IpRecord::byIPAddress), 0x7F000002u);
}

TEST_F(NetworkPageTest, ThePageIsDrawn) {
    Open({.firmware = "3050"}, [this] { WriteUInt(app.m_Cfg_IP, IpRecord::byIPType, 1); });
    ormidon::test::ExpectControlsWhole(
        sheet.get(), sheet->GetActivePage(),
        {NP::kIdServerIP, NP::kIdGateway, NP::kIdNetMask, NP::kIdWebPort, NP::kIdStatic,
         NP::kIdPppoe, NP::kIdDhcp, NP::kIdPppoeUserName, NP::kIdPppoePassword});
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-network").empty());
}

}  // namespace
