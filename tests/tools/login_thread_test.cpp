// The login window's two workers against the simulated recorder: what the login sends,
// what it stores of the answer, the code each kind of failure reports, and the pace of
// the progress bar.
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <string>

#include "../net/ClosedPort.h"
#include "../support/SimulatedLogin.h"
#include "core/ServerAddress.h"
#include "tools/LoginDialogThreads.h"
#include "tools/LoginMessages.h"

namespace {

using namespace ormidon;
using ormidon::test::WaitUntil;
namespace sim = ormidon::sim;

constexpr WindowHandle kLoginWindow = 41;

// The recorder's next login answer replaced by `body`.
void Answer(sim::SimulatedRecorder& device, std::string body) {
    device.Server().AddFault(sim::Fault::ReplaceBody(std::move(body), "/Login.cgi"));
}

class LoginThreadTest : public test::SimulatedLoginTest {
  protected:
    void SetUp() override {
        SimulatedLoginTest::SetUp();
        SetServerName("");
        app.CSettingINI.m_wWebPort = 0;
        app.CSettingINI.m_strUsername.clear();
        app.CSettingINI.m_strPassword.clear();
        device.SetAccounts({{"admin", "admin", 30}, {"guest", "guest", 0}});
        param.hWnd = kLoginWindow;
        param.strServerAddress = "127.0.0.1";
        param.strUserName = "admin";
        param.strUserPassword = "admin";
        param.strPortText = std::to_string(device.Port());
        param.hStopEvent = std::make_shared<Event>();
    }

    // Runs the login thread to its end; the messages it posted.
    std::vector<test::PostedMessage> Run() {
        LoginDialogThreads::Login_Thread(param, {});
        return router.Posts();
    }
    // The one failure code posted, or 0 for a success.
    WParam RunForCode() {
        const std::vector<test::PostedMessage> posts = Run();
        EXPECT_EQ(posts.size(), 1u);
        if (posts.empty()) return 99;
        EXPECT_EQ(posts[0].window, kLoginWindow);
        EXPECT_EQ(posts[0].lParam, 0);
        if (posts[0].message == WM_LOGINSUCCESS) return 0;
        EXPECT_EQ(posts[0].message, WM_LOGINFAILED);
        return posts[0].wParam;
    }
    void Answer(std::string body) { ::Answer(device, std::move(body)); }

    LoginThreadParam param;
};

TEST_F(LoginThreadTest, AnAcceptedLoginStoresTheAnswerAndEndsTheWindow) {
    app.str_HostName.Set("earlier");
    EXPECT_EQ(RunForCode(), 0);

    const std::vector<sim::HttpRequest> log = device.Server().Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].target, "/Login.cgi?Username=admin&Password=admin");
    EXPECT_EQ(GetServerName(), "127.0.0.1");
    EXPECT_EQ(app.CSettingINI.m_wWebPort, device.Port());
    EXPECT_EQ(app.CSettingINI.m_strUsername, "admin");
    EXPECT_EQ(app.CSettingINI.m_strPassword, "admin");

    ASSERT_EQ(device.Sessions().size(), 1u);
    EXPECT_EQ(GetSessionCookie(), device.Sessions()[0]);
    const sim::DeviceIdentity identity = device.Identity();
    EXPECT_EQ(app.str_FWVersion.Get(), identity.firmwareVersion);
    EXPECT_EQ(app.str_ProductID.Get(), identity.productId);
    EXPECT_EQ(app.sz_MACAddress.Get(), identity.macAddress);  // 00A0B1C2D3E4
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 0xD3);
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC2, 0xE4);
    EXPECT_EQ(app.str_HostName.Get(), identity.hostName);
    EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);
    EXPECT_FALSE(param.hStopEvent->Wait(0));  // the progress bar runs on
}

// What a failure case may change before the run.
struct Arrangement {
    sim::SimulatedRecorder& device;
    LoginThreadParam& param;
};

