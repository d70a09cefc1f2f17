#include "net/ReLogin.h"

#include <gtest/gtest.h>

#include "../support/SimulatedLogin.h"
#include "core/AppMessages.h"
#include "core/AppResources.h"

namespace {

using ormidon::test::AdvanceUntil;
using ormidon::test::WaitUntil;
namespace sim = ormidon::sim;

class ReLoginTest : public ormidon::test::SimulatedLoginTest {
  protected:
    void SetUp() override {
        SimulatedLoginTest::SetUp();
        ASSERT_TRUE(AllocateSystemBuffer());
        ASSERT_TRUE(InitialSemaphore());
        ASSERT_TRUE(InitProcessResource());
    }

    // The three process threads wait on the clock all the time; one more is the re-login
    // pausing (or the life-time count).
    static constexpr size_t kReLoginWaiting = 4;

    // Starts the re-login and runs the clock until it has finished. Returns the test-clock
    // time it took, or nothing when it had not finished after `limitMs`.
    std::optional<uint32_t> RunReLogin(uint32_t limitMs = 200000) {
        EXPECT_TRUE(app.h_ReLoginThread.Start(ReLogin_Thread));
        return AdvanceUntil(
            clock, [&] { return !app.h_ReLoginThread.IsRunning(); }, 250, limitMs, kReLoginWaiting);
    }
    // Ticks of the WM_SHOWSTATUS posts with status `code`.
    std::vector<uint32_t> StatusTicks(ormidon::LParam code) {
        std::vector<uint32_t> ticks;
        for (const auto& post : router.PostsOf(WM_SHOWSTATUS)) {
            if (post.lParam == code) ticks.push_back(post.tick);
        }
        return ticks;
    }
};

TEST_F(ReLoginTest, LogsInRebuildsThePipelineAndStartsTheStream) {
    device.SetDeviceInfo("LIFETIME", "2");
    device.SetDeviceInfo("VIDEOMODE", "1");
    ASSERT_TRUE(RunReLogin());

    EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);
    ASSERT_EQ(device.Sessions().size(), 1u);
    EXPECT_EQ(GetSessionCookie(), device.Sessions()[0]);
    EXPECT_EQ(app.str_ProductID.Get(), device.Identity().productId);
    EXPECT_EQ(app.str_FWVersion.Get(), device.Identity().firmwareVersion);
    EXPECT_EQ(app.dw_LifeTime, 2);
    EXPECT_EQ(app.by_VideoMode, 1);
    EXPECT_EQ(app.f_Connected, 1);
    // The device-information query carries the cookie and asks for the new header.
    const auto log = device.Server().Log();
    const auto query = std::find_if(log.begin(), log.end(), [](const sim::HttpRequest& r) {
        return r.path == "/Getdeviceinfo.cgi";
    });
    ASSERT_NE(query, log.end());
    ASSERT_NE(query->Param("Cookie"), nullptr);
    EXPECT_EQ(*query->Param("Cookie"), GetSessionCookie());
    ASSERT_NE(query->Param("NEWHR"), nullptr);
    EXPECT_EQ(*query->Param("NEWHR"), "2");
    EXPECT_EQ(app.m_RTPH_Struct.fNewHeader, 1u);

    EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusLoginStart), 1u);
    EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusConnectButtonOff), 1u);
    EXPECT_EQ(view.Count("RefreshRemotePanel"), 1u);
    EXPECT_TRUE(app.h_ConnectionThread.IsRunning());  // the rebuilt pipeline
    // The life-time count was started.
    EXPECT_TRUE(AdvanceUntil(
        clock, [&] { return app.dw_LifeTimeCounter > 0; }, 250, 5000));
    EXPECT_TRUE(app.h_StartToGetJpegImageEvent.Wait(0));
    EXPECT_EQ(TraceText(),
              "login success\r\nstart to send get device info command\r\nCommand success\r\n"
              "Send start event\r\n");
}

// Replies that count as a failed login: each is retried after the pauses until the
// recorder answers properly.
struct RefusalCase {
    const char* name;
    std::function<void(sim::SimulatedRecorder&)> script;
};

class ReLoginRefusalTest : public ReLoginTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ReLoginRefusalTest, RetriesUntilTheRecorderAcceptsTheLogin) {
    GetParam().script(device);
    ASSERT_TRUE(RunReLogin());
    EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);
    EXPECT_EQ(LoginRequests(), 2u);
    EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusLoginFailed), 1u);
    EXPECT_FALSE(GetSessionCookie().empty());
    EXPECT_LE(GetSessionCookie().size(), 63u);
}

