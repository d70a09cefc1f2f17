#include <gtest/gtest.h>

#include <string>

#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "net/LoginReply.h"

namespace {

TEST(LoginReplyTest, ValuesRunFromBehindTheKeyToTheNextSemicolon) {
    const std::string reply = "A=1;Session-ID=ab12;LIFETIME=-1;MID=3;MTYPE=1;MID=4;MTYPE=7;";
    EXPECT_EQ(FindReplyValue(reply, "Session-ID=", 0)->text, "ab12");
    EXPECT_EQ(FindDeviceInfoValue(reply, "LIFETIME")->text, "-1");
    EXPECT_FALSE(FindDeviceInfoValue(reply, "MULTICH").has_value());

    // Repeated keys are read one after the other from where the last one ended.
    auto first = FindDeviceInfoValue(reply, "MID");
    ASSERT_TRUE(first);
    auto type = FindDeviceInfoValue(reply, "MTYPE", first->end);
    auto second = FindDeviceInfoValue(reply, "MID", type->end);
    EXPECT_EQ(first->text, "3");
    EXPECT_EQ(type->text, "1");
    EXPECT_EQ(second->text, "4");
    EXPECT_FALSE(FindDeviceInfoValue(reply, "MID", reply.size()).has_value());
}

// Bytes from the device are untrusted: no ";" ends the value with the reply, a value
// never outgrows the work text, a key at the very end gives an empty value.
TEST(LoginReplyTest, MalformedRepliesStayInBounds) {
    EXPECT_EQ(FindDeviceInfoValue("LIFETIME=12", "LIFETIME")->text, "12");
    EXPECT_EQ(FindDeviceInfoValue("LIFETIME", "LIFETIME")->text, "");
    EXPECT_EQ(FindDeviceInfoValue("LIFETIME;=5;", "LIFETIME")->text, "");
    const std::string longValue = "Product-ID=" + std::string(1000, 'x') + ";";
    EXPECT_EQ(FindReplyValue(longValue, "Product-ID=", 0)->text.size(), kReplyValueMax);
}

TEST(LoginReplyTest, NumbersReadLikeTheDecimalConversion) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"42", 42},
                 {"  -1", -1},
                 {"+7x", 7},
                 {"abc", 0},
                 {"", 0},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const Case& c : cases) EXPECT_EQ(ReplyNumber(c.text), c.value) << c.text;
}

class LoginReplyRecordTest : public ::testing::Test {
  protected:
    void SetUp() override { g_lpApp = &app; }
    void TearDown() override {
        g_lpApp = nullptr;
        ClearSessionCookie();
    }
    CAppObject app;
};

TEST_F(LoginReplyRecordTest, ReadsTheLoginKeysAndTheLastConnectionMac) {
    ASSERT_TRUE(ReadLoginReply(
        "Session-ID=C0FFEE;Firmware-Version=1046;Product-ID=p51k;MAC-Address=00a0b1c2d3e4;", true));
    EXPECT_EQ(GetSessionCookie(), "C0FFEE");
    EXPECT_EQ(app.str_FWVersion.Get(), "1046");
    EXPECT_EQ(app.str_ProductID.Get(), "p51k");
    EXPECT_EQ(app.sz_MACAddress.Get(), "00a0b1c2d3e4");
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 211);
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC2, 228);

    // A MAC text that is no MAC address names no device.
    ASSERT_TRUE(ReadLoginReply("Session-ID=1;MAC-Address=00a0b1c2d3zz;", true));
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 211);
}

TEST_F(LoginReplyRecordTest, AMissingOrOverLongCookieIsAFailedLogin) {
    EXPECT_FALSE(ReadLoginReply("Firmware-Version=1046;Product-ID=P51K;", false));
    EXPECT_EQ(app.str_FWVersion.Get(), "1046");  // the other keys are still read
    EXPECT_FALSE(ReadLoginReply("Session-ID=" + std::string(64, 'c') + ";", false));
    EXPECT_EQ(GetSessionCookie(), "");
    EXPECT_TRUE(ReadLoginReply("Session-ID=" + std::string(63, 'c') + ";", false));
}

TEST_F(LoginReplyRecordTest, DeviceInformationBasics) {
    app.w_UserLevel = 30;
    ReadDeviceInfoBasics("LIFETIME=2;VIDEOMODE=1;Boot-Version=B1;2041-Version=V9;");
    EXPECT_EQ(app.dw_LifeTime, 2);
    EXPECT_EQ(app.by_VideoMode, 1);
    EXPECT_EQ(app.w_UserLevel, 30);  // absent: unchanged
    EXPECT_EQ(app.str_BootVersion.Get(), "B1");
    EXPECT_EQ(app.str_2041Version.Get(), "V9");
    ReadDeviceInfoBasics("USERLEVEL=10;");
    EXPECT_EQ(app.w_UserLevel, 10);
    EXPECT_EQ(app.dw_LifeTime, 2);
}

}  // namespace
