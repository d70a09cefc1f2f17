// Painting the main window: the skin's background and status bar, the last frame, the
// status, information and alarm texts with their icons, the overlay on the title bar
// and the sunken frame around the picture. In full screen only the frame is painted.
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <string>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/ServerAddress.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/FrameTexts.h"
#include "platform/window/SkinnedWindow.h"

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

// Draws `text` with its top-left corner at (x, y).
void DrawTextAt(QPainter& painter, int x, int y, const std::string& text) {
    painter.drawText(QRect(x, y, 1000, 40), kTextFlags, QString::fromStdString(text));
}

ormidon::LocalTime FrameTimeOf(CAppObject& app) {
    std::lock_guard lock(app.m_FrameTimeLock);
    return app.st_FrameTime;
}

QFont StatusFont() {
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    // Where Arial itself is missing, a narrower face keeps the texts within the places
    // the layout gives them.
    font.setStretch(QFont::SemiCondensed);
    return font;
}

}  // namespace

void CQuorrelDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // A new frame repaints only the picture's place. Where the picture covers all that is to
    // be painted, nothing else shows there (the texts, icons and the sunken frame lie outside
    // the video rectangle), so only the picture is painted. Elsewhere the window's background
    // goes first, as the window paints opaquely (Qt does not fill it beforehand).
    if (event->region().subtracted(QRegion(ShownFrameArea())).isEmpty()) {
        PaintFrame(painter);
        return;
    }
    painter.fillRect(event->rect(), palette().brush(backgroundRole()));
    if (m_bFullScreen) {
        PaintFrame(painter);
        return;
    }
    if (!g_lpApp || !m_bInitialised) return;
    const uint16_t mode = g_lpApp->w_DisplayMode;
    const LayoutMode_Struct& row = LayoutOfMode(mode);
    const size_t slot = mode % 6;
    if (m_bPanelOpen) {
        ormidon::DrawStretched(painter, m_hBackgroundPanel[slot], row.rcWindowPanel.ToQRect());
    } else {
        ormidon::DrawStretched(painter, m_hBackground[slot], row.rcBackground.ToQRect());
    }
    ormidon::DrawStretched(painter, m_hStatusBar[slot], row.rcStatus.ToQRect());
    PaintFrame(painter);
    painter.setFont(StatusFont());
    PaintStatusBar(painter, row);
    PaintOverlay(painter, row);
    PaintSunkenFrame(painter, row.rcVideo);
}

QRect CQuorrelDlg::ShownFrameArea() const {
    const ScreenFrames::Shown shown = m_screenFrames.Current();
    const bool fullScreen = m_bFullScreen != 0;
    if (shown.image.isNull() || shown.fullScreen != fullScreen) return {};
    if (fullScreen) return shown.image.rect();
    if (!g_lpApp || !m_bInitialised) return {};
    const QRect video = Layout().rcVideo.ToQRect();
    return video.intersected(QRect(video.topLeft(), shown.image.size()));
}

void CQuorrelDlg::PaintFrame(QPainter& painter) {
    const ScreenFrames::Shown shown = m_screenFrames.Current();
    const QImage& frame = shown.image;
    const bool frameFullScreen = shown.fullScreen;
    // A frame composed for the other presentation waits for the next one.
    if (frame.isNull() || frameFullScreen != (m_bFullScreen != 0)) return;
    if (frameFullScreen) {
        painter.drawImage(0, 0, frame);
        return;
    }
    // Shown 1:1 at the picture's place; a picture larger than the place is cut to it.
    const QRect video = Layout().rcVideo.ToQRect();
    painter.drawImage(video.topLeft(), frame, QRect(QPoint(0, 0), video.size()));
}

void CQuorrelDlg::PaintStatusBar(QPainter& painter, const LayoutMode_Struct& row) {
    std::string status, info, alarm;
    {
        std::lock_guard lock(m_textLock);
        status = m_strStatus;
        info = m_strInfoText;
        alarm = m_strAlarmText;
    }
    const LayoutRect& icon = row.rcStatusIcon;
    painter.setPen(Qt::black);
    DrawTextAt(painter, row.rcStatus.left + 5, row.rcStatus.top + 2, status);
    if (!info.empty()) DrawTextAt(painter, row.rcStatus.left + 160, row.rcStatus.top + 2, info);
    if (!alarm.empty()) {
        ormidon::DrawStretched(painter, m_hAlarmIcon,
                               QRect(icon.left - 34, icon.top, icon.Width(), icon.Height()));
        painter.setPen(Qt::red);
        DrawTextAt(painter, icon.right - 30, icon.top + 2, alarm);
    }
    // While the rates show, the number of users on the device shows beside them.
    if (status.starts_with("FR")) {
        ormidon::DrawStretched(painter, m_hOnlineUserIcon, icon.ToQRect());
        const int users = g_lpApp->m_RTPH_Struct.LastFrameInfo().byOnlineUserCount;
        painter.setPen(Qt::black);
        DrawTextAt(painter, icon.right + 4, icon.top + 2, std::to_string(users));
    }
}

void CQuorrelDlg::PaintOverlay(QPainter& painter, const LayoutMode_Struct& row) {
    CAppObject& app = *g_lpApp;
    const OverlayText overlay =
        ChooseOverlayText(IsP5xKModel() != 0, app.f_ShowFrameTime != 0, app.str_SystemName.Get(),
                          GetServerName(), FrameTimeOf(app));
    if (overlay.text.empty()) return;
    painter.setPen(overlay.colour);
    DrawTextAt(painter, row.overlayOrigin.x(), row.overlayOrigin.y(), overlay.text);
}

// Two shadowed lines on the top and left and two light ones on the bottom and right, so
// the picture sits sunk into the window.
void CQuorrelDlg::PaintSunkenFrame(QPainter& painter, const LayoutRect& video) {
    const int l = video.left, t = video.top, r = video.right, b = video.bottom;
    painter.setPen(QColor(0, 0, 0));
    painter.drawLine(l - 2, t - 2, r + 2, t - 2);
    painter.drawLine(l - 2, t - 2, l - 2, b + 2);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    painter.drawLine(l - 1, t - 1, r + 1, t - 1);
    painter.drawLine(l - 1, t - 1, l - 1, b + 1);
    painter.setPen(QColor(0x66, 0x66, 0x66));
    painter.drawLine(r, b, r, t - 1);
    painter.drawLine(r, b, l - 1, b);
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawLine(r + 1, b + 1, r + 1, t - 2);
    painter.drawLine(r + 1, b + 1, l - 2, b + 1);
}