// A login answer of 200 with this body, once.
std::function<void(sim::SimulatedRecorder&)> LoginBodyOnce(std::string body) {
    return [body](sim::SimulatedRecorder& device) {
        device.Server().AddFault(sim::Fault::ReplaceBody(body, "/Login.cgi"));
    };
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReLoginRefusalTest,
    ::testing::Values(
        RefusalCase{"Status500",
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(sim::Fault::Status(500, "/Login.cgi"));
                    }},
        RefusalCase{"ConnectionClosed",
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(sim::Fault::CloseWithoutReply("/Login.cgi"));
                    }},
        RefusalCase{"NoSessionId", LoginBodyOnce("Firmware-Version=1060;Product-ID=P51K;")},
        RefusalCase{"OverLongCookie",
                    LoginBodyOnce("Session-ID=" + std::string(64, 'C') + ";Product-ID=P51K;")},
        RefusalCase{"DeviceInfoFails",
                    [](sim::SimulatedRecorder& d) {
                        d.Server().AddFault(sim::Fault::Status(500, "/Getdeviceinfo.cgi"));
                    }}),
    [](const ::testing::TestParamInfo<RefusalCase>& refusal) { return refusal.param.name; });

// "Too many users" (202) shows status 7 and waits 20 s on top of the attempt's pauses:
// 3 s, then the back-off of 3 s, then 2 s before the next login.
TEST_F(ReLoginTest, TooManyUsersWaitsLongerBeforeTheNextAttempt) {
    device.Server().AddFault(sim::Fault::Status(202, "/Login.cgi"));
    device.Server().AddFault(sim::Fault::Status(500, "/Login.cgi"));
    ASSERT_TRUE(RunReLogin());
    EXPECT_EQ(LoginRequests(), 3u);
    EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusTooManyUsers), 1u);
    const std::vector<uint32_t> starts = StatusTicks(kStatusLoginStart);
    ASSERT_EQ(starts.size(), 3u);
    // Never shorter; longer where a thread reached its next wait late, which on a loaded
    // machine can be several clock steps, but never a whole second pause.
    const uint32_t slackMs = 6000;
    EXPECT_GE(starts[1] - starts[0], 20000u + 3000 + 3000 + 2000);
    EXPECT_LT(starts[1] - starts[0], 20000u + 3000 + 3000 + 2000 + slackMs);
    EXPECT_GE(starts[2] - starts[1], 3000u + 3000 + 2000);
    EXPECT_LT(starts[2] - starts[1], 3000u + 3000 + 2000 + slackMs);
    EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);
}

// A recorder that keeps refusing keeps the thread trying; its stop ends it at once.
TEST_F(ReLoginTest, ARefusingRecorderIsRetriedUntilTheStop) {
    const int refusals = 5;
    for (int i = 0; i < refusals; ++i) {
        device.Server().AddFault(sim::Fault::Status(401, "/Login.cgi"));
    }
    ASSERT_TRUE(app.h_ReLoginThread.Start(ReLogin_Thread));
    ASSERT_TRUE(AdvanceUntil(
        clock, [&] { return LoginRequests() == refusals; }, 250, 200000, kReLoginWaiting));
    EXPECT_EQ(app.w_LoginResult, kLoginFailed);
    EXPECT_TRUE(app.h_ReLoginThread.Stop(30));
    EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusLoginFailed), refusals - 1u);
}

// A login by host name that fails puts the name back, so the next attempt resolves it.
TEST_F(ReLoginTest, AFailedLoginByNameKeepsTheName) {
    SetServerName("localhost");
    device.Server().AddFault(sim::Fault::Status(500, "/Login.cgi"));
    ASSERT_TRUE(RunReLogin());
    EXPECT_EQ(LoginRequests(), 2u);
    EXPECT_EQ(GetServerName(), "127.0.0.1");
    EXPECT_EQ(GetHostServerName(), "localhost");
}

TEST_F(ReLoginTest, PeripheralsOfTheDeviceInformationFillTheControlList) {
    device.SetDeviceInfo("MASTERNUM", "2");
    device.SetDeviceInfo("MID", "1;MTYPE=1;MID=2;MTYPE=3");
    device.SetDeviceInfo("SLAVENUM", "1000");  // far more than exist: bounded
    device.SetDeviceInfo("SID", "5;STYPE=1;SPROTOCOL=1");
    ASSERT_TRUE(RunReLogin());
    const C_ControlD& controls = app.C_ControlD;
    EXPECT_EQ(controls.GetMasterKind(0), 11);
    EXPECT_EQ(controls.GetMasterKind(1), 3);
    EXPECT_EQ(controls.GetSlaveKind(0), 18);
    EXPECT_LE(controls.GetCount(), kControlDItemCount);
}

}  // namespace
