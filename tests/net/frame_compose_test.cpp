// The compose thread on its own: slots filled by hand, the decoded-picture slot watched.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../support/EngineHarness.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "net/FrameCompose.h"
#include "net/LiveRecording.h"
#include "platform/JpegCodec.h"
#include "platform/Thread.h"

namespace {

using namespace ormidon;
using namespace ormidon::test;

class CountingRecording final : public LiveRecording {
  public:
    void FeedRecordFrame(std::span<const uint8_t>, uint32_t, uint8_t) override { ++fed; }
    bool IsAlarmRecordActive() override { return false; }
    void StartAlarmRecord() override {}
    void StopAlarmRecord() override {}
    std::atomic<int> fed{0};
};

class FrameComposeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(AllocateSystemBuffer());
        ASSERT_TRUE(InitialSemaphore());
        SetLiveRecording(&recording);
    }
    void TearDown() override { SetLiveRecording(nullptr); }

    // Puts `jpeg` in the next socket slot as the fetch thread would, and waits until the
    // compose thread gave the slot back.
    void Compose(const std::vector<uint8_t>& jpeg, uint8_t videoLoss = 0) {
        ASSERT_TRUE(app.h_SocketBufferFreeSem.Wait(0));
        const uint16_t slot = app.w_SocketBufferWriteIndex;
        std::memcpy(app.lp_SocketBuffer.get() + slot * kSocketSlotSize, jpeg.data(), jpeg.size());
        app.lp_FrameHeaderBuffer[slot] = {};
        app.lp_FrameHeaderBuffer[slot].dwPayloadLength = static_cast<uint32_t>(jpeg.size());
        app.lp_FrameHeaderBuffer[slot].byVideoLoss = videoLoss;
        app.w_SocketBufferWriteIndex = static_cast<uint16_t>((slot + 1) % kSocketBufferCount);
        app.h_SocketBufferFullSem.Release();
        ASSERT_TRUE(app.h_SocketBufferFreeSem.Wait(5000));
        app.h_SocketBufferFreeSem.Release();
    }

    CountingRecording recording;
    AppRecordScope scope;
    CAppObject& app = scope.App();
};

std::vector<uint8_t> EncodedPicture(int width, int height) {
    std::vector<uint8_t> picture(BgrPictureBytes(width, height), 0x80);
    std::vector<uint8_t> jpeg;
    JpegCodec codec;
    codec.Encode(picture, width, height, 75, jpeg);
    return jpeg;
}

TEST_F(FrameComposeTest, ARejectedJpegIsDroppedAndTheNextTakesTheSameSlot) {
    Thread compose(Jpeg_Compose_Image_Data_Thread);
    std::vector<uint8_t> broken = EncodedPicture(64, 48);
    broken.resize(20);  // cut inside its tables: the library cannot read it
    Compose(broken);
    EXPECT_EQ(recording.fed, 0);
    EXPECT_FALSE(app.h_JPEGImageBufferRelSem.Wait(0));
    EXPECT_EQ(app.w_RGBBufferWriteIndex, 0);
    // The picture slot is free again: taking it and giving it back leaves the count.
    ASSERT_TRUE(app.h_JPEGImageBufferFreeSem.Wait(0));
    app.h_JPEGImageBufferFreeSem.Release();

    Compose(EncodedPicture(80, 60));
    EXPECT_EQ(recording.fed, 1);
    EXPECT_TRUE(app.h_JPEGImageBufferRelSem.Wait(0));
    EXPECT_EQ(app.w_ImageWidth, 80);
    EXPECT_EQ(app.w_ImageHeight, 60);
    EXPECT_EQ(app.lp_RGBBuffer[0], 0x80);
    app.h_EndofGetJpegImageEvent.Set();
    EXPECT_TRUE(compose.Join(5000));
}

TEST_F(FrameComposeTest, VideoLossPaintsTheBlackPictureOfModeAndResolution) {
    struct Case {
        uint8_t resolution, videoMode;
        uint16_t width, height;
    };
    for (const Case& c : {Case{0, 0, 640, 228}, Case{1, 1, 320, 276}, Case{0, 2, 640, 276}}) {
        uint16_t width = 0;
        uint16_t height = 0;
        VideoLossPictureSize(c.resolution, c.videoMode, width, height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    Thread compose(Jpeg_Compose_Image_Data_Thread);
    std::memset(app.lp_RGBBuffer.get(), 0x55, kImageBufferSize);
    app.by_VideoMode = 0;
    Compose(EncodedPicture(16, 16), 1);
    EXPECT_EQ(app.f_VideoLoss, 1);
    EXPECT_EQ(app.w_ImageWidth, 640);
    EXPECT_EQ(app.w_ImageHeight, 228);
    const size_t black = BgrPictureBytes(640, 228);
    EXPECT_EQ(app.lp_RGBBuffer[0], 0);
    EXPECT_EQ(app.lp_RGBBuffer[black - 1], 0);
    EXPECT_EQ(app.lp_RGBBuffer[black], 0x55);
    EXPECT_EQ(recording.fed, 1);
    app.h_EndofGetJpegImageEvent.Set();
    EXPECT_TRUE(compose.Join(5000));
}

}  // namespace