struct FailureCase {
    const char* name;
    std::function<void(Arrangement)> arrange;
    WParam code;
};

class LoginFailureTest : public LoginThreadTest,
                         public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoginFailureTest, ReportsItsCodeAndStopsTheProgressBar) {
    GetParam().arrange({device, param});
    EXPECT_EQ(RunForCode(), GetParam().code);
    EXPECT_NE(app.w_LoginResult, kLoginSucceeded);
    EXPECT_TRUE(param.hStopEvent->Wait(0));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoginFailureTest,
    ::testing::Values(
        FailureCase{"WrongPassword401", [](Arrangement a) { a.param.strUserPassword = "nope"; },
                    kLoginFailProcedure},
        FailureCase{"TooManyUsers202",
                    [](Arrangement a) {
                        a.device.SetMaxSessions(1);
                        a.device.OpenSession("guest");
                    },
                    kLoginFailTooManyUsers},
        FailureCase{"OtherStatus",
                    [](Arrangement a) {
                        a.device.Server().AddFault(sim::Fault::Status(500, "/Login.cgi"));
                    },
                    kLoginFailProcedure},
        FailureCase{
            "RefusedConnection",
            [](Arrangement a) { a.param.strPortText = std::to_string(ClosedLoopbackPort()); },
            kLoginFailProcedure},
        FailureCase{"ClosedWithoutAnswer",
                    [](Arrangement a) {
                        a.device.Server().AddFault(sim::Fault::CloseWithoutReply("/Login.cgi"));
                    },
                    kLoginFailProcedure},
        FailureCase{"PortTextNoPort", [](Arrangement a) { a.param.strPortText = "70000"; },
                    kLoginFailProcedure},
        FailureCase{"EmptyAnswer", [](Arrangement a) { Answer(a.device, ""); },
                    kLoginFailProcedure},
        FailureCase{
            "NoSession",
            [](Arrangement a) { Answer(a.device, "Firmware-Version=1060;Product-ID=P51K;"); },
            kLoginFailProcedure},
        FailureCase{
            "SessionOf64Characters",
            [](Arrangement a) { Answer(a.device, "Session-ID=" + std::string(64, 'S') + ";"); },
            kLoginFailProcedure},
        FailureCase{"ProductIdInOtherLetterCase",
                    [](Arrangement a) { Answer(a.device, "Session-ID=abc;Product-ID=p51k;"); },
                    kLoginFailUnsupportedDevice}),
    [](const ::testing::TestParamInfo<FailureCase>& test) { return test.param.name; });

TEST_F(LoginThreadTest, AnUnknownProductFailsAfterStoringTheValuesBeforeIt) {
    SetSessionCookie("a-much-longer-earlier-session");
    app.sz_MACAddress.Set("earlier");
    app.CSettingINI.m_wLastConnectionMAC1 = 7;
    Answer(
        "Session-ID=s1;Firmware-Version=2001;Product-ID=X99Z;MAC-Address=00A0B1C2B3C4;"
        "Host-Name=cam;");
    EXPECT_EQ(RunForCode(), kLoginFailUnsupportedDevice);
    EXPECT_EQ(GetSessionCookie(), "s1");
    EXPECT_EQ(app.str_FWVersion.Get(), "2001");
    EXPECT_EQ(app.str_ProductID.Get(), "X99Z");
    EXPECT_EQ(app.sz_MACAddress.Get(), "earlier");
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 7);
    EXPECT_EQ(app.str_HostName.Get(), "");
}

TEST_F(LoginThreadTest, OptionalKeysAreOptional) {
    app.str_ProductID.Set("P62K");
    app.CSettingINI.m_wLastConnectionMAC1 = 7;
    app.CSettingINI.m_wLastConnectionMAC2 = 8;
    Answer("Session-ID=only;");
    EXPECT_EQ(RunForCode(), 0);
    EXPECT_EQ(GetSessionCookie(), "only");
    EXPECT_EQ(app.str_ProductID.Get(), "P62K");
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 7);
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC2, 8);
    EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);
}

