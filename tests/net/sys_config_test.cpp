#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "SimulatedDevice.h"
#include "core/ConfigSection.h"
#include "net/SysConfig.h"

using ormidon::sim::DeviceIdentity;
using ormidon::sim::Fault;
using ormidon::sim::HttpRequest;
using ormidon::sim::NameValue;
using ormidon::sim::Responder;

namespace {

class SysConfigTest : public SimulatedDeviceTest {
  protected:
    std::string Section(ConfigOption option) {
        return device.Section(g_ConfigSections[option].name).value_or("?");
    }
    std::string Block(ConfigOption option, bool oldPppoe = false) {
        std::span<uint8_t> block = ConfigBlockOf(*app, option, oldPppoe);
        return std::string(reinterpret_cast<const char*>(block.data()), block.size());
    }
    void AnswerConfigWith(std::string body) {
        device.Server().SetRoute(
            "/GetSysCfg.cgi",
            [body](const HttpRequest&, Responder& responder) { responder.Reply(200, body); });
    }
};

}  // namespace

TEST_F(SysConfigTest, RequestsCarryOptionSizeRefreshAndCookie) {
    std::array<uint8_t, 44> inf{};
    ASSERT_EQ(GetSysCfg(CFG_INF, inf.data(), inf.size()), 1);
    ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
    ASSERT_EQ(SetSysCfg(CFG_DNS, app->m_Cfg_DNS.data(), 12, 0), 1);
    ASSERT_EQ(SetSysCfg(CFG_DNS, app->m_Cfg_DNS.data(), 12, 1), 1);
    ASSERT_EQ(SetSysCfg(CFG_SYSTEM, app->m_Cfg_SYSTEM.data(), 36, 1), 1);

    const std::string cookie = GetSessionCookie();
    const auto log = device.Server().Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].target, "/GetSysCfg.cgi?Option=INF&Size=44&Cookie=" + cookie);
    EXPECT_EQ(log[1].target, "/GetSysCfg.cgi?Option=ALL&Size=0&Cookie=" + cookie);
    EXPECT_EQ(log[2].target, "/SetSysCfg.cgi?Option=DNS&Refresh=False&Cookie=" + cookie);
    EXPECT_EQ(log[3].target, "/SetSysCfg.cgi?Option=DNS&Refresh=True&Cookie=" + cookie);
    EXPECT_EQ(log[4].target, "/SetSysCfg.cgi?Option=SYSTEM&Cookie=" + cookie);
    EXPECT_EQ(log[4].body, Block(CFG_SYSTEM));
}

TEST_F(SysConfigTest, RoundTripForBothFamilies) {
    struct Case {
        const char* product;
        std::vector<ConfigOption> familySections;
        std::vector<ConfigOption> untouched;
    };
    const Case cases[] = {
        {"P62K", {CFG_PERI}, {CFG_DVRLIVE, CFG_DVROSD, CFG_DVRREC}},
        {"P55K", {CFG_DVRLIVE, CFG_DVROSD, CFG_DVRREC}, {CFG_PERI}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        FreshRecord();
        UseIdentity({c.product, "1060", "00A0B1C2D3E4", "sim", 0x200});

        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
        EXPECT_EQ(Block(CFG_INF), Section(CFG_INF));
        EXPECT_EQ(Block(CFG_SECURE), Section(CFG_SECURE));
        EXPECT_EQ(Block(CFG_PPPOE), Section(CFG_PPPOE));
        EXPECT_EQ(Block(CFG_ALARM), Section(CFG_ALARM));
        for (ConfigOption option : c.familySections) {
            EXPECT_EQ(Block(option), Section(option)) << g_ConfigSections[option].name;
        }
        for (ConfigOption option : c.untouched) {
            EXPECT_EQ(Block(option), std::string(ConfigSectionSize(option), '\0'))
                << g_ConfigSections[option].name;
        }
        // The one user online (this session) follows the fixed sections.
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(app->m_Cfg_ONLINE.data()), 6),
                  std::string("admin\0", 6));
        EXPECT_EQ(app->m_Cfg_ONLINE[24], 0);

        // Change one field and send the section back: every other byte travels unchanged.
        app->m_Cfg_SYSTEM[kSystemNameOffset] = 'Z';
        ASSERT_EQ(SetSysCfg(CFG_SYSTEM, app->m_Cfg_SYSTEM.data(), 36, 0), 1);
        EXPECT_EQ(Section(CFG_SYSTEM), Block(CFG_SYSTEM));

        // A single section reads back what was written.
        std::array<uint8_t, 36> system{};
        ASSERT_EQ(GetSysCfg(CFG_SYSTEM, system.data(), system.size()), 1);
        EXPECT_EQ(system, app->m_Cfg_SYSTEM);
    }
}

