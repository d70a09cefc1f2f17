// The main window's frame drawing and its texts: a synthetic picture drawn from another
// thread and read back at the video rectangle (1:1, lines doubled, fitted in full
// screen), the rate texts on the test clock, the alarm and status texts, the keys and
// the close sequence.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <cstring>
#include <filesystem>
#include <thread>

#include "MainWindowFixture.h"
#include "core/AppMessages.h"
#include "widgets/CVtxButton.h"

namespace {

using namespace ormidon::test;
using ormidon::testing::GrabWindow;
using ormidon::testing::ProcessEventsUntil;

constexpr QRgb kTop = qRgb(200, 40, 40);
constexpr QRgb kBottom = qRgb(40, 40, 200);

class MainWindowFrameTest : public MainWindowTest {
  protected:
    // A width x height picture in the decoded slot: its upper half kTop, its lower half
    // kBottom (rows are stored bottom up), as the compose thread leaves it.
    void DecodedPicture(int width, int height, QRgb top = kTop, QRgb bottom = kBottom) {
        uint8_t* pixels = app.lp_RGBBuffer.get();
        for (int y = 0; y < height; ++y) {
            const QRgb colour = y < height / 2 ? top : bottom;
            uint8_t* row = pixels + size_t(height - 1 - y) * size_t(width) * 3;
            for (int x = 0; x < width; ++x) {
                row[3 * x] = uint8_t(qBlue(colour));
                row[3 * x + 1] = uint8_t(qGreen(colour));
                row[3 * x + 2] = uint8_t(qRed(colour));
            }
        }
        app.lp_CurrentImage = pixels;
        app.w_ImageWidth = uint16_t(width);
        app.w_ImageHeight = uint16_t(height);
        app.f_VideoServerConnected = 1;
    }

    // Draws the current frame on a thread of its own, as the kernel message thread does,
    // and lets the window paint it.
    void DrawOnWorker() {
        app.h_FinishShowImageJobEvent.Reset();
        std::thread([this] { window->DrawFrame(); }).join();
        EXPECT_TRUE(app.h_FinishShowImageJobEvent.Wait(0));
        Settle();
    }

    static QRgb Pixel(const QImage& image, const QPoint& at) {
        return image.pixel(at) | 0xFF000000;
    }