TEST_F(LoginThreadTest, MacAddressText) {
    struct Case {
        const char* value;
        const char* stored;
        uint16_t mac1, mac2;
    };
    const Case cases[] = {
        {"0011223344B3C4", "0011223344B3", 0x44, 0xB3},  // the first 12 characters count
        {"00112233b3c4", "00112233b3c4", 0xB3, 0xC4},
        {"00112233ZZC4", "00112233ZZC4", 255, 255},  // not hexadecimal: the bytes stay
        {"0011", "0011", 255, 255},                  // too short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        app.CSettingINI.m_wLastConnectionMAC1 = 255;
        app.CSettingINI.m_wLastConnectionMAC2 = 255;
        Answer(std::string("Session-ID=s;MAC-Address=") + c.value + ";");
        LoginDialogThreads::Login_Thread(param, {});
        EXPECT_EQ(app.sz_MACAddress.Get(), c.stored);
        EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, c.mac1);
        EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC2, c.mac2);
    }
}

TEST_F(LoginThreadTest, ALineBreakOrNulInTheAccountIsRefusedUnsent) {
    for (std::string password : {std::string("ad\r\nX: 1"), std::string("ad\0min", 6)}) {
        param.strUserPassword = password;
        LoginDialogThreads::Login_Thread(param, {});
    }
    param.strUserPassword = "admin";
    param.strUserName = "ad\nmin";
    LoginDialogThreads::Login_Thread(param, {});
    EXPECT_EQ(device.Server().LogSize(), 0u);
    EXPECT_EQ(router.Count(WM_LOGINFAILED), 3u);
    for (const test::PostedMessage& post : router.Posts()) EXPECT_EQ(post.wParam, 1u);
}

TEST_F(LoginThreadTest, ASilentDeviceFailsAfterFifteenSecondsOfTheClock) {
    device.Server().AddFault(sim::Fault::Stall("/Login.cgi"));
    auto run = std::async(std::launch::async, [&] { return Run(); });
    ASSERT_TRUE(device.Server().WaitForLogSize(1, std::chrono::seconds(5)));
    clock.Advance(14000);
    EXPECT_EQ(run.wait_for(std::chrono::milliseconds(30)), std::future_status::timeout);
    clock.Advance(1000);
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const auto posts = run.get();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].message, WM_LOGINFAILED);
    EXPECT_EQ(posts[0].wParam, kLoginFailProcedure);
    device.Server().EndStalls();
}

TEST_F(LoginThreadTest, AStoppedRunEndsAtOnceAndPostsNothing) {
    device.Server().AddFault(sim::Fault::Stall("/Login.cgi"));
    std::stop_source stop;
    auto run = std::async(std::launch::async, [&] {
        return LoginDialogThreads::Login_Thread(param, stop.get_token());
    });
    ASSERT_TRUE(device.Server().WaitForLogSize(1, std::chrono::seconds(5)));
    stop.request_stop();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(router.Posts().empty());
    device.Server().EndStalls();
}

TEST_F(LoginThreadTest, TheProgressBarStepsEvery350MsUntilTheStopEvent) {
    auto run = std::async(std::launch::async,
                          [&] { return LoginDialogThreads::Animate_Thread(param, {}); });
    ASSERT_TRUE(WaitUntil([&] { return router.Count(WM_LOGINANIMATE) == 1; }));
    ASSERT_TRUE(clock.WaitForWaiters(1));
    clock.Advance(349);
    EXPECT_EQ(run.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    EXPECT_EQ(router.Count(WM_LOGINANIMATE), 1u);
    clock.Advance(1);
    ASSERT_TRUE(WaitUntil([&] { return router.Count(WM_LOGINANIMATE) == 2; }));
    param.hStopEvent->Set();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(router.Count(WM_LOGINANIMATE), 2u);
    for (const test::PostedMessage& post : router.Posts()) EXPECT_EQ(post.window, kLoginWindow);
}

}  // namespace
