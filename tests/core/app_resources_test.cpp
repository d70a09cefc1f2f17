#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/LivePipeline.h"
#include "core/ThreadSlot.h"
#include "core/TraceFile.h"
#include "platform/WaitAny.h"

namespace {

using ormidon::Event;
using ormidon::kInfinite;
using ormidon::test::AppRecordScope;
using ormidon::test::WaitUntil;

// Stand-in frame threads: each waits for its stop event (or its stop) and counts runs.
class StandInPipeline final : public LivePipeline {
  public:
    StandInPipeline() { SetLivePipeline(this); }
    ~StandInPipeline() override { SetLivePipeline(nullptr); }

    void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) override {
        Run(g_lpApp->h_EndofGetJpegImageEvent, stop, fetchRuns);
    }
    void Jpeg_Compose_Image_Data_Thread(std::stop_token stop) override {
        Run(g_lpApp->h_EndofGetJpegImageEvent, stop, composeRuns);
        std::this_thread::sleep_for(composeLag);
    }
    void Jpeg_Show_Image_Data_Thread(std::stop_token stop) override {
        Run(g_lpApp->h_EndofShowImageEvent, stop, showRuns);
    }
    bool StartRecorderThreads() override {
        ++recorderStarts;
        return true;
    }
    void StopRecorderThreads() override { ++recorderStops; }

    std::atomic<int> fetchRuns{0}, composeRuns{0}, showRuns{0};
    std::atomic<int> recorderStarts{0}, recorderStops{0};
    std::chrono::milliseconds composeLag{0};  // how long the compose thread ends late

  private:
    static void Run(Event& stopEvent, std::stop_token stop, std::atomic<int>& runs) {
        ++runs;
        stopEvent.Wait(kInfinite, stop);
    }
};

bool PipelineRunning(CAppObject& app) {
    return app.h_ConnectionThread.IsRunning() && app.h_GetJpegImageThread.IsRunning() &&
           app.h_ComposeImageDataThread.IsRunning() && app.h_ShowImageDataThread.IsRunning();
}

bool PipelineEmpty(CAppObject& app) {
    return !app.h_ConnectionThread.IsOccupied() && !app.h_GetJpegImageThread.IsOccupied() &&
           !app.h_ComposeImageDataThread.IsOccupied() && !app.h_ShowImageDataThread.IsOccupied();
}

TEST(AppResourcesTest, BuffersAndSemaphoresStartAsTheLivePipelineExpects) {
    AppRecordScope scope;
    CAppObject& app = scope.App();
    EXPECT_EQ(app.dw_LifeTime, -1);
    EXPECT_EQ(app.by_HotPointMode, 1);
    EXPECT_EQ(app.by_RecordParam, 4);

    ASSERT_TRUE(AllocateSystemBuffer());
    ASSERT_TRUE(InitialSemaphore());
    EXPECT_NE(app.lp_SocketBuffer, nullptr);
    EXPECT_NE(app.lp_RGBBuffer, nullptr);
    EXPECT_EQ(app.w_SocketBufferCount, 2);
    EXPECT_EQ(app.w_JPEGImageBufferCount, 1);
    // Socket slots: free 1 of 1, so the fetch thread fills only one slot ahead.
    EXPECT_TRUE(app.h_SocketBufferFreeSem.Wait(0));
    EXPECT_FALSE(app.h_SocketBufferFreeSem.Wait(0));
    EXPECT_FALSE(app.h_SocketBufferFullSem.Wait(0));
    EXPECT_TRUE(app.h_SocketBufferFullSem.Release());
    EXPECT_FALSE(app.h_SocketBufferFullSem.Release());  // maximum 1
    EXPECT_TRUE(app.h_JPEGImageBufferFreeSem.Wait(0));
    EXPECT_FALSE(app.h_JPEGImageBufferRelSem.Wait(0));
    EXPECT_FALSE(app.h_CopyImageReadySem.Wait(0));

    // A rebuild puts the counts back, whatever the last pipeline left.
    app.w_SocketBufferWriteIndex = 1;
    ASSERT_TRUE(FreeSemaphore());
    ASSERT_TRUE(InitialSemaphore());
    EXPECT_TRUE(app.h_SocketBufferFreeSem.Wait(0));
    EXPECT_FALSE(app.h_SocketBufferFullSem.Wait(0));

    EXPECT_TRUE(FreeSystemBuffer());
    EXPECT_EQ(app.lp_SocketBuffer, nullptr);
    EXPECT_TRUE(FreeSystemBuffer());
}

