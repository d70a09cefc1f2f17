#include "core/KernelMailbox.h"

#include "core/AppObject.h"
#include "core/LivePipeline.h"
#include "core/LiveView.h"
#include "core/PlaybackProgram.h"
#include "core/TraceFile.h"
#include "net/ReLogin.h"
#include "platform/MessageBox.h"
#include "platform/WaitAny.h"

namespace {

constexpr uint32_t kReLoginStopWaitMs = 30;
constexpr uint32_t kStringExecutePlayerFailed = 4108;

bool TakeSlot(CAppObject& app, uint32_t timeoutMs, std::stop_token stop) {
    // The closed event comes first, so a mailbox without a reader is never filled.
    const ormidon::WaitResult result = ormidon::WaitAny(
        {&app.h_KernelMailboxClosedEvent, &app.h_KernelMessageSlotSem}, timeoutMs, std::move(stop));
    return result.status == ormidon::WaitStatus::Signalled && result.index == 1;
}

// A stalled stream: take the live pipeline down and start a fresh re-login.
void HandleImageTimeOut(CAppObject& app, std::stop_token stop) {
    if (LivePipeline* pipeline = GetLivePipeline()) pipeline->StopAlarmAndScheduleRecording();
    WriteTraceFile("case Get_Image_TimeOut_Message");
    // The take-down always answers (a thread that overruns its bound is still joined), and
    // the rebuild that follows must not start before it ended, so its answer is awaited.
    app.h_Process_Reply_TerminateEvent.Reset();
    app.h_Process_Notify_TerminateEvent.Set();
    if (!app.h_Process_Reply_TerminateEvent.Wait(ormidon::kInfinite, stop)) return;
    if (LiveView* view = app.lp_MainDialog.load()) {
        view->SetFunctionButtonState(1, 1);
        view->ClearOverlayTexts();
    }
    app.h_ReLoginThread.Stop(kReLoginStopWaitMs);
    if (stop.stop_requested()) return;
    // A re-login that cannot start leaves the mailbox serving: the caller frees the slot.
    app.h_ReLoginThread.Start(ReLogin_Thread);
}

void HandleDrawFrame(CAppObject& app) {
    if (LiveView* view = app.lp_MainDialog.load()) {
        view->DrawFrame();
    } else {
        // No window to paint: hand the picture slot back at once so the show thread
        // does not wait for a drawing that never comes.
        app.h_FinishShowImageJobEvent.Set();
    }
}

void HandlePlayBackupFile(CAppObject& app, std::stop_token stop) {
    if (!StartPlaybackProgram({app.str_KernelMessageFilePath, "CONVERT=0"})) {
        ormidon::ShowMessage(kStringExecutePlayerFailed, ormidon::kMbOk, std::move(stop));
    }
    app.str_KernelMessageFilePath.clear();
}

}  // namespace

bool PostKernelMessage(uint32_t code, uintptr_t param1, uintptr_t param2, uint32_t timeoutMs,
                       std::stop_token stop) {
    CAppObject* app = g_lpApp;
    if (app == nullptr || !TakeSlot(*app, timeoutMs, std::move(stop))) return false;
    app->dw_KernelMessage = code;
    app->dw_KernelMessageParam1 = param1;
    app->dw_KernelMessageParam2 = param2;
    app->h_KernelMessagePostSem.Release();
    return true;
}

bool PostPlayBackupFile(const std::string& filePath, uint32_t timeoutMs, std::stop_token stop) {
    CAppObject* app = g_lpApp;
    if (app == nullptr || !TakeSlot(*app, timeoutMs, std::move(stop))) return false;
    app->dw_KernelMessage = kKernelPlayBackupFile;
    app->dw_KernelMessageParam1 = 0;
    app->dw_KernelMessageParam2 = 0;
    app->str_KernelMessageFilePath = filePath;
    app->h_KernelMessagePostSem.Release();
    return true;
}

void Process_KernelMessageThread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    while (app.h_KernelMessagePostSem.Wait(ormidon::kInfinite, stop)) {
        switch (app.dw_KernelMessage) {
            case kKernelImageTimeOut:
                HandleImageTimeOut(app, stop);
                break;
            case kKernelDrawFrame:
                HandleDrawFrame(app);
                break;
            case kKernelEndThread:
                // Leaves with the slot taken: nothing may be posted any more.
                app.h_KernelMailboxClosedEvent.Set();
                return;
            case kKernelPlayBackupFile:
                HandlePlayBackupFile(app, stop);
                break;
            default:
                break;
        }
        app.h_KernelMessageSlotSem.Release();
    }
    app.h_KernelMailboxClosedEvent.Set();
}
