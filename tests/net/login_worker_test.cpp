#include <gtest/gtest.h>

#include "../support/SimulatedLogin.h"
#include "core/AppMessages.h"
#include "net/LoginWorker.h"

namespace {

using ormidon::test::WaitUntil;
namespace sim = ormidon::sim;

constexpr ormidon::WindowHandle kConnectDialog = 21;

class LoginWorkerTest : public ormidon::test::SimulatedLoginTest {
  protected:
    void SetUp() override {
        SimulatedLoginTest::SetUp();
        CreateLoginObject();
        g_lpLogin->m_pDialog = kConnectDialog;
        g_lpLogin->m_Param = {"127.0.0.1", "admin", "admin", std::to_string(device.Port())};
    }
    void TearDown() override {
        g_lpLogin->StopThread();
        SimulatedLoginTest::TearDown();
    }

    // Runs the worker; the dialog's answer (lParam of WM_CONNECTRESULT), or nothing.
    std::optional<ormidon::LParam> Connect() {
        const size_t before = router.Count(WM_CONNECTRESULT);
        EXPECT_EQ(g_lpLogin->CreateThread(), 1);
        if (!WaitUntil([&] { return router.Count(WM_CONNECTRESULT) > before; })) return {};
        const auto answer = router.PostsOf(WM_CONNECTRESULT).back();
        EXPECT_EQ(answer.window, kConnectDialog);
        return answer.lParam;
    }
};

TEST_F(LoginWorkerTest, ACompleteLoginFillsTheRecordAndAnswersOne) {
    SetServerName("10.9.9.9");
    app.CSettingINI.m_wWebPort = 1;
    device.SetDeviceInfo("LIFETIME", "5");
    device.SetDeviceInfo("USERLEVEL", "20");
    app.CSettingINI.m_wLastConnectionMAC1 = 255;

    EXPECT_EQ(Connect(), 1);
    EXPECT_EQ(GetServerName(), "127.0.0.1");
    EXPECT_EQ(app.CSettingINI.m_wWebPort, device.Port());
    ASSERT_EQ(device.Sessions().size(), 1u);
    EXPECT_EQ(GetSessionCookie(), device.Sessions()[0]);
    EXPECT_EQ(app.str_ProductID.Get(), device.Identity().productId);
    EXPECT_EQ(app.sz_MACAddress.Get(), device.Identity().macAddress);
    EXPECT_EQ(app.CSettingINI.m_wLastConnectionMAC1, 255);  // this login leaves them
    EXPECT_EQ(app.dw_LifeTime, 5);
    EXPECT_EQ(app.w_UserLevel, 20);
    EXPECT_EQ(app.w_LoginResult, 0);  // written only by the other logins
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_EQ(TraceText(), "");  // this login writes no trace
}

struct FailureCase {
    const char* name;
    LoginParam_Struct param;  // "<port>" stands for the recorder's port
    std::function<void(sim::SimulatedRecorder&)> script;
    uint32_t message;
    size_t loginRequests;
};

class LoginWorkerFailureTest : public LoginWorkerTest,
                               public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoginWorkerFailureTest, AFailureAnswersMinusOneWithItsMessage) {
    FailureCase c = GetParam();
    if (c.param.strPort == "<port>") c.param.strPort = std::to_string(device.Port());
    g_lpLogin->m_Param = c.param;
    if (c.script) c.script(device);
    EXPECT_EQ(Connect(), -1);
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Ids().empty(); }));
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{c.message});
    EXPECT_EQ(LoginRequests(), c.loginRequests);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoginWorkerFailureTest,
    ::testing::Values(
        FailureCase{"EmptyUserName", {"127.0.0.1", "", "admin", "<port>"}, nullptr, 4081, 0},
        FailureCase{"EmptyPassword", {"127.0.0.1", "admin", "", "<port>"}, nullptr, 4081, 0},
        FailureCase{"PortNotANumber", {"127.0.0.1", "admin", "admin", "web"}, nullptr, 4040, 0},
        FailureCase{"PortZero", {"127.0.0.1", "admin", "admin", "0"}, nullptr, 4040, 0},
        FailureCase{"PortTooLarge", {"127.0.0.1", "admin", "admin", "65536"}, nullptr, 4040, 0},
        FailureCase{"WrongPassword", {"127.0.0.1", "admin", "nope", "<port>"}, nullptr, 4040, 1},
        FailureCase{"TooManyUsers",
                    {"127.0.0.1", "admin", "admin", "<port>"},
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(sim::Fault::Status(202, "/Login.cgi"));
                    },
                    4040,
                    1},
        FailureCase{"NoSessionId",
                    {"127.0.0.1", "admin", "admin", "<port>"},
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(
                            sim::Fault::ReplaceBody("Product-ID=P51K;", "/Login.cgi"));
                    },
                    4040,
                    1},
        FailureCase{"EmptyDeviceInformation",
                    {"127.0.0.1", "admin", "admin", "<port>"},
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(sim::Fault::ReplaceBody("", "/Getdeviceinfo.cgi"));
                    },
                    4040,
                    1}),
    [](const ::testing::TestParamInfo<FailureCase>& failure) { return failure.param.name; });

// The one Login object serves every connect dialog with that dialog's parameters.
TEST_F(LoginWorkerTest, ASecondDialogReusesTheObject) {
    g_lpLogin->m_Param.strPassword = "wrong";
    EXPECT_EQ(Connect(), -1);
    Login* first = g_lpLogin;
    CreateLoginObject();
    EXPECT_EQ(g_lpLogin, first);
    g_lpLogin->m_Param.strPassword = "admin";
    EXPECT_EQ(Connect(), 1);
}

}  // namespace
