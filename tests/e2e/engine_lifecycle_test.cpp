// The engine's life without any window: start-up, login, re-login after the stream
// dropped, the login's life time running out, and shut-down, against the simulated
// recorder, with the window layer replaced by recorders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/KernelMailbox.h"
#include "core/LivePipeline.h"
#include "core/QuorrelApp.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/ThreadSlot.h"
#include "net/LoginWorker.h"
#include "platform/Paths.h"
#include "platform/Thread.h"
#include "platform/WaitAny.h"
#include "record/AppRecording.h"
#include "sim/SimulatedRecorder.h"

namespace {

using namespace ormidon;
using namespace ormidon::test;

constexpr WindowHandle kMainWindow = 31;

// The frame threads as far as the life of the engine needs them: the fetch thread waits
// for its start, counts the stream connection, and reports a dropped stream with kernel
// code 1, as the real one does when its connection fails.
class StandInPipeline final : public LivePipeline {
  public:
    StandInPipeline() { SetLivePipeline(this); }
    ~StandInPipeline() override { SetLivePipeline(nullptr); }

    void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) override {
        CAppObject& app = *g_lpApp;
        if (WaitAny({&app.h_EndofGetJpegImageEvent, &app.h_StartToGetJpegImageEvent}, kInfinite,
                    stop)
                .index != 1) {
            return;
        }
        ++streams;
        const WaitResult result = WaitAny(
            {&app.h_EndofGetJpegImageEvent, &app.h_NotifyGetJPEGImageThreadResetEvent, &drop},
            kInfinite, stop);
        if (result.status != WaitStatus::Signalled) return;
        if (result.index == 1) app.h_FeedBackForNotifyResetEvent.Set();
        if (result.index == 2) PostKernelMessage(kKernelImageTimeOut, 0, 0, kInfinite, stop);
    }
    void Jpeg_Compose_Image_Data_Thread(std::stop_token stop) override {
        g_lpApp->h_EndofGetJpegImageEvent.Wait(kInfinite, stop);
    }
    void Jpeg_Show_Image_Data_Thread(std::stop_token stop) override {
        g_lpApp->h_EndofShowImageEvent.Wait(kInfinite, stop);
    }
    // The program's recorders; the next `recorderStartsRefused` logins find no thread for
    // them.
    bool StartRecorderThreads() override {
        if (recorderStartsRefused > 0) {
            --recorderStartsRefused;
            FailThreadStartsForTesting(1);
        }
        return ::StartRecorderThreads();
    }
    void StopRecorderThreads() override { ::StopRecorderThreads(); }

    std::atomic<int> streams{0};
    std::atomic<int> recorderStartsRefused{0};
    Event drop;  // the stream connection fails
};

bool PipelineEmpty(CAppObject& app) {
    return !app.h_ConnectionThread.IsOccupied() && !app.h_GetJpegImageThread.IsOccupied() &&
           !app.h_ComposeImageDataThread.IsOccupied() && !app.h_ShowImageDataThread.IsOccupied();
}

// The window layer: the login window logs in with the connect worker, the main window
// runs the scenario that the test gives it.
class TestShell final : public AppShell {
  public:
    DisplayResolution GetDisplayResolution() override { return {120, 120}; }

    int RunLoginDialog(const LoginDialogTexts& texts) override {
        ++loginDialogs;
        openedWith = texts;
        if (!loginSucceeds) return 2;
        const LoginParam_Struct param{texts.strServerName, texts.strUserName, "admin",
                                      texts.strPort};
        if (Login::Login_Thread(param, 0, {}) != 1) return 2;
        // What the login window leaves behind (its own login thread sets these).
        g_lpApp->w_LoginResult = kLoginSucceeded;
        g_lpApp->CSettingINI.m_strUsername = param.strUserName;
        g_lpApp->CSettingINI.m_strPassword = param.strPassword;
        return 1;
    }
    void RunMainWindow() override {
        ++mainWindows;
        if (mainWindow) mainWindow();
    }

    bool loginSucceeds = true;
    int loginDialogs = 0;
    int mainWindows = 0;
    LoginDialogTexts openedWith;
    std::function<void()> mainWindow;
};

class EngineLifecycleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        threadsBefore = ThreadCount();
        descriptorsBefore = OpenDescriptorCount();
        SetProgramFolderForTesting(programFolder.path());
        const char* built = std::getenv("ORMIDON_PROGRAM_DIR");
        ASSERT_NE(built, nullptr);
        std::filesystem::copy_file(std::filesystem::path(built) / "CtrlFile.ini",
                                   programFolder / "CtrlFile.ini");
        ASSERT_TRUE(device.Start());
        WriteFile(programFolder / "Setting.ini",
                  "[Ormidon]\nServer Name=127.0.0.1\nServerPort=" + std::to_string(device.Port()) +
                      "\nUsername=admin\nRecord Path=" + programFolder.path().string() +
                      "\nSnapshot Path=" + programFolder.path().string() + "\n");
    }
    void TearDown() override { SetProgramFolderForTesting({}); }

    // The main window's initialisation: it is the target of the engine's posts, and starts
    // the stream and the life-time count of the first login.
    void OpenMainWindow(CAppObject& app) {
        app.lp_MainDialog = &view;
        app.h_MainDialogHandle = kMainWindow;
        app.h_StartConnectionThreadEvent.Set();
        app.h_StartToGetJpegImageEvent.Set();
    }

    // After shut-down and the recorder's end, nothing of ours may be left.
    void ExpectNothingLeft() {
        EXPECT_EQ(g_lpApp, nullptr);
        device.Stop();
        EXPECT_EQ(ThreadCount(), threadsBefore);
        EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
    }

    size_t threadsBefore = 0;
    size_t descriptorsBefore = 0;
    TestClock clock;
    ScopedClockOverride useClock{clock};
    TempFolder programFolder;
    RecordingRouter router;
    RecordingMessageBoxes boxes;
    FakeLiveView view;
    StandInPipeline pipeline;
    sim::SimulatedRecorder device;
    TestShell shell;
};

TEST_F(EngineLifecycleTest, StartUpLoginReLoginLifeTimeAndShutDown) {
    shell.mainWindow = [&] {
        CAppObject& app = *g_lpApp;
        OpenMainWindow(app);
        ASSERT_TRUE(WaitUntil([&] { return pipeline.streams == 1; }));
        const std::string firstSession = GetSessionCookie();

        // The stream drops and the recorder forgets the session: the kernel message thread
        // takes the pipeline down and the re-login builds a new one on a new session whose
        // life time is 0 minutes.
        device.EndSessions();
        device.SetDeviceInfo("LIFETIME", "0");
        pipeline.drop.Set();
        ASSERT_TRUE(AdvanceUntil(
            clock, [&] { return pipeline.streams == 2; }, 250, 600000));
        EXPECT_NE(GetSessionCookie(), firstSession);
        EXPECT_EQ(device.Sessions(), std::vector<std::string>{GetSessionCookie()});
        EXPECT_EQ(app.dw_LifeTime, 0);
        EXPECT_EQ(app.w_LoginResult, kLoginSucceeded);

        // The life time runs out: the main window is told to close, and its closing stops
        // the login and process resources and saves the settings.
        ASSERT_TRUE(AdvanceUntil(
            clock, [&] { return router.Count(WM_LIFETIMEUP) == 1; }, 250, 600000));
        EXPECT_EQ(router.PostsOf(WM_LIFETIMEUP)[0].window, kMainWindow);
        EXPECT_TRUE(ExitLoginResource());
        EXPECT_TRUE(ExitProcessResource());
        app.CSettingINI.SaveSetting();
        app.lp_MainDialog = nullptr;
    };

    CQuorrelApp application(shell);
    const uint32_t overruns = ThreadSlot::OverrunCount();
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(shell.loginDialogs, 1);
    EXPECT_EQ(shell.openedWith.strServerName, "127.0.0.1");
    EXPECT_EQ(shell.openedWith.strPort, std::to_string(device.Port()));
    EXPECT_EQ(shell.openedWith.strPassword, "");
    EXPECT_EQ(shell.openedWith.strBitRate, "1200");
    EXPECT_EQ(shell.mainWindows, 1);
    EXPECT_FLOAT_EQ(g_lpApp->fl_DPIScale, 1.25f);
    EXPECT_TRUE(boxes.Ids().empty());

    EXPECT_EQ(application.ExitInstance(), 0);
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
    const std::string trace = ReadFile(programFolder / "trace.log");
    EXPECT_NE(trace.find("case Get_Image_TimeOut_Message\r\n"), std::string::npos);
    EXPECT_NE(trace.find("Send start event\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(programFolder / "DebugTrace.log"));
    ExpectNothingLeft();
}

// The recorders' threads are the last a login starts. When the system gives none, the
// login is reported as failed and start-up ends in order, with nothing of the pipeline
// left running.
TEST_F(EngineLifecycleTest, ALoginWhoseRecorderThreadCannotStartEndsStartUpInOrder) {
    pipeline.recorderStartsRefused = 1;
    CQuorrelApp application(shell);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(pipeline.recorderStartsRefused, 0);
    EXPECT_EQ(shell.mainWindows, 0);
    EXPECT_TRUE(PipelineEmpty(*g_lpApp));
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4040});
    EXPECT_EQ(application.ExitInstance(), 0);
    EXPECT_NE(ReadFile(programFolder / "trace.log").find("start live pipeline failed\r\n"),
              std::string::npos);
    ExpectNothingLeft();
}

