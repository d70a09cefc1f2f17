#include "net/ReLogin.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/LivePipeline.h"
#include "core/LiveView.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"
#include "core/TraceFile.h"
#include "net/CgiCommand.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "net/LoginReply.h"
#include "net/SysConfig.h"
#include "platform/Clock.h"

namespace {

constexpr uint16_t kTimeOutSeconds = 20;
constexpr int32_t kHttpTooManyUsers = 202;
// Pauses of one failed attempt.
constexpr uint32_t kTooManyUsersPauseMs = 20000;
constexpr uint32_t kAfterAttemptPauseMs = 3000;
constexpr uint32_t kBackOffStepMs = 3000;
constexpr uint32_t kBackOffMaxMs = 30000;
constexpr uint64_t kBackOffDivisor = 2000;
constexpr uint32_t kBeforeNextAttemptMs = 2000;
// The rebuild of the live pipeline.
constexpr uint32_t kRebuildWaitMs = 5000;
constexpr uint32_t kRebuildRetryPauseMs = 3000;
constexpr uint32_t kBeforeStartMs = 2000;

const char kStartLoginText[] = "Start login";

void PostStatus(CAppObject& app, ormidon::LParam code, ormidon::WParam wParam = 0) {
    ormidon::PostWindowMessage(app.h_MainDialogHandle, WM_SHOWSTATUS, wParam, code);
}

void PostLoginStart(CAppObject& app) {
    PostStatus(app, kStatusLoginStart, reinterpret_cast<ormidon::WParam>(kStartLoginText));
}

C_ControlD& Controls(CAppObject& app) { return app.C_ControlD; }

bool QueryDeviceInfo(CAppObject& app, std::string& reply, std::stop_token stop) {
    CCgiRequest request = DeviceInfoRequest(app);
    WriteTraceFile("start to send get device info command");
    if (!SendCommandForText(CGI_GETDEVICEINFO, request, reply, kTimeOutSeconds, nullptr,
                            std::move(stop))) {
        WriteTraceFile("Command failed");
        return false;
    }
    WriteTraceFile("Command success");
    return !reply.empty();
}

// One login and device-information query. True with the device information in `reply`.
bool Attempt(CAppObject& app, std::string& reply, std::stop_token stop) {
    app.w_LoginResult = kLoginFailed;
    ClearSessionCookie();
    CCgiRequest login(CGI_LOGIN);
    login.AddParam("Username", app.CSettingINI.m_strUsername);
    login.AddParam("Password", app.CSettingINI.m_strPassword);
    // A host name is replaced by its address during the login; a failed login puts it
    // back so the next attempt resolves it again.
    std::optional<std::string> hostName;
    if (std::string server = GetServerName(); CheckAddressString(server) == 1) {
        hostName = std::move(server);
    }
    int32_t status[2] = {};
    if (!SendCommandForText(CGI_LOGIN, login, reply, kTimeOutSeconds, &status, stop)) {
        app.w_LoginResult = status[1] == kHttpTooManyUsers ? kLoginTooManyUsers : kLoginFailed;
        WriteTraceFile("login failed");
        if (hostName) SetServerName(*hostName);
        return false;
    }
    WriteTraceFile("login success");
    app.w_LoginResult = kLoginSucceeded;
    app.w_UserLevel = kLoginSucceeded;
    if (!ReadLoginReply(reply, true)) {
        app.w_LoginResult = kLoginFailed;
        return false;
    }
    BoundSelectedChannel(app);
    ReadCapability(app, stop);
    return QueryDeviceInfo(app, reply, stop);
}

void ReadRetr(CAppObject& app, std::string_view reply, uint8_t lastKind) {
    std::optional<ReplyValue> retr = FindDeviceInfoValue(reply, "RETR");
    if (!retr) return;
    if (IsP5xKModel() && FirmwareAtLeast("1035") && HasDeviceCapability(1) != 1) return;
    C_ControlD& controls = Controls(app);
    controls.Clear();
    // The recorder kinds with R.E.T.R. that belong to the DVR kinds.
    uint8_t retrKind = 0;
    if (lastKind == 14) retrKind = 19;
    if (lastKind == 20) retrKind = 22;
    if (lastKind == 21) retrKind = 23;
    if (retrKind != 0) controls.AddDevice(0, 0, retrKind, kRoleMaster);
    controls.SetRetrState(static_cast<uint8_t>(ReplyNumber(retr->text)));
}

void ReadDeviceInfo(CAppObject& app, std::string_view reply) {
    ReadDeviceInfoBasics(reply);
    ReadMultiChannel(app, reply);
    const uint8_t lastKind = ReadMasterDevices(Controls(app), reply, true);
    ReadRetr(app, reply, lastKind);
    ReadSlaveDevices(Controls(app), reply);
}

// Has the live pipeline rebuilt. The rebuild always answers; an answer later than its
// usual time is noted and still awaited, since asking again meanwhile would start a second
// rebuild beside the first. A failed rebuild is reported and asked for again. False only
// when the stop was requested.
bool RebuildPipeline(CAppObject& app, const std::stop_token& stop) {
    for (;;) {
        app.h_Process_Reply_InitEvent.Reset();
        app.h_Process_Notify_InitEvent.Set();
        if (!app.h_Process_Reply_InitEvent.Wait(kRebuildWaitMs, stop)) {
            if (stop.stop_requested()) return false;
            WriteTraceFile("rebuild live pipeline is late");
            if (!app.h_Process_Reply_InitEvent.Wait(ormidon::kInfinite, stop)) return false;
        }
        if (app.f_ProcessInitSucceeded) return true;
        WriteTraceFile("rebuild live pipeline failed");
        PostStatus(app, kStatusLoginFailed);
        if (!ormidon::Sleep(kRebuildRetryPauseMs, stop)) return false;
    }
}

void CompleteLogin(CAppObject& app, std::stop_token stop) {
    ChooseCurrentControlDevice(app);
    PostStatus(app, kStatusConnectButtonOff);
    if (LiveView* view = app.lp_MainDialog.load()) {
        view->RefreshRemotePanel();
        view->ArrangeControls();
        view->InvalidateWindow();
    }
    if (!RebuildPipeline(app, stop)) return;
    LivePipeline* pipeline = GetLivePipeline();
    if (pipeline != nullptr && pipeline->RestartUserRecord()) {
        if (LiveView* view = app.lp_MainDialog.load()) view->SetFunctionButtonState(0x20, 1);
    }
    if (!ormidon::Sleep(kBeforeStartMs, stop)) return;
    WriteTraceFile("Send start event");
    app.h_StartConnectionThreadEvent.Set();
    app.h_StartToGetJpegImageEvent.Set();
}

}  // namespace