TEST_F(SysConfigTest, PppoeBlockFollowsTheFirmwareThreshold) {
    struct Case {
        const char* product;
        const char* firmware;
        bool old;
    };
    const Case cases[] = {
        {"P51K", "1051", true},  {"P51K", "1052", false}, {"T18D", "1006", true},
        {"T18D", "1007", false}, {"N23V", "1006", true},  {"P62K", "10", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        FreshRecord();
        UseIdentity({c.product, c.firmware, "00A0B1C2D3E4", "sim", 0});
        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
        EXPECT_EQ(Block(CFG_PPPOE, c.old), Section(CFG_PPPOE));
        EXPECT_EQ(Block(CFG_PPPOE, !c.old), std::string(68, '\0'));
    }
}

TEST_F(SysConfigTest, OnlineUsersOfAllFitOrStayZero) {
    struct Case {
        std::size_t restBytes;
        bool taken;
    };
    for (const Case& c : {Case{0, true}, Case{48, true}, Case{240, true}, Case{241, false}}) {
        SCOPED_TRACE(c.restBytes);
        app->m_Cfg_ONLINE.fill(0x77);
        device.SetOnlineOverride(std::string(c.restBytes, 'u'));
        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
        const std::string online = Block(CFG_ONLINE);
        const std::size_t filled = c.taken ? c.restBytes : 0;
        EXPECT_EQ(online, std::string(filled, 'u') + std::string(240 - filled, '\0'));
    }
}

TEST_F(SysConfigTest, ShortOrLongRepliesLeaveTheRecordUntouched) {
    // An "ALL" reply shorter than the family's fixed sections.
    app->m_Cfg_INF.fill(0x11);
    AnswerConfigWith(std::string(1000, 'a'));
    EXPECT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 0);
    EXPECT_EQ(Block(CFG_INF), std::string(44, '\x11'));

    // A single section one byte short or long.
    for (std::size_t size : {43u, 45u}) {
        SCOPED_TRACE(size);
        AnswerConfigWith(std::string(size, 'b'));
        EXPECT_EQ(GetSysCfg(CFG_INF, app->m_Cfg_INF.data(), 44), 0);
        EXPECT_EQ(Block(CFG_INF), std::string(44, '\x11'));
    }

    // The online-user list has a varying length; a failed read copies nothing.
    app->m_Cfg_ONLINE.fill(0);
    AnswerConfigWith(std::string(30, 'o'));
    EXPECT_EQ(GetSysCfg(CFG_ONLINE, app->m_Cfg_ONLINE.data(), 240), 1);
    EXPECT_EQ(Block(CFG_ONLINE), std::string(30, 'o') + std::string(210, '\0'));
    AnswerConfigWith(std::string(300, 'p'));
    EXPECT_EQ(GetSysCfg(CFG_ONLINE, app->m_Cfg_ONLINE.data(), 240), 1);
    EXPECT_EQ(Block(CFG_ONLINE), std::string(240, 'p'));
    device.Server().AddFault(Fault::Status(500));
    EXPECT_EQ(GetSysCfg(CFG_ONLINE, app->m_Cfg_ONLINE.data(), 240), 0);
    EXPECT_EQ(Block(CFG_ONLINE), std::string(240, 'p'));
}

TEST_F(SysConfigTest, RefusedWriteAndUnknownOptionFail) {
    device.Server().AddFault(Fault::Status(500, "/SetSysCfg.cgi"));
    EXPECT_EQ(SetSysCfg(CFG_IP, app->m_Cfg_IP.data(), 24, 0), 0);
    EXPECT_EQ(SetSysCfg(CFG_ALL, app->m_Cfg_IP.data(), 24, 0), 0);
    EXPECT_EQ(GetSysCfg(CFG_OPTION_COUNT, app->m_Cfg_IP.data(), 24), 0);
    EXPECT_EQ(device.Server().LogSize(), 1u);
}
