#include "core/ConnectionThread.h"

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/LiveView.h"
#include "platform/Clock.h"

namespace {
constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kStreamDropWaitMs = 5000;
constexpr const char* kLifeTimeUpText = "Life time is Up.Application shutdown later";
}  // namespace

uint64_t LifeTimeLimitSeconds(int32_t minutes) {
    return static_cast<uint64_t>(static_cast<int64_t>(minutes) * 60);
}

void Connection_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    app.dw_LifeTimeCounter = 0;
    if (!app.h_StartConnectionThreadEvent.Wait(ormidon::kInfinite, stop)) return;
    if (!ormidon::Sleep(kTickMs, stop)) return;
    if (app.dw_LifeTime == kUnlimitedLifeTime) return;

    // One tick a second; the life time is read again after every tick, so a change
    // takes effect at the next one.
    app.dw_LifeTimeCounter = 1;
    do {
        if (app.h_EndConnectionThreadEvent.Wait(kTickMs, stop) || stop.stop_requested()) return;
        ++app.dw_LifeTimeCounter;
    } while (app.dw_LifeTimeCounter.load() < LifeTimeLimitSeconds(app.dw_LifeTime));

    app.h_NotifyGetJPEGImageThreadResetEvent.Set();
    app.h_FeedBackForNotifyResetEvent.Wait(kStreamDropWaitMs, stop);
    if (stop.stop_requested()) return;
    if (LiveView* view = app.lp_MainDialog.load()) {
        view->ClearOverlayTexts();
        view->SetStatusText(kLifeTimeUpText);
    }
    if (!ormidon::Sleep(kTickMs, stop)) return;
    ormidon::PostWindowMessage(app.h_MainDialogHandle, WM_LIFETIMEUP, 0, 0);
}
