#include "app/Program.h"

#include "app/QtAppShell.h"
#include "core/LivePipeline.h"
#include "core/QuorrelApp.h"
#include "net/LiveStreamPipeline.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessage.h"
#include "platform/window/WindowMessageTarget.h"

int RunProgram(ormidon::MessageBoxSink& messageBoxes, const std::function<void()>& beforeShutDown) {
    // What the engine's threads reach the windows through.
    ormidon::QtWindowMessageRouter router;
    ormidon::SetWindowMessageRouter(&router);
    ormidon::SetMessageBoxSink(&messageBoxes);
    SetLivePipeline(&LiveStreamPipelineInstance());

    QtAppShell shell;
    CQuorrelApp app(shell);
    app.InitInstance();
    if (beforeShutDown) beforeShutDown();
    const int exitCode = app.ExitInstance();

    SetLivePipeline(nullptr);
    ormidon::SetMessageBoxSink(nullptr);
    ormidon::SetWindowMessageRouter(nullptr);
    return exitCode;
}
