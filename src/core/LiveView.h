#pragma once
// What the engine's threads need of the main window. The engine never touches a
// widget: the window implements this interface and does the work on its own thread
// (or, for the frame drawing, composes into its image buffer on the calling thread).
// Every method may be called from any worker thread.
#include <cstdint>
#include <span>
#include <string_view>

class LiveView {
  public:
    virtual ~LiveView() = default;

    // Draws the current decoded frame (lp_CurrentImage, or the screen image when
    // f_PictureInScreenImage says the picture went there) and sets
    // h_FinishShowImageJobEvent when done. Runs on the kernel message thread.
    virtual void DrawFrame() = 0;

    // Upright rows of 32-bit pixels (blue, green, red, unused) that the next picture of
    // width x height may be decoded into, so that the drawing has nothing to convert. Empty
    // when the drawing needs the decoded picture itself. From the compose thread, only while
    // no drawing runs.
    struct ScreenRows {
        std::span<uint8_t> bytes;
        int bytesPerLine = 0;
    };
    virtual ScreenRows ScreenRowsFor(uint16_t /*width*/, uint16_t /*height*/) { return {}; }
    // The status line of the main window.
    virtual void SetStatusText(std::string_view text) = 0;
    // Empties the frame-rate and data-rate overlay texts.
    virtual void ClearOverlayTexts() = 0;
    // Empties the alarm-channel overlay text.
    virtual void ClearAlarmChannelText() = 0;
    // Sets the function-bar buttons whose action has any bit of `actionMask`.
    virtual void SetFunctionButtonState(uint32_t actionMask, int state) = 0;
    // Sets the PTZ-control button (control 8312) of the remote panel, when it exists.
    virtual void SetPtzControlButtonState(int state) = 0;
    // After a login: lays the remote panel out for the device, arranges the controls
    // and repaints the whole window.
    virtual void RefreshRemotePanel() = 0;
    virtual void ArrangeControls() = 0;
    virtual void InvalidateWindow() = 0;

    // From the compose thread, when the decoded picture's size or the channel the stream
    // shows changes: CImageSize::SetImageSize and CChannelBar::SelectChannel, which the
    // window carries out on its own thread.
    virtual void SetImageSize(uint16_t /*width*/, uint16_t /*height*/) {}
    virtual void SelectChannel(uint8_t /*channel*/) {}
    // From the fetch thread, when motion asks for a channel: CChannelBar::SetChannel, whose
    // request to the device must not hold up the stream.
    virtual void RequestChannel(uint8_t /*channel*/) {}
};
