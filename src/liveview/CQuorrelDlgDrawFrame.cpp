// The frame drawing: runs on the kernel message thread for every paced frame. It
// composes the picture (lines doubled, or fitted to the screen in full screen) into the
// window's screen image that is not shown and then shows that one, serves the snapshot and
// frame-copy requests, and keeps the alarm, information and rate texts of the status bar.
#include <cstdlib>
#include <cstring>
#include <span>

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/CrossMarker.h"
#include "core/DeviceIdentity.h"
#include "core/Snapshot.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/FramePicture.h"
#include "liveview/FrameTexts.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kMsgSnapshotFailed = 4116;
// Red in the picture's blue-green-red byte order.
constexpr uint32_t kHotPointMarkerColour = 0xFF0000;

// The current decoded frame; empty when its size does not fit the decoded slot.
BgrPicture CurrentPicture(CAppObject& app) {
    BgrPicture picture{app.lp_CurrentImage.load(), app.w_ImageWidth, app.w_ImageHeight};
    if (picture.IsEmpty() || picture.Bytes() > kImageBufferSize) return {};
    return picture;
}

bool HotPointMarkerDue(const CAppObject& app) {
    return app.by_HotPointMode == 2 && app.w_HotPointMarkFrames > 0;
}

bool LinesDoubled(const CAppObject& app, int width, int height) {
    return app.lp_ResizeBuffer &&
           ShouldDoubleLines(width, height, IsT18DModel(), kResizeBufferSize);
}

// Whether the drawing composes the screen image from the decoded picture (fitted to the
// screen, lines doubled, the marker drawn into it) rather than showing it as it is.
bool ComposedFromPicture(const CAppObject& app, bool fullScreen, int width, int height) {
    return fullScreen || HotPointMarkerDue(app) || LinesDoubled(app, width, height);
}

}  // namespace

LiveView::ScreenRows CQuorrelDlg::ScreenRowsFor(uint16_t width, uint16_t height) {
    if (!g_lpApp) return {};
    const CAppObject& app = *g_lpApp;
    // The frame copy, like the composing, starts from the decoded picture.
    if (ComposedFromPicture(app, m_bFullScreen != 0, width, height) ||
        app.f_CopyImageRequest != 0) {
        return {};
    }
    // No drawing runs now, so the image the next drawing shows is free to be written.
    QImage& screen = m_screenFrames.Back();
    if (!SizeScreenImage(screen, width, height)) return {};
    return {std::span<uint8_t>(screen.bits(), static_cast<size_t>(screen.sizeInBytes())),
            static_cast<int>(screen.bytesPerLine())};
}

void CQuorrelDlg::DrawFrame() {
    if (!g_lpApp) return;
    CAppObject& app = *g_lpApp;
    if (!app.f_VideoServerConnected) return;

    BgrPicture picture = CurrentPicture(app);
    const bool fullScreen = m_bFullScreen != 0;
    // A picture decoded straight into the screen image is shown as it is. Whatever acts on
    // the picture itself gets it back into the decoded slot first: the composing from the
    // image about to be written, the frame copy and the snapshot from the image just shown.
    // An image that does not match the slot gives no picture.
    bool inScreenImage = app.f_PictureInScreenImage.exchange(0) != 0;
    auto pictureFromScreenImage = [&](const QImage& image) {
        if (!inScreenImage) return;
        inScreenImage = false;
        if (!ScreenImageToPicture(image, picture)) picture = {};
    };
    if (inScreenImage && ComposedFromPicture(app, fullScreen, picture.width, picture.height)) {
        pictureFromScreenImage(m_screenFrames.Back());
    }

    if (inScreenImage) {
        HandOverFrame(false);
    } else {
        ComposeScreenImage(app, picture, fullScreen);
    }

    // The motion preview of the settings asked for a copy of the frame as drawn.
    if (app.f_CopyImageRequest && app.lp_CopyImageBuffer) {
        pictureFromScreenImage(m_screenFrames.Current().image);
        if (!picture.IsEmpty() && picture.Bytes() <= kImageBufferSize) {
            app.w_CopyImageWidth = static_cast<uint16_t>(picture.width);
            app.w_CopyImageHeight = static_cast<uint16_t>(picture.height);
            std::memcpy(app.lp_CopyImageBuffer.get(), picture.pixels, picture.Bytes());
            app.f_CopyImageRequest = 0;
            app.h_CopyImageReadySem.Release(1);
        }
    }
    if (app.f_SnapshotRequest.exchange(0) != 0) {
        pictureFromScreenImage(m_screenFrames.Current().image);
        const std::span<const uint8_t> bytes(picture.pixels, picture.pixels ? picture.Bytes() : 0);
        if (!SaveSnapshot(app.CSettingINI.m_strSnapshotPath, bytes, picture.width,
                          picture.height)) {
            ormidon::PostWindowMessage(Handle(), WM_SHOWMESSAGEID, kMsgSnapshotFailed, 0);
        }
    }
    UpdateStatusTexts(app);
    app.h_FinishShowImageJobEvent.Set();
}