    // What the window painted last, as the screen shows it (a grab would paint anew).
    QImage Painted() const {
        return window->screen()
            ->grabWindow(window->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(MainWindowFrameTest, FieldIsShownWithDoubledLinesAtTheVideoRectangle) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    DecodedPicture(640, 228);
    DrawOnWorker();
    EXPECT_EQ(window->ShownFrame().size(), QSize(640, 456));
    const QImage shown = GrabWindow(window.get());
    const QPoint video(42, 96);
    EXPECT_EQ(Pixel(shown, video + QPoint(0, 0)), kTop);
    EXPECT_EQ(Pixel(shown, video + QPoint(639, 220)), kTop);
    EXPECT_EQ(Pixel(shown, video + QPoint(320, 235)), kBottom);
    EXPECT_EQ(Pixel(shown, video + QPoint(639, 455)), kBottom);
}

TEST_F(MainWindowFrameTest, SmallAndWholeFramesAreShownOneToOne) {
    ASSERT_EQ(OpenWindow({.product = "P51K", .resolution = 1}), 1);
    DecodedPicture(320, 240);
    DrawOnWorker();
    EXPECT_EQ(window->ShownFrame().size(), QSize(320, 240));
    window.reset();

    // The T18D sends whole frames: 640 x 480 is not doubled.
    ASSERT_EQ(OpenWindow({.product = "T18D", .firmware = "1010", .linkDevice = ""}), 1);
    DecodedPicture(640, 480);
    DrawOnWorker();
    EXPECT_EQ(window->ShownFrame().size(), QSize(640, 480));
    const QImage shown = GrabWindow(window.get());
    EXPECT_EQ(Pixel(shown, QPoint(40, 86)), kTop);
    EXPECT_EQ(Pixel(shown, QPoint(40 + 639, 86 + 479)), kBottom);
}

// Frames of two sizes in turn, each read back from what the window painted for it: the
// screen images follow the size, a smaller frame leaves no trace of the larger one before
// it, and frames of one size are drawn into the images already made.
TEST_F(MainWindowFrameTest, FramesOfTwoSizesInTurnAreEachShownRight) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    const QPoint video(42, 96);
    constexpr QRgb kGreen = qRgb(30, 180, 60);
    constexpr QRgb kGrey = qRgb(120, 120, 120);
    const struct {
        int width, height;
        QSize shown;
        QRgb top, bottom;
    } frames[] = {
        {640, 228, {640, 456}, kTop, kBottom}, {320, 240, {320, 240}, kGreen, kGrey},
        {320, 240, {320, 240}, kBottom, kTop}, {640, 228, {640, 456}, kGrey, kGreen},
        {640, 228, {640, 456}, kGreen, kTop},  {320, 240, {320, 240}, kTop, kGreen},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(testing::Message() << f.width << "x" << f.height);
        DecodedPicture(f.width, f.height, f.top, f.bottom);
        DrawOnWorker();
        ASSERT_EQ(window->ShownFrame().size(), f.shown);
        const QImage painted = Painted();
        const QSize last = f.shown - QSize(1, 1);
        EXPECT_EQ(Pixel(painted, video), f.top);
        EXPECT_EQ(Pixel(painted, video + QPoint(last.width(), last.height() / 4)), f.top);
        EXPECT_EQ(Pixel(painted, video + QPoint(0, last.height())), f.bottom);
        EXPECT_EQ(Pixel(painted, video + QPoint(last.width(), last.height())), f.bottom);
        if (f.shown.width() < 640) {
            // Beside the small picture the window's background shows.
            for (QRgb colour : {kTop, kBottom, kGreen, kGrey}) {
                EXPECT_NE(Pixel(painted, video + QPoint(500, 400)), colour);
            }
        }
    }

    // Two more frames of the size shown now land in the same image again.
    const uchar* image = window->ShownFrame().constBits();
    DrawOnWorker();
    DrawOnWorker();
    EXPECT_EQ(window->ShownFrame().constBits(), image);
}

// 640 x 480 and 720 x 576 frames of the other families would overrun the doubling
// buffer: they are shown as they are.
TEST_F(MainWindowFrameTest, FrameTooLargeToDoubleIsShownAsItIs) {
    ASSERT_EQ(OpenWindow({.product = "P62K", .firmware = "1010"}), 1);
    DecodedPicture(720, 576);
    DrawOnWorker();
    EXPECT_EQ(window->ShownFrame().size(), QSize(720, 576));
}

TEST_F(MainWindowFrameTest, FullScreenFitsTheFrameToTheWorkAreaAndEscLeavesIt) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    const QRect work = window->screen()->availableGeometry();
    DecodedPicture(640, 228);
    window->SetStatusText("before");
    window->OnCommand(CQuorrelDlg::kIdTitleFullScreen);
    DrawOnWorker();
    EXPECT_EQ(window->geometry(), work);
    EXPECT_FALSE(window->TitleButton(0)->isVisible());
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());
    EXPECT_EQ(window->ShownFrame().size(), work.size());
    const QImage shown = GrabWindow(window.get());
    EXPECT_EQ(Pixel(shown, QPoint(0, 0)), kTop);
    EXPECT_EQ(Pixel(shown, QPoint(work.width() - 1, work.height() / 4)), kTop);
    EXPECT_EQ(Pixel(shown, QPoint(work.width() / 2, work.height() * 3 / 4)), kBottom);
    EXPECT_EQ(Pixel(shown, QPoint(work.width() - 1, work.height() - 1)), kBottom);
    // No status text is kept in full screen.
    window->SetStatusText("in full screen");
    EXPECT_EQ(window->StatusText(), "before");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    Settle();
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_EQ(window->size(), QSize(722, 608));
    EXPECT_TRUE(window->TitleButton(0)->isVisible());
    EXPECT_TRUE(window->PanelOpenButton()->isVisible());
}

