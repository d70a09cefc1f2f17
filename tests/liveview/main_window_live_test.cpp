// The main window end to end: logged in to the simulated recorder of each device family,
// with the real live stream, it shows the moving picture with its overlay and rates, and
// closes in order. A picture of each window is saved for review.
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "net/LiveStreamPipeline.h"
#include "record/AppRecording.h"
#include "record/RecordFileValidator.h"
#include "widgets/CVtxButton.h"

namespace {

using namespace ormidon::test;
using ormidon::testing::ProcessEventsUntil;

class MainWindowLiveTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetLivePipeline(&LiveStreamPipelineInstance());
        SetLiveRecording(&AppLiveRecordingInstance());
    }
    void TearDown() override {
        // Every thread stops while the test clock they wait on still exists.
        ExitLoginResource();
        ExitProcessResource();
        SetLiveRecording(nullptr);
        SetLivePipeline(nullptr);
        MainWindowTest::TearDown();
    }

    TempFolder recordFolder;
    ormidon::TestClock clock{1000};
    ormidon::ScopedClockOverride useClock{clock};
};

TEST_F(MainWindowLiveTest, EachFamilyShowsTheMovingPictureAndClosesInOrder) {
    const struct {
        const char* name;
        DeviceSetup setup;
        uint16_t mode;
    } cases[] = {
        {"P51K-N_VGA", {"P51K", "1060", 0, 0, "admin", "14"}, 0},
        {"P62K-P_QVGA", {"P62K", "1010", 1, 1, "admin", "11"}, 9},
        {"N25V-P_VGA", {"N25V", "1010", 1, 0, "admin", "0"}, 8},
        {"T18D-N_QVGA", {"T18D", "1010", 0, 1, "admin", ""}, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogIn(c.setup);
        // As start-up builds the pipeline's resources.
        ASSERT_TRUE(InitialSemaphore());
        ResetSlotIndexes(app);
        ASSERT_TRUE(InitProcessResource());
        ASSERT_TRUE(InitLoginResource());
        ASSERT_EQ(BuildWindow(), 1);

        ASSERT_TRUE(ProcessEventsUntil([&] { return !window->ShownFrame().isNull(); }));
        EXPECT_EQ(app.w_DisplayMode, c.mode);
        EXPECT_EQ(window->size(), QSize(LayoutOfMode(c.mode).rcWindow.Width(),
                                        LayoutOfMode(c.mode).rcWindow.Height()));
        // The picture fills the video rectangle (the PAL rectangles of the P62K family are
        // two lines shorter than the picture; the window cuts it to them).
        const LayoutRect& video = LayoutOfMode(c.mode).rcVideo;
        EXPECT_EQ(window->ShownFrame().width(), video.Width());
        EXPECT_NEAR(window->ShownFrame().height(), video.Height(), 2);
        // The picture moves.
        const QImage first = window->ShownFrame();
        EXPECT_TRUE(ProcessEventsUntil([&] { return window->ShownFrame() != first; }));
        // Two seconds on, the status bar gives the rates.
        clock.Advance(2000);
        EXPECT_TRUE(ProcessEventsUntil([&] { return window->StatusText().starts_with("FR:"); }))
            << window->StatusText();
        ormidon::testing::ProcessEventsFor(50);
        EXPECT_FALSE(
            ormidon::testing::SaveScreenshot(window.get(), std::string("main-window-") + c.name)
                .empty());

        // A recording by hand runs when the window closes.
        const bool recording = c.mode == 0;
        if (recording) {
            ASSERT_EQ(app.m_UserRecord.OpenRecordFile(recordFolder.path().string()), 1);
            const uint64_t sent = device.Video().FramesSent();
            EXPECT_TRUE(device.Video().WaitForFrames(sent + 3, std::chrono::seconds(5)));
            ormidon::testing::ProcessEventsFor(50);
        }

        window->TitleButton(2)->click();
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(app.h_GetJpegImageThread.IsOccupied());
        EXPECT_FALSE(app.h_ShowImageDataThread.IsOccupied());
        EXPECT_FALSE(app.h_Process_KernelMessageThread.IsOccupied());
        EXPECT_TRUE(std::filesystem::exists(programFolder / "Setting.ini"));
        if (recording) {
            // The close finished the file: it reads back whole.
            size_t files = 0;
            for (const auto& entry : std::filesystem::directory_iterator(recordFolder.path())) {
                ++files;
                const RecordFileCheck check = ValidateRecordFile(entry.path());
                EXPECT_TRUE(check.valid) << check.error;
                EXPECT_FALSE(check.frames.empty());
            }
            EXPECT_EQ(files, 1u);
        }
        window.reset();
    }
}

}  // namespace
