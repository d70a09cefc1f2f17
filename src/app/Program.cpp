#include "app/Program.h"

#include "app/QtAppShell.h"
#include "backup/CCDBurner.h"
#include "core/LivePipeline.h"
#include "core/QuorrelApp.h"
#include "net/LiveRecording.h"
#include "net/LiveStreamPipeline.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessage.h"
#include "platform/window/WindowMessageTarget.h"
#include "record/AppRecording.h"

const char* const kDiscWorkLeftTrace =
    "disc work kept at exit did not end within its bound: the program ends without waiting";

int RunProgram(ormidon::MessageBoxSink& messageBoxes, const std::function<void()>& beforeShutDown) {
    // What the engine's threads reach the windows through.
    ormidon::QtWindowMessageRouter router;
    ormidon::SetWindowMessageRouter(&router);
    ormidon::SetMessageBoxSink(&messageBoxes);
    SetLivePipeline(&LiveStreamPipelineInstance());
    SetLiveRecording(&AppLiveRecordingInstance());

    QtAppShell shell;
    CQuorrelApp app(shell);
    app.InitInstance();
    if (beforeShutDown) beforeShutDown();
    // Disc work that a closed window left (a burn, a drive still stopping) ends first, while
    // the application record it reads still stands. Work that overruns the bound is stuck in
    // a call that does not see its stop (a drive's, mostly): everything is saved and the
    // process ends here, with nothing destroyed under it.
    if (!EndDiscWriting(kDiscWritingExitBoundMs)) {
        app.ExitInstanceLeavingWork(kDiscWorkLeftTrace);
    }
    const int exitCode = app.ExitInstance();

    SetLiveRecording(nullptr);
    SetLivePipeline(nullptr);
    ormidon::SetMessageBoxSink(nullptr);
    ormidon::SetWindowMessageRouter(nullptr);
    return exitCode;
}