TEST_F(MainWindowFrameTest, RateTextsEveryTwoSecondsOnTheTestClock) {
    ASSERT_EQ(OpenWindow({.product = "P62K", .firmware = "1010"}), 1);
    ormidon::TestClock clock(10000);
    ormidon::ScopedClockOverride useClock(clock);
    DecodedPicture(352, 240);
    app.dw_StreamStartTick = clock.TickCount();
    app.dw_LastShownFrames = 100;
    app.dw_ShownFrames = 150;
    app.dw_ReceivedBytes = 2'500'000;

    clock.Advance(1999);
    DrawOnWorker();
    EXPECT_EQ(window->StatusText(), "Start to get image!!");
    clock.Advance(1);
    DrawOnWorker();
    EXPECT_EQ(window->StatusText(), "FR:25.00 fps DR:9765 kbps ");
    EXPECT_EQ(app.dw_ReceivedBytes, 0u);
    EXPECT_EQ(app.dw_LastShownFrames, 150u);

    // While the video is lost the status says so; the rates are still taken.
    app.f_VideoLoss = 1;
    app.dw_ShownFrames = 160;
    clock.Advance(2000);
    DrawOnWorker();
    EXPECT_EQ(window->StatusText(), "Video Loss!");
    EXPECT_EQ(app.dw_LastShownFrames, 160u);
}

TEST_F(MainWindowFrameTest, AlarmTextNamesTheLowestAlarmingChannel) {
    ASSERT_EQ(OpenWindow(), 1);
    DecodedPicture(640, 228);
    const struct {
        uint16_t bits;
        const char* text;
    } cases[] = {{0x0006, "2"}, {0x8000, "16"}, {0, ""}};
    for (const auto& c : cases) {
        app.m_RTPH_Struct.m_wAlarmData = c.bits;
        DrawOnWorker();
        EXPECT_EQ(window->AlarmText(), c.text) << c.bits;
    }
}

// The frame as drawn (lines doubled, with the hot-point marker) goes to the motion
// preview and to a snapshot; a snapshot that cannot be written is reported.
TEST_F(MainWindowFrameTest, FrameCopySnapshotAndHotPointMarker) {
    ASSERT_EQ(OpenWindow(), 1);
    DecodedPicture(640, 228);
    app.by_HotPointMode = 2;
    app.w_HotPointMarkFrames = 2;
    app.w_HotPointMarkX = 320;
    app.w_HotPointMarkY = 228;
    app.f_CopyImageRequest = 1;
    app.CSettingINI.m_strSnapshotPath = programFolder.path().string();
    app.f_SnapshotRequest = 1;
    DrawOnWorker();
    EXPECT_EQ(app.w_HotPointMarkFrames, 1);
    EXPECT_EQ(app.f_CopyImageRequest, 0);
    EXPECT_TRUE(app.h_CopyImageReadySem.Wait(0));
    EXPECT_EQ(app.w_CopyImageWidth, 640);
    EXPECT_EQ(app.w_CopyImageHeight, 456);
    // The marker is red in the copy as in the window.
    const uint8_t* centre = app.lp_CopyImageBuffer.get() + (size_t(228) * 640 + 320) * 3;
    EXPECT_EQ(centre[2], 0xFF);
    EXPECT_EQ(qRed(window->ShownFrame().pixel(320, 228)), 0xFF);
    EXPECT_EQ(app.f_SnapshotRequest, 0);
    size_t snapshots = 0;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder.path())) {
        if (entry.path().extension() == ".jpg") ++snapshots;
    }
    EXPECT_EQ(snapshots, 1u);

    app.CSettingINI.m_strSnapshotPath = (programFolder / "missing" / "folder").string();
    app.f_SnapshotRequest = 1;
    DrawOnWorker();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4116});
}

