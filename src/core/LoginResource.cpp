// InitLoginResource / ExitLoginResource: the live pipeline's threads and events.
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/ConnectionThread.h"
#include "core/LivePipeline.h"

namespace {

// Stop bounds of the pipeline's threads.
constexpr uint32_t kAlarmSoundStopMs = 10;
constexpr uint32_t kConnectionStopMs = 30;
constexpr uint32_t kFetchStopMs = 2000 + 500;  // drop the connection, then end
constexpr uint32_t kComposeStopMs = 30;
constexpr uint32_t kShowStopMs = 1000;

// Stops every pipeline thread, then resets the events they used. Called with the
// resource lock held.
void StopLoginResource(CAppObject& app) {
    app.h_NotifyGetJPEGImageThreadResetEvent.Set();
    app.h_EndofShowImageEvent.Set();
    app.h_EndofGetJpegImageEvent.Set();

    StopThreadSlot(app.h_PlayAudioWavThread, kAlarmSoundStopMs, "h_PlayAudioWavThread");
    StopThreadSlot(app.h_ConnectionThread, kConnectionStopMs, "h_ConnectionThread");
    StopThreadSlot(app.h_GetJpegImageThread, kFetchStopMs, "h_GetJpegImageThread");
    StopThreadSlot(app.h_ComposeImageDataThread, kComposeStopMs, "h_ComposeImageDataThread");
    StopThreadSlot(app.h_ShowImageDataThread, kShowStopMs, "h_ShowImageDataThread");
    if (LivePipeline* pipeline = GetLivePipeline()) pipeline->StopRecorderThreads();

    // Only now that no thread of the pipeline runs are its events put back.
    for (ormidon::Event* event :
         {&app.h_StartToGetJpegImageEvent, &app.h_EndofGetJpegImageEvent,
          &app.h_StartToShowImageEvent, &app.h_EndofShowImageEvent, &app.h_FinishShowImageJobEvent,
          &app.h_StartConnectionThreadEvent, &app.h_EndConnectionThreadEvent,
          &app.h_AlarmWavDoneEvent, &app.h_StopAlarmWavEvent}) {
        event->Reset();
    }
}

}  // namespace

bool InitLoginResource() {
    CAppObject& app = *g_lpApp;
    std::lock_guard lock(app.m_ResourceLock);
    for (ormidon::Event* event :
         {&app.h_StartToGetJpegImageEvent, &app.h_EndofGetJpegImageEvent,
          &app.h_StartConnectionThreadEvent, &app.h_EndConnectionThreadEvent}) {
        event->Reset();
    }
    bool started = app.h_ConnectionThread.Start(Connection_Thread);
    for (ormidon::Event* event : {&app.h_StartToShowImageEvent, &app.h_EndofShowImageEvent,
                                  &app.h_FinishShowImageJobEvent}) {
        event->Reset();
    }
    app.by_RecordParam = 0;
    if (LivePipeline* pipeline = GetLivePipeline(); started && pipeline != nullptr) {
        started = app.h_GetJpegImageThread.Start([pipeline](std::stop_token stop) {
            pipeline->Jpeg_TCP_Get_Image_Data_Thread(std::move(stop));
        });
        started = started && app.h_ComposeImageDataThread.Start([pipeline](std::stop_token stop) {
            pipeline->Jpeg_Compose_Image_Data_Thread(std::move(stop));
        });
        started = started && app.h_ShowImageDataThread.Start([pipeline](std::stop_token stop) {
            pipeline->Jpeg_Show_Image_Data_Thread(std::move(stop));
        });
        started = started && pipeline->StartRecorderThreads();
    }
    // A half-built pipeline is taken down again, so a retry starts from nothing.
    if (!started) StopLoginResource(app);
    return started;
}

bool ExitLoginResource() {
    CAppObject* app = g_lpApp;
    if (app == nullptr) return true;
    std::lock_guard lock(app->m_ResourceLock);
    // Every thread has ended when this returns, also one that overran its bound, so the
    // caller (the window's close, a rebuild) always goes on.
    StopLoginResource(*app);
    return true;
}
