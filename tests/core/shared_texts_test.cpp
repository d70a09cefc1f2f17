#include <gtest/gtest.h>

#include <string>

#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"

namespace {

TEST(SessionCookieTest, KeepsValuesThatFitAndRefusesLongerOnes) {
    EXPECT_TRUE(SetSessionCookie(std::string(63, 'c')));
    EXPECT_EQ(GetSessionCookie(), std::string(63, 'c'));
    // 64 characters leave no room for the terminator of the 64-byte text.
    EXPECT_FALSE(SetSessionCookie(std::string(64, 'c')));
    EXPECT_EQ(GetSessionCookie(), "");
    EXPECT_TRUE(SetSessionCookie("A1B2"));
    ClearSessionCookie();
    EXPECT_EQ(GetSessionCookie(), "");
}

TEST(ServerAddressTest, ALaterAddressWinsOverAnEarlierHostName) {
    CAppObject app;
    g_lpApp = &app;
    SetResolvedServerName("recorder.local", "10.0.0.5");
    EXPECT_EQ(GetServerName(), "10.0.0.5");
    EXPECT_EQ(GetHostServerName(), "recorder.local");
    // The settings file saves the host name in place of the resolved address.
    EXPECT_STREQ(app.CSettingINI.m_szServerName, "recorder.local");

    SetServerName("192.168.1.20");
    EXPECT_EQ(GetServerName(), "192.168.1.20");
    EXPECT_EQ(GetHostServerName(), "");

    SetResolvedServerName(std::string(300, 'h'), "10.0.0.6");
    EXPECT_EQ(GetHostServerName(), std::string(255, 'h'));
    g_lpApp = nullptr;
}

}  // namespace