// A picture the compose thread decoded straight into the screen image is shown from that
// image without a copy. The marker, the frame copy and the snapshot asked for after it was
// decoded still get it as the decoded picture; pictures that are doubled or fitted, and
// pictures decoded while a marker or a copy waits, are not offered the screen image.
TEST_F(MainWindowFrameTest, PictureDecodedIntoTheScreenImageIsShownAsItIs) {
    ASSERT_EQ(OpenWindow(), 1);
    constexpr int kWidth = 704, kHeight = 480;
    const size_t pictureBytes = size_t(kWidth) * kHeight * 3;
    auto decodeIntoScreen = [&](QRgb top, QRgb bottom) -> const uint8_t* {
        const LiveView::ScreenRows rows = window->ScreenRowsFor(kWidth, kHeight);
        EXPECT_GE(rows.bytes.size(), size_t(rows.bytesPerLine) * kHeight);
        if (rows.bytes.size() < size_t(rows.bytesPerLine) * kHeight) return nullptr;
        for (int y = 0; y < kHeight; ++y) {
            const QRgb colour = y < kHeight / 2 ? top : bottom;
            uint8_t* row = rows.bytes.data() + size_t(y) * size_t(rows.bytesPerLine);
            for (int x = 0; x < kWidth; ++x) std::memcpy(row + 4 * x, &colour, 4);
        }
        // The decoded slot holds nothing of this picture.
        std::memset(app.lp_RGBBuffer.get(), 0x55, pictureBytes);
        app.lp_CurrentImage = app.lp_RGBBuffer.get();
        app.w_ImageWidth = kWidth;
        app.w_ImageHeight = kHeight;
        app.f_VideoServerConnected = 1;
        app.f_PictureInScreenImage = 1;
        return rows.bytes.data();
    };

    const uint8_t* rows = decodeIntoScreen(kTop, kBottom);
    ASSERT_NE(rows, nullptr);
    DrawOnWorker();
    EXPECT_EQ(app.f_PictureInScreenImage, 0);
    EXPECT_EQ(window->ShownFrame().constBits(), rows);
    EXPECT_EQ(Pixel(window->ShownFrame(), {0, 0}), kTop);
    EXPECT_EQ(Pixel(window->ShownFrame(), {kWidth - 1, kHeight - 1}), kBottom);
    EXPECT_EQ(app.lp_RGBBuffer[pictureBytes - 1], 0x55);

    ASSERT_NE(decodeIntoScreen(kBottom, kTop), nullptr);
    app.by_HotPointMode = 2;
    app.w_HotPointMarkFrames = 1;
    app.w_HotPointMarkX = kWidth / 2;
    app.w_HotPointMarkY = kHeight / 2;
    app.f_CopyImageRequest = 1;
    app.CSettingINI.m_strSnapshotPath = programFolder.path().string();
    app.f_SnapshotRequest = 1;
    DrawOnWorker();
    EXPECT_EQ(app.w_HotPointMarkFrames, 0);
    EXPECT_TRUE(app.h_CopyImageReadySem.Wait(0));
    ASSERT_EQ(app.w_CopyImageWidth, kWidth);
    ASSERT_EQ(app.w_CopyImageHeight, kHeight);
    // The copy is the picture bottom-up in blue-green-red, marker included.
    const uint8_t* copy = app.lp_CopyImageBuffer.get();
    EXPECT_EQ(copy[0], qBlue(kTop));  // the last row, drawn kTop, comes first
    EXPECT_EQ(copy[pictureBytes - 1], qRed(kBottom));
    EXPECT_EQ(copy[(size_t(kHeight / 2) * kWidth + kWidth / 2) * 3 + 2], 0xFF);
    EXPECT_EQ(qRed(window->ShownFrame().pixel(kWidth / 2, kHeight / 2)), 0xFF);
    EXPECT_EQ(Pixel(window->ShownFrame(), {0, 0}), kBottom);
    size_t snapshots = 0;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder.path())) {
        if (entry.path().extension() == ".jpg") ++snapshots;
    }
    EXPECT_EQ(snapshots, 1u);

    EXPECT_TRUE(window->ScreenRowsFor(640, 228).bytes.empty()) << "a field has its lines doubled";
    app.w_HotPointMarkFrames = 1;
    EXPECT_TRUE(window->ScreenRowsFor(kWidth, kHeight).bytes.empty());
    app.w_HotPointMarkFrames = 0;
    app.f_CopyImageRequest = 1;
    EXPECT_TRUE(window->ScreenRowsFor(kWidth, kHeight).bytes.empty());
    app.f_CopyImageRequest = 0;
    window->OnCommand(CQuorrelDlg::kIdTitleFullScreen);
    EXPECT_TRUE(window->ScreenRowsFor(kWidth, kHeight).bytes.empty());
}