// Composes the decoded picture into the screen image that is not shown (lines doubled, or
// fitted to the work area in full screen, the hot-point marker drawn) and shows it.
void CQuorrelDlg::ComposeScreenImage(CAppObject& app, BgrPicture& picture, bool fullScreen) {
    if (!picture.IsEmpty() && LinesDoubled(app, picture.width, picture.height)) {
        picture = DoubleLines(picture, app.lp_ResizeBuffer.get());
    }
    QImage& screen = m_screenFrames.Back();
    bool drawn = false;
    if (fullScreen) {
        if (m_bFullScreenPending.exchange(0) != 0) {
            RunOnWindowThread([this] { EnterFullScreenLayout(); });
        }
        drawn = ToScreenImage(
            FitToArea(picture, m_rcWork.size(), app.lp_DisplayBuffer.get(), m_displayBufferSize),
            screen);
    } else {
        if (HotPointMarkerDue(app) && !picture.IsEmpty()) {
            DrawCrossMarker(picture.pixels, static_cast<uint16_t>(picture.width),
                            static_cast<uint16_t>(picture.height), kHotPointMarkerColour, 2,
                            app.w_HotPointMarkX, app.w_HotPointMarkY, 0, 0);
            --app.w_HotPointMarkFrames;
        }
        drawn = ToScreenImage(picture, screen);
    }
    // A frame that gives no picture shows none.
    if (!drawn) screen = QImage();
    HandOverFrame(fullScreen);
}

void CQuorrelDlg::HandOverFrame(bool fullScreen) {
    m_screenFrames.Show(fullScreen);
    // One repaint request at a time: a slow UI thread paints the newest frame once.
    if (m_frameRepaintPosted.exchange(true)) return;
    RunOnWindowThread([this] {
        m_frameRepaintPosted = false;
        if (m_bFullScreen) {
            update();
        } else {
            update(Layout().rcVideo.ToQRect());
        }
    });
}

QImage CQuorrelDlg::ShownFrame() const { return m_screenFrames.Current().image; }

void CQuorrelDlg::UpdateStatusTexts(CAppObject& app) {
    const uint32_t now = ormidon::TickCount();
    const uint32_t elapsed = now - app.dw_StreamStartTick;
    const std::string alarm = AlarmChannelText(app.m_RTPH_Struct.m_wAlarmData);
    bool alarmChanged = false;
    {
        std::lock_guard lock(m_textLock);
        alarmChanged = alarm != m_strAlarmText;
        m_strAlarmText = alarm;
    }
    if (static_cast<int32_t>(elapsed) < static_cast<int32_t>(kRateIntervalMs)) {
        if (alarmChanged) RepaintStatus();
        return;
    }

    const uint32_t mark = app.dw_ShownFrames;
    app.dw_ShownFramesMark = mark;
    const auto frames =
        static_cast<uint32_t>(std::abs(static_cast<int32_t>(mark - app.dw_LastShownFrames)));
    app.dw_LastShownFrames = mark;
    // Taking the byte count and restarting it in one step loses no bytes that the fetch
    // thread adds meanwhile.
    const uint64_t bytes = app.dw_ReceivedBytes.exchange(0);
    app.dw_StreamStartTick = now;
    const RateTexts rates = ComputeRateTexts(frames, bytes, elapsed);

    if (IsP5xKModel()) ormidon::PostWindowMessage(Handle(), WM_REDRAWDATETIME, 0, 0);
    const std::string info = HuInfoText(app.m_RTPH_Struct.LastFrameInfo().szHUText);
    {
        std::lock_guard lock(m_textLock);
        m_strFrameRate = rates.frameRate;
        m_strDataRate = rates.dataRate;
        m_strInfoText = info;
    }
    SetStatusText(app.f_VideoLoss ? std::string("Video Loss!") : rates.frameRate + rates.dataRate);
}

int CQuorrelDlg::OnUpdateOverlayRect() {
    if (m_bFullScreen || !g_lpApp) return 1;
    const LayoutRect overlay = Layout().OverlayRect();
    const bool pointerOnOverlay = overlay.ContainsInclusive(static_cast<int>(g_lpApp->dw_MouseX),
                                                            static_cast<int>(g_lpApp->dw_MouseY));
    g_lpApp->f_ShowFrameTime = pointerOnOverlay ? 0 : 1;
    // The texts may run past the overlay's nominal rectangle.
    update(QRect(overlay.left, overlay.top, 2 * overlay.Width(), overlay.Height() + 2));
    return 1;
}