// At a re-login the rebuild that finds no thread for the recorders is taken down, the main
// window's status says the login failed, and the next rebuild runs the stream again.
TEST_F(EngineLifecycleTest, ARebuildWhoseRecorderThreadCannotStartIsReportedAndTriedAgain) {
    shell.mainWindow = [&] {
        CAppObject& app = *g_lpApp;
        OpenMainWindow(app);
        ASSERT_TRUE(WaitUntil([&] { return pipeline.streams == 1; }));

        pipeline.recorderStartsRefused = 1;
        pipeline.drop.Set();
        ASSERT_TRUE(AdvanceUntil(
            clock, [&] { return router.Count(WM_SHOWSTATUS, kStatusLoginFailed) == 1; }, 250,
            600000));
        EXPECT_EQ(pipeline.recorderStartsRefused, 0);
        EXPECT_TRUE(PipelineEmpty(app));
        ASSERT_TRUE(AdvanceUntil(
            clock, [&] { return pipeline.streams == 2; }, 250, 600000));
        EXPECT_EQ(router.Count(WM_SHOWSTATUS, kStatusLoginFailed), 1u);

        EXPECT_TRUE(ExitLoginResource());
        EXPECT_TRUE(ExitProcessResource());
        app.lp_MainDialog = nullptr;
    };

    CQuorrelApp application(shell);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(shell.mainWindows, 1);
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_EQ(application.ExitInstance(), 0);
    EXPECT_NE(ReadFile(programFolder / "trace.log").find("rebuild live pipeline failed\r\n"),
              std::string::npos);
    ExpectNothingLeft();
}

TEST_F(EngineLifecycleTest, WithoutTheControlFileStartUpEndsBeforeTheLogin) {
    std::filesystem::remove(programFolder / "CtrlFile.ini");
    CQuorrelApp application(shell);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4094});
    EXPECT_EQ(shell.loginDialogs, 0);
    EXPECT_EQ(application.ExitInstance(), 0);
    // Running the shut-down again finds nothing to do.
    EXPECT_EQ(application.ExitInstance(), 0);
    EXPECT_TRUE(device.Server().Log().empty());
    ExpectNothingLeft();
}

TEST_F(EngineLifecycleTest, ClosingTheLoginWindowEndsTheProcess) {
    shell.loginSucceeds = false;
    CQuorrelApp application(shell);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(shell.loginDialogs, 1);
    EXPECT_EQ(shell.mainWindows, 0);
    EXPECT_FALSE(g_lpApp->h_Process_KernelMessageThread.IsOccupied());
    EXPECT_FALSE(g_lpApp->h_ConnectionThread.IsOccupied());
    EXPECT_EQ(application.ExitInstance(), 0);
    ExpectNothingLeft();
}

}  // namespace