TEST(AppResourcesTest, LoginResourcesStartEveryThreadAndStopThemAllTwiceOver) {
    StandInPipeline pipeline;
    AppRecordScope scope;
    CAppObject& app = scope.App();
    app.h_StartToGetJpegImageEvent.Set();  // left over from a previous pipeline

    ASSERT_TRUE(InitLoginResource());
    ASSERT_TRUE(WaitUntil([&] {
        return pipeline.fetchRuns == 1 && pipeline.composeRuns == 1 && pipeline.showRuns == 1;
    }));
    EXPECT_TRUE(PipelineRunning(app));
    EXPECT_EQ(pipeline.recorderStarts, 1);
    EXPECT_EQ(app.by_RecordParam, 0);
    EXPECT_FALSE(app.h_StartToGetJpegImageEvent.Wait(0));  // a fresh pipeline starts unsignalled

    const uint32_t overruns = ThreadSlot::OverrunCount();
    EXPECT_TRUE(ExitLoginResource());
    EXPECT_TRUE(PipelineEmpty(app));
    EXPECT_EQ(pipeline.recorderStops, 1);
    EXPECT_FALSE(app.h_EndofGetJpegImageEvent.Wait(0));  // reset once nobody uses it
    EXPECT_TRUE(ExitLoginResource());                    // nothing left: does nothing
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
}

TEST(AppResourcesTest, ProcessResourcesRunTheirThreadsAndEndThemOnce) {
    AppRecordScope scope;
    CAppObject& app = scope.App();
    ASSERT_TRUE(InitProcessResource());
    EXPECT_TRUE(app.h_Process_KernelMessageThread.IsRunning());
    EXPECT_TRUE(app.h_Process_Terminate_Thread.IsRunning());
    EXPECT_TRUE(app.h_Process_Init_Thread.IsRunning());

    EXPECT_TRUE(ExitProcessResource());
    EXPECT_FALSE(app.h_Process_KernelMessageThread.IsOccupied());
    EXPECT_FALSE(app.h_Process_Terminate_Thread.IsOccupied());
    EXPECT_FALSE(app.h_Process_Init_Thread.IsOccupied());
    EXPECT_TRUE(ExitProcessResource());
    // The mailbox is closed: a poster is not left waiting for a slot.
    EXPECT_TRUE(app.h_KernelMailboxClosedEvent.Wait(0));
}

// The take-down and rebuild threads, as the re-login drives them.
TEST(AppResourcesTest, RebuildThreadsTakeThePipelineDownAndBuildItAgain) {
    StandInPipeline pipeline;
    AppRecordScope scope;
    CAppObject& app = scope.App();
    ASSERT_TRUE(AllocateSystemBuffer());
    ASSERT_TRUE(InitialSemaphore());
    ASSERT_TRUE(InitProcessResource());
    ASSERT_TRUE(InitLoginResource());
    app.f_VideoServerConnected = 1;
    app.dw_LifeTime = 5;

    app.h_Process_Notify_TerminateEvent.Set();
    ASSERT_TRUE(app.h_Process_Reply_TerminateEvent.Wait(10000));
    EXPECT_TRUE(app.f_ProcessTerminateSucceeded);
    EXPECT_TRUE(PipelineEmpty(app));
    EXPECT_EQ(app.f_VideoServerConnected, 0);
    EXPECT_EQ(app.dw_LifeTime, -1);

    app.w_SocketBufferReadIndex = 1;
    app.h_Process_Notify_InitEvent.Set();
    ASSERT_TRUE(app.h_Process_Reply_InitEvent.Wait(10000));
    EXPECT_TRUE(app.f_ProcessInitSucceeded);
    EXPECT_TRUE(PipelineRunning(app));
    EXPECT_EQ(app.w_SocketBufferReadIndex, 0);
    EXPECT_TRUE(app.h_SocketBufferFreeSem.Wait(0));
}

