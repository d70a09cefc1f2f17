#include "net/FrameCompose.h"

#include <algorithm>
#include <cstring>

#include "core/AppObject.h"
#include "core/LiveView.h"
#include "net/LiveRecording.h"
#include "platform/WaitAny.h"

namespace {

// The picture size and channel told to the window last, so each change is told once.
struct ToldWindow {
    uint16_t width = 0;
    uint16_t height = 0;
    int channel = -1;
};

void TellWindow(CAppObject& app, ToldWindow& told, uint8_t channel) {
    LiveView* view = app.lp_MainDialog;
    if (view == nullptr) return;
    const uint16_t width = app.w_ImageWidth;
    const uint16_t height = app.w_ImageHeight;
    if (width != told.width || height != told.height) {
        view->SetImageSize(width, height);
        told.width = width;
        told.height = height;
    }
    if (channel != told.channel) {
        view->SelectChannel(channel);
        told.channel = channel;
    }
}

// Decodes a frame for showing. A window that shows the picture as it is takes it straight
// into its screen image, upright in the screen's pixel format, which spares the drawing a
// conversion; otherwise, and whenever the picture would not fit the decoded slot that the
// drawing may still need, it goes into the slot. Only with a single decoded slot: the
// compose thread then never decodes while a drawing runs.
bool DecodePicture(CAppObject& app, ormidon::JpegCodec& codec, std::span<const uint8_t> jpeg,
                   std::span<uint8_t> picture, uint16_t& width, uint16_t& height) {
    app.f_PictureInScreenImage = 0;
    LiveView* view = app.lp_MainDialog;
    int w = 0;
    int h = 0;
    if (view != nullptr && app.w_JPEGImageBufferCount == 1 && codec.ReadSize(jpeg, w, h) &&
        w <= 0xFFFF && h <= 0xFFFF && ormidon::BgrPictureBytes(w, h) != 0 &&
        ormidon::BgrPictureBytes(w, h) <= picture.size()) {
        const LiveView::ScreenRows rows =
            view->ScreenRowsFor(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
        if (!rows.bytes.empty()) {
            width = static_cast<uint16_t>(w);
            height = static_cast<uint16_t>(h);
            if (codec.DecodeUpright32(jpeg, rows.bytes, rows.bytesPerLine, w, h) !=
                ormidon::JpegDecodeStatus::Decoded) {
                return false;
            }
            app.f_PictureInScreenImage = 1;
            return true;
        }
    }
    return DecodeJpegImage(codec, jpeg, picture, &width, &height) != 0;
}

uint16_t Next(uint16_t index, uint16_t count) {
    return static_cast<uint16_t>(count == 0 ? 0 : (index + 1) % count);
}

// One filled socket slot, from taking it to giving it back. False when the thread is to end.
bool ComposeFrame(CAppObject& app, ormidon::JpegCodec& codec, ToldWindow& told,
                  const std::stop_token& stop) {
    const uint16_t slot = app.w_SocketBufferReadIndex;
    const FrameInfo_Struct info = app.lp_FrameHeaderBuffer[slot];
    // The reader never fills more than a slot; the bound keeps this copy safe regardless.
    const uint32_t length = std::min(info.dwPayloadLength, kSocketSlotSize);
    const uint16_t copyIndex = app.w_HalvoMp4DecodeIndex;
    uint8_t* jpeg = app.lp_JpegBuffer.get() + std::size_t{copyIndex} * kImageBufferSize;
    // Copied also for video loss: recording then gets this frame's own bytes.
    std::memcpy(jpeg, app.lp_SocketBuffer.get() + std::size_t{slot} * kSocketSlotSize, length);
    app.w_SocketBufferReadIndex = Next(slot, app.w_SocketBufferCount);

    const ormidon::WaitResult free = ormidon::WaitAny(
        {&app.h_EndofGetJpegImageEvent, &app.h_JPEGImageBufferFreeSem}, ormidon::kInfinite, stop);
    if (free.status != ormidon::WaitStatus::Signalled || free.index == 0) return false;

    const uint16_t pictureIndex = app.w_RGBBufferWriteIndex;
    const std::span<uint8_t> picture(
        app.lp_RGBBuffer.get() + std::size_t{pictureIndex} * kImageBufferSize, kImageBufferSize);
    bool decoded = false;
    if (info.byVideoLoss == 0) {
        app.f_VideoLoss = 0;
        uint16_t width = app.w_ImageWidth;
        uint16_t height = app.w_ImageHeight;
        decoded = DecodePicture(app, codec, std::span<const uint8_t>(jpeg, length), picture, width,
                                height);
        app.w_ImageWidth = width;
        app.w_ImageHeight = height;
    } else {
        app.f_VideoLoss = 1;
        app.f_PictureInScreenImage = 0;
        uint16_t width = 0;
        uint16_t height = 0;
        VideoLossPictureSize(info.byResolution, app.by_VideoMode, width, height);
        app.w_ImageWidth = width;
        app.w_ImageHeight = height;
        std::memset(picture.data(), 0, ormidon::BgrPictureBytes(width, height));
        decoded = true;
    }
    TellWindow(app, told, info.byLiveChannel);

    if (decoded) {
        if (LiveRecording* recording = GetLiveRecording()) {
            recording->FeedRecordFrame(std::span<const uint8_t>(jpeg, length), info.dwTimeStamp,
                                       info.byVideoLoss);
        }
        app.w_RGBBufferWriteIndex = Next(pictureIndex, app.w_JPEGImageBufferCount);
        app.h_JPEGImageBufferRelSem.Release();
    } else {
        app.h_JPEGImageBufferFreeSem.Release();  // the frame is dropped; the slot is free again
    }
    app.w_HalvoMp4DecodeIndex = Next(copyIndex, app.w_JPEGImageBufferCount);
    app.h_SocketBufferFreeSem.Release();
    return true;
}

}  // namespace

int DecodeJpegImage(ormidon::JpegCodec& codec, std::span<const uint8_t> jpeg,
                    std::span<uint8_t> destination, uint16_t* width, uint16_t* height) {
    int w = 0;
    int h = 0;
    const ormidon::JpegDecodeStatus status = codec.Decode(jpeg, destination, w, h);
    if (w > 0 && h > 0 && w <= 0xFFFF && h <= 0xFFFF) {
        *width = static_cast<uint16_t>(w);
        *height = static_cast<uint16_t>(h);
    }
    return status == ormidon::JpegDecodeStatus::Decoded ? 1 : 0;
}

void VideoLossPictureSize(uint8_t resolution, uint8_t videoMode, uint16_t& width,
                          uint16_t& height) {
    width = resolution == 0 ? 640 : 320;
    height = videoMode == 0 ? 228 : 276;
}

void Jpeg_Compose_Image_Data_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    ormidon::JpegCodec codec;
    ToldWindow told;
    for (;;) {
        const ormidon::WaitResult filled = ormidon::WaitAny(
            {&app.h_EndofGetJpegImageEvent, &app.h_SocketBufferFullSem}, ormidon::kInfinite, stop);
        if (filled.status != ormidon::WaitStatus::Signalled || filled.index == 0) return;
        if (!ComposeFrame(app, codec, told, stop)) return;
    }
}