TEST_F(MainWindowFrameTest, NothingIsDrawnWithoutAVideoServer) {
    ASSERT_EQ(OpenWindow(), 1);
    DecodedPicture(640, 228);
    app.f_VideoServerConnected = 0;
    app.h_FinishShowImageJobEvent.Reset();
    window->DrawFrame();
    EXPECT_FALSE(app.h_FinishShowImageJobEvent.Wait(0));
    EXPECT_TRUE(window->ShownFrame().isNull());
}

TEST_F(MainWindowFrameTest, StatusCodesFromTheReLogin) {
    ASSERT_EQ(OpenWindow(), 1);
    const struct {
        ormidon::WParam wParam;
        ormidon::LParam code;
        const char* text;
    } cases[] = {
        {125, kStatusElapsed, "ESCAPED TIME:  02:05"},
        {0, kStatusLoginStart, "Start login"},
        {0, 2, "Server is too busy!! Try later !!"},
        {0, kStatusLoginFailed, "Login process is failed,wait a moment !!"},
        {0, 4, "Login process is failed,wait a moment !!"},  // 4 changes nothing
        {0, kStatusTooManyUsers,
         "System relogin too many user.Wait for 40 sec!!\nApplication will try again."},
    };
    for (const auto& c : cases) {
        ormidon::PostWindowMessage(window->Handle(), WM_SHOWSTATUS, c.wParam, c.code);
        Settle(10);
        EXPECT_EQ(window->StatusText(), c.text) << c.code;
    }
}

TEST_F(MainWindowFrameTest, OverlayShowsTheIpWhileThePointerRestsOnIt) {
    ASSERT_EQ(OpenWindow({.product = "P62K", .firmware = "1010"}), 1);
    app.dw_MouseX = 700;
    app.dw_MouseY = 300;
    ormidon::PostWindowMessage(window->Handle(), WM_REDRAWDATETIME);
    Settle(10);
    EXPECT_EQ(app.f_ShowFrameTime, 1);
    app.dw_MouseX = 542 + 120;  // the overlay's bounds count as on it
    app.dw_MouseY = 7;
    ormidon::PostWindowMessage(window->Handle(), WM_REDRAWDATETIME);
    Settle(10);
    EXPECT_EQ(app.f_ShowFrameTime, 0);
}

TEST_F(MainWindowFrameTest, EnterAndEscapeLeaveTheWindowOpen) {
    ASSERT_EQ(OpenWindow(), 1);
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
    }
    Settle(10);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(std::filesystem::exists(programFolder / "Setting.ini"));
}

TEST_F(MainWindowFrameTest, AnyClickSilencesTheAlarmSound) {
    ASSERT_EQ(OpenWindow(), 1);
    app.f_AlarmWavPlaying = 1;
    CVtxButton* button = window->TitleButton(1);
    const QPointF inside(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, inside, button->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    EXPECT_EQ(app.f_AlarmWavPlaying, 0);
    EXPECT_TRUE(app.h_StopAlarmWavEvent.Wait(0));
}

// Closing stops every thread of the record, saves the settings and ends the window;
// the window manager's close takes the same path.
TEST_F(MainWindowFrameTest, CloseStopsTheThreadsAndSavesTheSettings) {
    for (bool byWindowManager : {false, true}) {
        SCOPED_TRACE(byWindowManager ? "window manager" : "close button");
        std::filesystem::remove(programFolder / "Setting.ini");
        ASSERT_TRUE(InitProcessResource());
        ASSERT_TRUE(InitLoginResource());
        ASSERT_EQ(OpenWindow(), 1);
        ASSERT_TRUE(app.h_Process_KernelMessageThread.IsRunning());
        if (byWindowManager) {
            window->close();
        } else {
            window->TitleButton(2)->click();
        }
        Settle(10);
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(app.h_Process_KernelMessageThread.IsOccupied());
        EXPECT_FALSE(app.h_ConnectionThread.IsOccupied());
        EXPECT_EQ(app.lp_MainDialog.load(), nullptr);
        EXPECT_TRUE(std::filesystem::exists(programFolder / "Setting.ini"));
        window.reset();
    }
}

}  // namespace
