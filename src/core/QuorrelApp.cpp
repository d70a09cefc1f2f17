#include "core/QuorrelApp.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/ControlFile.h"
#include "core/SessionCookie.h"
#include "core/TraceFile.h"
#include "net/LocalIPAddress.h"
#include "net/LoginWorker.h"
#include "platform/MessageBox.h"

namespace {
constexpr int kTraceFileLines = 300;
constexpr float kStandardPixelsPerInch = 96.0f;
constexpr const char* kLoginBitRate = "1200";
constexpr uint32_t kStringLoginError = 4040;  // "Login error !!"
}  // namespace

bool InitKernelObject() {
    g_lpApp = new CAppObject();
    // The bindings are made whatever the load gave; a failed load ends start-up.
    const int loaded = LoadControlFile();
    BindControlDevices();
    ClearSessionCookie();
    return loaded == 1;
}

bool CQuorrelApp::InitLocalAddress() {
    char address[16] = {};
    GetLocalIPAddress(address);
    g_strLocalIPAddress.Set(address);
    return true;
}

bool CQuorrelApp::InitDisplayDPI() {
    const DisplayResolution resolution = m_Shell.GetDisplayResolution();
    g_lpApp->w_LogPixelsX = resolution.wLogPixelsX;
    g_lpApp->w_LogPixelsY = resolution.wLogPixelsY;
    g_lpApp->fl_DPIScale = resolution.wLogPixelsX / kStandardPixelsPerInch;
    return true;
}

bool CQuorrelApp::InitInstance() {
    InitLocalAddress();
    if (!InitKernelObject()) return false;
    InitDisplayDPI();
    if (!AllocateSystemBuffer()) return false;
    InitialSemaphore();

    CAppObject& app = *g_lpApp;
    CSettingINI& settings = app.CSettingINI;
    settings.LoadSetting();
    InitTraceFile(kTraceFileLines, settings.m_strProgramPath);
    app.m_DebugTrace.Open(settings.m_strProgramPath);

    const LoginDialogTexts texts{settings.m_strServerName,
                                 settings.m_strUsername,
                                 {},
                                 std::to_string(settings.m_wWebPort),
                                 kLoginBitRate};
    if (m_Shell.RunLoginDialog(texts) != 1) return false;

    if (!InitProcessResource()) return false;
    if (!InitLoginResource()) {
        // The live view cannot run: the login counts as failed, and start-up ends as after a
        // closed login window, with nothing of the pipeline left running.
        WriteTraceFile("start live pipeline failed");
        ormidon::ShowMessage(kStringLoginError);
        return false;
    }
    if (app.w_LoginResult == kLoginSucceeded) m_Shell.RunMainWindow();
    return false;
}

namespace {

// The stops of shut-down: the login worker, the live pipeline with the recorders' threads,
// and the process's threads.
void StopProgramThreads() {
    if (g_lpLogin != nullptr) g_lpLogin->StopThread();
    // Unlike a stop that overran its bound, nothing here ends shut-down early: every
    // routine has stopped its threads before it returns, so the rest may go.
    ExitLoginResource();
    ExitProcessResource();
}

}  // namespace

int CQuorrelApp::ExitInstance() {
    StopProgramThreads();
    FreeSystemBuffer();
    FreeSemaphore();
    FreeTraceFile();
    delete g_lpApp;
    g_lpApp = nullptr;
    return 0;
}

void CQuorrelApp::ExitInstanceLeavingWork(std::string_view reason) {
    // The record is not deleted, so what its end would finish is finished here: an open
    // recording, first, as the main window's close does.
    if (CAppObject* app = g_lpApp) {
        app->m_AlarmRecord.StopRecord();
        app->m_UserRecord.StopRecord();
        app->m_SchRecord.StopRecord();
    }
    StopProgramThreads();
    if (g_lpApp != nullptr) g_lpApp->m_DebugTrace.Close();
    WriteTraceFile(reason);
    FreeTraceFile();
    // Settings went with the main window; the trace file is written whole. What remains
    // buffered is the standard streams'.
    std::fflush(nullptr);
    std::_Exit(0);
}