void ReLogin_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    const uint32_t startSeconds = ormidon::TickCount() / 1000;
    app.f_GetImageRunning = 0;
    app.f_Connected = 1;
    app.by_HotPointMode = 1;
    LiveView* view = app.lp_MainDialog.load();
    if (view) view->ClearAlarmChannelText();
    PostLoginStart(app);
    if (Controls(app).IsCurrentMaster() == 0 && view) view->SetPtzControlButtonState(0);
    Controls(app).Clear();
    UseHostServerName();

    std::string reply;
    for (uint64_t attempts = 0;; ++attempts) {
        if (Attempt(app, reply, stop)) break;
        if (stop.stop_requested()) return;
        if (app.w_LoginResult == kLoginTooManyUsers) {
            PostStatus(app, kStatusTooManyUsers);
            if (!ormidon::Sleep(kTooManyUsersPauseMs, stop)) return;
        }
        if (!ormidon::Sleep(kAfterAttemptPauseMs, stop)) return;
        const uint32_t seconds = ormidon::TickCount() / 1000 - startSeconds;
        PostStatus(app, kStatusLoginFailed);
        const uint64_t backOff = (attempts / kBackOffDivisor + 1) * kBackOffStepMs;
        if (!ormidon::Sleep(static_cast<uint32_t>(std::min<uint64_t>(backOff, kBackOffMaxMs)),
                            stop)) {
            return;
        }
        PostStatus(app, kStatusElapsed, seconds);
        PostStatus(app, kStatusConnectButtonOn);
        if (!ormidon::Sleep(kBeforeNextAttemptMs, stop)) return;
        PostLoginStart(app);
    }
    ReadDeviceInfo(app, reply);
    CompleteLogin(app, stop);
}
