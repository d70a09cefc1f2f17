#include <gtest/gtest.h>

#include <cstring>

#include "RawHttp.h"
#include "sim/SimulatedRecorder.h"

using namespace ormidon::sim;

namespace {

class RecorderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(recorder.Start()); }

    simtest::Exchange Get(const std::string& target, const std::string& body = {}) {
        return simtest::Get(recorder.Port(), target, body);
    }
    // Logs in and returns the session id.
    std::string Login(const std::string& user = "admin", const std::string& password = "admin") {
        return simtest::LogIn(recorder.Port(), user, password);
    }

    SimulatedRecorder recorder;
};

uint32_t U32At(const std::string& block, std::size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(block[offset + i]);
    return value;
}

}  // namespace

TEST_F(RecorderTest, LoginAnswersIdentityAndChecksAccounts) {
    recorder.SetIdentity({"P62K", "1010", "001122AABBCC", "front-door", 0x280});
    recorder.SetAccounts({{"admin", "secret", 30}, {"guest", "g", 0}});

    auto ok = Get("/Login.cgi?Username=admin&Password=secret");
    EXPECT_EQ(simtest::StatusLineOf(ok.reply), "HTTP/1.1 200 OK");
    const std::string session = recorder.Sessions().at(0);
    EXPECT_EQ(simtest::BodyOf(ok.reply),
              "Session-ID=" + session +
                  ";Firmware-Version=1010;Product-ID=P62K;MAC-Address=001122AABBCC;"
                  "Host-Name=front-door;");

    EXPECT_EQ(simtest::StatusLineOf(Get("/Login.cgi?Username=admin&Password=wrong").reply),
              "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(recorder.Sessions().size(), 1u);

    recorder.SetMaxSessions(1);
    auto refused = Get("/Login.cgi?Username=guest&Password=g");
    EXPECT_EQ(simtest::StatusLineOf(refused.reply), "HTTP/1.1 202 Accepted");
    EXPECT_EQ(simtest::BodyOf(refused.reply), "");
}

TEST_F(RecorderTest, CommandsNeedTheSessionCookie) {
    EXPECT_EQ(simtest::StatusLineOf(Get("/SetChannel.cgi?CH=1").reply),
              "HTTP/1.1 401 Unauthorized");
    EXPECT_EQ(simtest::StatusLineOf(Get("/SetChannel.cgi?CH=1&Cookie=bogus").reply),
              "HTTP/1.1 401 Unauthorized");
    const std::string cookie = Login();
    EXPECT_EQ(Get("/SetChannel.cgi?CH=1&Cookie=" + cookie).reply,
              "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    recorder.SetCheckSession(false);
    EXPECT_EQ(simtest::StatusLineOf(Get("/Reboot.cgi").reply), "HTTP/1.1 200 OK");
}

TEST_F(RecorderTest, DeviceInfoKeysAreSetPerTest) {
    recorder.SetAccounts({{"op", "pw", 20}});
    const std::string cookie = Login("op", "pw");
    recorder.SetDeviceInfo("LIFETIME", "2");
    recorder.SetDeviceInfo("SLAVENUM", "1");
    recorder.SetDeviceInfo("SID", "7");
    recorder.RemoveDeviceInfo("FPGA-Version");
    EXPECT_EQ(
        simtest::BodyOf(Get("/Getdeviceinfo.cgi?Cookie=" + cookie + "&RES=0&QUA=0").reply),
        "LIFETIME=2;MULTICH=0;VIDEOMODE=0;Boot-Version=1.02;2041-Version=2.10;SLAVENUM=1;SID=7;"
        "USERLEVEL=20;");
}

TEST_F(RecorderTest, SectionsHaveTheirSizesAndWriteBack) {
    const std::string cookie = Login();
    for (const auto& section : ConfigStore::Sections()) {
        SCOPED_TRACE(std::string(section.name));
        if (section.name == "ONLINE") continue;
        const std::string body =
            simtest::BodyOf(Get("/GetSysCfg.cgi?Option=" + std::string(section.name) +
                                "&Size=" + std::to_string(section.size) + "&Cookie=" + cookie)
                                .reply);
        EXPECT_EQ(body.size(), section.size);
    }
    // Reserved bytes carry non-zero test data.
    const std::string inf = *recorder.Section("INF");
    EXPECT_EQ(std::memchr(inf.data(), 0, 20), nullptr);

    std::string changed(12, '\x5A');
    EXPECT_EQ(simtest::StatusLineOf(
                  Get("/SetSysCfg.cgi?Option=DNS&Refresh=False&Cookie=" + cookie, changed).reply),
              "HTTP/1.1 200 OK");
    EXPECT_EQ(recorder.Section("DNS"), changed);
    EXPECT_EQ(
        simtest::StatusLineOf(Get("/SetSysCfg.cgi?Option=DNS&Cookie=" + cookie, "short").reply),
        "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(
        simtest::StatusLineOf(Get("/GetSysCfg.cgi?Option=NOPE&Size=1&Cookie=" + cookie).reply),
        "HTTP/1.1 400 Bad Request");
}

TEST_F(RecorderTest, AllFollowsTheFamilyLayoutAndEndsWithTheOnlineUsers) {
    struct Case {
        const char* product;
        std::size_t fixedBytes;
        const char* sectionAt1120;
    };
    for (const Case& c :
         {Case{"P62K", 1136, "PERI"}, Case{"N25V", 1136, "PERI"}, Case{"P53K", 2044, "DVRLIVE"}}) {
        SCOPED_TRACE(c.product);
        recorder.SetIdentity({c.product, "1060", "00A0B1C2D3E4", "sim", 0x12345678});
        recorder.EndSessions();
        const std::string cookie = Login();
        const std::string all =
            simtest::BodyOf(Get("/GetSysCfg.cgi?Option=ALL&Size=0&Cookie=" + cookie).reply);
        ASSERT_EQ(all.size(), c.fixedBytes + 24);  // one user online
        EXPECT_EQ(all.substr(0, 44), *recorder.Section("INF"));
        EXPECT_EQ(U32At(all, 20), 0x12345678u);
        EXPECT_EQ(all.substr(888, 36), *recorder.Section("SYSTEM"));
        const std::string at1120 = *recorder.Section(c.sectionAt1120);
        EXPECT_EQ(all.substr(1120, at1120.size()), at1120);
        EXPECT_EQ(all.substr(c.fixedBytes, 6), std::string("admin\0", 6));
    }
}

TEST_F(RecorderTest, PppoeLayoutFollowsProductAndFirmware) {
    struct Case {
        const char* product;
        const char* firmware;
        bool narrow;
    };
    const Case cases[] = {{"P51K", "1051", true},
                          {"P51K", "1052", false},
                          {"T18D", "1006", true},
                          {"T18D", "1007", false},
                          {"N23V", "999", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        recorder.SetIdentity({c.product, c.firmware, "00A0B1C2D3E4", "sim", 0});
        const std::string pppoe = *recorder.Section("PPPOE");
        EXPECT_EQ(pppoe.substr(c.narrow ? 0x24 : 0x04, 5), "pppoe");
    }
}
