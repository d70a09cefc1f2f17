#include "core/RebuildThreads.h"

#include "core/AppObject.h"
#include "core/AppResources.h"

void Process_Terminate_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    while (app.h_Process_Notify_TerminateEvent.Wait(ormidon::kInfinite, stop)) {
        app.f_VideoServerConnected = 0;
        app.dw_LifeTime = kUnlimitedLifeTime;
        app.h_EndofShowImageEvent.Set();
        app.h_EndofGetJpegImageEvent.Set();
        app.h_EndConnectionThreadEvent.Set();
        const bool stopped = ExitLoginResource();
        const bool freed = FreeSemaphore();
        app.f_ProcessTerminateSucceeded = stopped && freed;
        app.h_Process_Reply_TerminateEvent.Set();
    }
}

void Process_Init_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    while (app.h_Process_Notify_InitEvent.Wait(ormidon::kInfinite, stop)) {
        ResetSlotIndexes(app);
        const bool built = InitialSemaphore() && InitLoginResource();
        if (built) {
            app.h_NotifyGetJPEGImageThreadResetEvent.Reset();
            app.h_EndofShowImageEvent.Reset();
        }
        app.f_ProcessInitSucceeded = built;
        app.h_Process_Reply_InitEvent.Set();
    }
}