// A rebuild that cannot start a thread answers with its failure and leaves nothing
// half-built behind, so the re-login can report it and try again.
TEST(AppResourcesTest, AFailedRebuildIsAnsweredAndRolledBack) {
    StandInPipeline pipeline;
    AppRecordScope scope;
    CAppObject& app = scope.App();
    ASSERT_TRUE(AllocateSystemBuffer());
    ASSERT_TRUE(InitProcessResource());
    // A show thread still running blocks the new one.
    Event release;
    ASSERT_TRUE(app.h_ShowImageDataThread.Start(
        [&](std::stop_token stop) { release.Wait(kInfinite, stop); }));

    app.h_Process_Notify_InitEvent.Set();
    ASSERT_TRUE(app.h_Process_Reply_InitEvent.Wait(10000));
    EXPECT_FALSE(app.f_ProcessInitSucceeded);
    EXPECT_TRUE(PipelineEmpty(app));

    app.h_Process_Notify_InitEvent.Set();
    ASSERT_TRUE(app.h_Process_Reply_InitEvent.Wait(10000));
    EXPECT_TRUE(app.f_ProcessInitSucceeded);
    EXPECT_TRUE(PipelineRunning(app));
}

// Shut-down stops a pipeline that a rebuild made after the login resources were stopped.
TEST(AppResourcesTest, ExitProcessResourceStopsAPipelineBuiltMeanwhile) {
    StandInPipeline pipeline;
    AppRecordScope scope;
    CAppObject& app = scope.App();
    ASSERT_TRUE(AllocateSystemBuffer());
    ASSERT_TRUE(InitProcessResource());
    EXPECT_TRUE(ExitLoginResource());
    app.h_Process_Notify_InitEvent.Set();
    ASSERT_TRUE(app.h_Process_Reply_InitEvent.Wait(10000));
    ASSERT_TRUE(PipelineRunning(app));

    EXPECT_TRUE(ExitProcessResource());
    EXPECT_TRUE(PipelineEmpty(app));
}

// A thread that ends late is a defect to trace, never a reason to leave the window open:
// both routines answer true with every thread joined.
TEST(AppResourcesTest, AThreadThatOverrunsItsBoundIsTracedAndTheStopGoesOn) {
    ormidon::test::TempFolder folder;
    InitTraceFile(100, folder.path().string());
    StandInPipeline pipeline;
    const auto late = std::chrono::milliseconds(ThreadSlot::kSchedulingAllowanceMs + 200);
    pipeline.composeLag = late;
    {
        AppRecordScope scope;
        CAppObject& app = scope.App();
        ASSERT_TRUE(AllocateSystemBuffer());
        ASSERT_TRUE(InitProcessResource());
        ASSERT_TRUE(InitLoginResource());
        ASSERT_TRUE(app.h_ReLoginThread.Start(
            [late](std::stop_token) { std::this_thread::sleep_for(late); }));

        EXPECT_TRUE(ExitProcessResource());
        EXPECT_TRUE(PipelineEmpty(app));
        EXPECT_FALSE(app.h_ReLoginThread.IsOccupied());
    }
    FreeTraceFile();
    std::stringstream trace;
    trace << std::ifstream(folder / "trace.log").rdbuf();
    EXPECT_NE(trace.str().find("h_ComposeImageDataThread did not end within 30 ms"),
              std::string::npos)
        << trace.str();
    EXPECT_NE(trace.str().find("h_ReLoginThread did not end within 30 ms"), std::string::npos);
}

}  // namespace
