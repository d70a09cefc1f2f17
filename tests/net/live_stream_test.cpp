// The live pipeline (fetch, compose and show threads) against the simulated recorder, with
// the main window replaced by a view that records what it is asked to draw.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "../sim/RawHttp.h"
#include "../support/EngineHarness.h"
#include "../support/LivePipelineTest.h"
#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/LivePipeline.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/TraceFile.h"
#include "net/LiveRecording.h"
#include "net/LiveStreamPipeline.h"
#include "platform/JpegCodec.h"
#include "sim/SimulatedRecorder.h"

namespace {

using namespace ormidon;
using namespace ormidon::test;
using namespace std::chrono_literals;

// What the view was asked to draw.
struct DrawnFrame {
    uint16_t width = 0;
    uint16_t height = 0;
    bool videoLoss = false;
    bool black = false;  // every byte of the picture is 0
};

// The main window as the pipeline sees it: it records each picture and, unless held,
// finishes the drawing at once.
class PictureView final : public LiveView {
  public:
    void DrawFrame() override {
        CAppObject& app = *g_lpApp;
        DrawnFrame frame{app.w_ImageWidth, app.w_ImageHeight, app.f_VideoLoss != 0, true};
        const uint8_t* picture = app.lp_CurrentImage;
        for (size_t i = 0; i < BgrPictureBytes(frame.width, frame.height); ++i) {
            if (picture[i] != 0) {
                frame.black = false;
                break;
            }
        }
        {
            std::lock_guard lock(mutex_);
            frames_.push_back(frame);
        }
        if (!hold) app.h_FinishShowImageJobEvent.Set();
    }
    void SetStatusText(std::string_view) override {}
    void ClearOverlayTexts() override {}
    void ClearAlarmChannelText() override {}
    void SetFunctionButtonState(uint32_t, int) override {}
    void SetPtzControlButtonState(int) override {}
    void RefreshRemotePanel() override {}
    void ArrangeControls() override {}
    void InvalidateWindow() override {}
    void SetImageSize(uint16_t width, uint16_t height) override {
        std::lock_guard lock(mutex_);
        sizes_.push_back({width, height});
    }
    void RequestChannel(uint8_t channel) override { requestedChannel = channel; }

    size_t Count() const {
        std::lock_guard lock(mutex_);
        return frames_.size();
    }
    DrawnFrame Last() const {
        std::lock_guard lock(mutex_);
        return frames_.empty() ? DrawnFrame{} : frames_.back();
    }
    std::vector<std::pair<uint16_t, uint16_t>> Sizes() const {
        std::lock_guard lock(mutex_);
        return sizes_;
    }

    std::atomic<bool> hold{false};
    std::atomic<int> requestedChannel{0};

  private:
    mutable std::mutex mutex_;
    std::vector<DrawnFrame> frames_;
    std::vector<std::pair<uint16_t, uint16_t>> sizes_;
};

// Keeps the size of every JPEG handed to recording.
class RecordingSizes final : public LiveRecording {
  public:
    void FeedRecordFrame(std::span<const uint8_t> jpeg, uint32_t, uint8_t videoLoss) override {
        tjhandle handle = tjInitDecompress();
        int width = 0;
        int height = 0;
        int subsampling = 0;
        int colourspace = 0;
        tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &subsampling,
                            &colourspace);
        tjDestroy(handle);
        std::lock_guard lock(mutex_);
        fed_.push_back({width, height, videoLoss != 0});
    }
    bool IsAlarmRecordActive() override { return false; }
    void StartAlarmRecord() override {}
    void StopAlarmRecord() override {}

    struct Fed {
        int width;
        int height;
        bool videoLoss;
    };
    Fed Last() const {
        std::lock_guard lock(mutex_);
        return fed_.empty() ? Fed{} : fed_.back();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Fed> fed_;
};

class LiveStreamTest : public LivePipelineTest {
  protected:
    void SetUp() override {
        LivePipelineTest::SetUp();
        device.Video().SetSetup({.framesPerSecond = 0, .width = 160, .height = 120});
        app.lp_MainDialog = &pictures;
        StartPipeline(recording);
    }
    void TearDown() override {
        LivePipelineTest::TearDown();  // the threads that draw into `pictures` stop first
        app.lp_MainDialog = nullptr;
    }
    // Waits until `count` more frames were drawn.
    bool DrawMore(size_t count) {
        const size_t target = pictures.Count() + count;
        return WaitUntil([&] { return pictures.Count() >= target; });
    }

