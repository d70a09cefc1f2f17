#include "net/FrameShow.h"

#include "core/AppObject.h"
#include "core/KernelMailbox.h"
#include "platform/WaitAny.h"

void Jpeg_Show_Image_Data_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    // The fetch thread starts the work when its connection starts.
    while (ormidon::WaitAny({&app.h_StartToShowImageEvent}, ormidon::kInfinite, stop).status !=
           ormidon::WaitStatus::Signalled) {
        if (stop.stop_requested()) return;
    }
    uint16_t readIndex = 0;
    for (;;) {
        const ormidon::WaitResult ready = ormidon::WaitAny(
            {&app.h_EndofShowImageEvent, &app.h_JPEGImageBufferRelSem}, ormidon::kInfinite, stop);
        if (ready.status != ormidon::WaitStatus::Signalled || ready.index == 0) return;
        app.dw_ShownFrames.fetch_add(1);
        app.lp_CurrentImage = app.lp_RGBBuffer.get() + std::size_t{readIndex} * kImageBufferSize;
        const uint16_t count = app.w_JPEGImageBufferCount;
        readIndex = static_cast<uint16_t>(count == 0 ? 0 : (readIndex + 1) % count);
        if (!PostKernelMessage(kKernelDrawFrame, 0, 0, ormidon::kInfinite, stop)) {
            // Nobody draws any more: give the picture back rather than wait for a drawing
            // that will not come.
            if (stop.stop_requested()) return;
            app.h_JPEGImageBufferFreeSem.Release();
            continue;
        }
        const ormidon::WaitResult drawn = ormidon::WaitAny(
            {&app.h_EndofShowImageEvent, &app.h_FinishShowImageJobEvent}, ormidon::kInfinite, stop);
        if (drawn.status != ormidon::WaitStatus::Signalled || drawn.index == 0) return;
        app.h_JPEGImageBufferFreeSem.Release();
    }
}
