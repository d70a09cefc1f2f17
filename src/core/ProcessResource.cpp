// InitProcessResource / ExitProcessResource: the kernel message thread and the two
// rebuild threads, with the mailbox and the events they serve.
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/ControlFile.h"
#include "core/KernelMailbox.h"
#include "core/RebuildThreads.h"

namespace {

// Stop bounds of the process threads.
constexpr uint32_t kUpgradeStopMs = 10;
constexpr uint32_t kKernelStopMs = 20;
constexpr uint32_t kReLoginStopMs = 30;
constexpr uint32_t kRebuildStopMs = 500;

void ResetProcessEvents(CAppObject& app) {
    for (ormidon::Event* event :
         {&app.h_Process_Notify_TerminateEvent, &app.h_Process_Reply_TerminateEvent,
          &app.h_Process_Notify_InitEvent, &app.h_Process_Reply_InitEvent,
          &app.h_NotifyGetJPEGImageThreadResetEvent, &app.h_FeedBackForNotifyResetEvent}) {
        event->Reset();
    }
}

}  // namespace

bool InitProcessResource() {
    CAppObject& app = *g_lpApp;
    // An empty mailbox: the slot free, nothing posted.
    while (app.h_KernelMessagePostSem.Wait(0)) {
    }
    while (app.h_KernelMessageSlotSem.Wait(0)) {
    }
    app.h_KernelMessageSlotSem.Release();
    ResetProcessEvents(app);

    if (!app.h_Process_Terminate_Thread.Start(Process_Terminate_Thread)) return false;
    if (!app.h_Process_Init_Thread.Start(Process_Init_Thread)) return false;
    app.h_KernelMailboxClosedEvent.Reset();
    if (!app.h_Process_KernelMessageThread.Start(Process_KernelMessageThread)) {
        app.h_KernelMailboxClosedEvent.Set();
        return false;
    }
    return true;
}

bool ExitProcessResource() {
    CAppObject* app = g_lpApp;
    if (app == nullptr) return true;

    // Code 6 ends the kernel message thread once it finished its current code; a
    // mailbox that stays taken is not waited for beyond the thread's own bound.
    if (app->h_Process_KernelMessageThread.IsOccupied()) {
        PostKernelMessage(kKernelEndThread, 0, 0, kKernelStopMs);
    }
    // A thread that overruns its bound is traced and still joined: the close goes on.
    StopThreadSlot(app->h_UpgradeFirmwareThread, kUpgradeStopMs, "h_UpgradeFirmwareThread");
    StopThreadSlot(app->h_Process_KernelMessageThread, kKernelStopMs,
                   "h_Process_KernelMessageThread");
    app->h_KernelMailboxClosedEvent.Set();
    StopThreadSlot(app->h_ReLoginThread, kReLoginStopMs, "h_ReLoginThread");
    StopThreadSlot(app->h_Process_Init_Thread, kRebuildStopMs, "h_Process_Init_Thread");
    StopThreadSlot(app->h_Process_Terminate_Thread, kRebuildStopMs, "h_Process_Terminate_Thread");

    // A rebuild that ran since the login resources were stopped left a pipeline behind.
    ExitLoginResource();

    // Only now that none of their users runs are the process's events put back and the
    // control file's devices freed (the re-login and the panels read them).
    ResetProcessEvents(*app);
    // The device kinds point into them: unbind first.
    BindControlDevices(DeviceKindTable, nullptr, 0);
    app->lp_ControlDevices.reset();
    app->dw_ControlDeviceCount = 0;
    return true;
}