    PictureView pictures;
    RecordingSizes recording;
};

TEST_F(LiveStreamTest, EveryHeaderLayoutStreamsAndAResetEndsTheConnectionQuietly) {
    for (int newHeader : {0, 1, 2}) {
        SCOPED_TRACE(newHeader);
        LogInForStream(newHeader);
        StartStream();
        ASSERT_TRUE(DrawMore(10));
        EXPECT_EQ(pictures.Last().width, 160);
        EXPECT_EQ(pictures.Last().height, 120);
        EXPECT_FALSE(pictures.Last().black);
        EXPECT_EQ(app.f_VideoServerConnected, 1);
        EXPECT_EQ(app.f_GetImageRunning, 1);
        EXPECT_GT(app.dw_ReceivedBytes, 0u);
        EXPECT_GE(app.dw_ShownFrames, 10u);
        EXPECT_EQ(recording.Last().width, 160);

        // The take-down's reset ends the connection without a re-login.
        ASSERT_TRUE(ExitLoginResource());
        EXPECT_EQ(app.f_Connected, 0);
        EXPECT_EQ(app.f_GetImageRunning, 0);
        ASSERT_TRUE(InitialSemaphore());
        ResetSlotIndexes(app);
    }
    EXPECT_EQ(TraceText().find("Get_Image_TimeOut"), std::string::npos);
    EXPECT_EQ(pictures.Sizes(),
              (std::vector<std::pair<uint16_t, uint16_t>>{{160, 120}, {160, 120}, {160, 120}}));

    const sim::HttpRequest request = device.Server().Log().back();
    ASSERT_EQ(request.path, "/Getvideo.cgi");
    EXPECT_EQ(request.raw,
              "GET /Getvideo.cgi?Cookie=" + GetSessionCookie() +
                  " HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n"
                  "Accept-Encoding: gzip, deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE "
                  "6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)\r\nHost: 127.0.0.1\r\n"
                  "Connection: Keep-Alive\r\n\r\n");
}

TEST_F(LiveStreamTest, FaultsInsideTheStreamAreDroppedWithoutEndingIt) {
    device.Video().SetSetup(
        {.framesPerSecond = 0, .width = 160, .height = 120, .httpHeader = true});
    LogInForStream(2);
    StartStream();
    ASSERT_TRUE(DrawMore(3));
    using Kind = sim::StreamFault::Kind;
    for (Kind kind : {Kind::kGarbage, Kind::kOversizeLength, Kind::kUnknownVersion,
                      Kind::kSplitHeader, Kind::kOneByteWrites}) {
        SCOPED_TRACE(static_cast<int>(kind));
        device.Video().AddFault({kind, 500});
        ASSERT_TRUE(DrawMore(5));
    }
    EXPECT_EQ(StreamRequests(), 1u);
    EXPECT_EQ(TraceText().find("Get_Image_TimeOut"), std::string::npos);
}

TEST_F(LiveStreamTest, VideoLossShowsBlackAndRecordsTheFramesOwnBytes) {
    // A paced stream, so that few frames wait in the socket when the picture comes back.
    device.Video().SetSetup({.framesPerSecond = 200, .width = 160, .height = 120});
    device.SetDeviceInfo("VIDEOMODE", "1");
    app.by_VideoMode = 1;
    LogInForStream(1);
    StartStream();
    ASSERT_TRUE(DrawMore(2));
    device.Video().SetEvents(0, 0, true);
    ASSERT_TRUE(WaitUntil([&] { return pictures.Last().videoLoss; }));
    ASSERT_TRUE(DrawMore(2));
    const DrawnFrame lost = pictures.Last();
    EXPECT_TRUE(lost.black);
    EXPECT_EQ(lost.width, 320);   // the recorder streams at half resolution
    EXPECT_EQ(lost.height, 276);  // video mode 1
    // The recording got the loss frame's own JPEG, not the picture before it.
    EXPECT_TRUE(recording.Last().videoLoss);
    EXPECT_EQ(recording.Last().width, 64);

    device.Video().SetEvents(0, 0, false);
    ASSERT_TRUE(WaitUntil([&] { return !pictures.Last().videoLoss; }));
    EXPECT_EQ(pictures.Last().width, 160);
}

TEST_F(LiveStreamTest, AlarmWordsReachTheMainWindowAndMotionAsksForAChannel) {
    device.SetIdentity({"P62K", "1010", "00A0B1C2D3E4", "sim", 0});
    app.str_ProductID.Set("P62K");
    app.CSettingINI.m_byAlarmTriggerRecord = 1;
    LogInForStream(1);
    StartStream();
    ASSERT_TRUE(DrawMore(2));
    // Every header carries its event words, so the sound is asked for while none plays.
    EXPECT_GE(router.Count(WM_POSTALARMAUDIO, 0), 1u);
    EXPECT_EQ(router.PostsOf(WM_POSTALARMAUDIO)[0].window, kMainWindow);
    EXPECT_GE(router.Count(WM_REDRAWDATETIME), 1u);

    app.str_ProductID.Set("P51K");
    app.by_MultiChannel = 4;
    app.CSettingINI.m_byAlarmAutoSwitchVideo = 1;
    device.Video().SetEvents(0, 0x0004, false);
    ASSERT_TRUE(WaitUntil([&] { return pictures.requestedChannel == 3; }));
}

TEST_F(LiveStreamTest, AStalledDrawingEndsTheConnectionAfterTenSeconds) {
    LogInForStream(1);
    pictures.hold = true;
    StartStream();
    ASSERT_TRUE(DrawMore(1));
    // The show thread waits for the drawing, the compose thread for a free picture, the
    // fetch thread for a free slot: after 10 s of that the connection ends with code 1.
    ASSERT_TRUE(AdvanceUntil(
        clock,
        [&] {
            return TraceText().find("dwResult == WAIT_TIMEOUT Get_Image_TimeOut_Message") !=
                   std::string::npos;
        },
        500, 60000));
    EXPECT_EQ(pictures.Count(), 1u);
    EXPECT_TRUE(WaitUntil(
        [&] { return TraceText().find("case Get_Image_TimeOut_Message") != std::string::npos; }));
}

TEST_F(LiveStreamTest, AClosedOrStalledStreamRecoversThroughTheReLogin) {
    LogInForStream(2);
    StartStream();
    ASSERT_TRUE(DrawMore(3));
    using Kind = sim::StreamFault::Kind;
    for (Kind kind : {Kind::kClose, Kind::kStall}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const size_t requests = StreamRequests();
        // A close fails the next receive at once; a stall fails it after its 20 s. The test
        // clock may run ahead of the real frames and time a new stream out once more, so
        // what counts is that a new stream was asked for and pictures flow again.
        device.Video().AddFault({kind, 0});
        const size_t drawn = pictures.Count();
        ASSERT_TRUE(AdvanceUntil(
            clock, [&] { return StreamRequests() > requests && pictures.Count() >= drawn + 3; },
            250, 120000));
    }
    // The stall broke off between frames, the close inside a JPEG.
    EXPECT_NE(TraceText().find("\nif (RtpRecvLength == SOCKET_ERROR)\r"), std::string::npos);
    EXPECT_NE(TraceText().find("\nRtpRecvLength == SOCKET_ERROR\r"), std::string::npos);
    EXPECT_NE(TraceText().find("Send start event"), std::string::npos);
}

TEST_F(LiveStreamTest, AnErrorStatusForTheStreamIsAFailure) {
    LogInForStream(1);
    device.Server().AddFault(sim::Fault::Status(404, "/Getvideo.cgi"));
    StartStream();
    ASSERT_TRUE(WaitUntil([&] { return TraceText().find("HTTP status") != std::string::npos; }));
    EXPECT_EQ(pictures.Count(), 0u);
}

}  // namespace
