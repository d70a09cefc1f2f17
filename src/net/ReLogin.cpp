#include "net/ReLogin.h"

#include <algorithm>
#include <cstring>
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
#include "net/HalvoSendCommand.h"
#include "net/LoginReply.h"
#include "net/SysConfig.h"
#include "platform/Clock.h"

namespace {

constexpr uint16_t kTimeOutSeconds = 20;
constexpr uint32_t kReplyBufferSize = 1024;
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
// The device reports at most this many peripherals.
constexpr int32_t kMaxPeripherals = kControlDItemCount;
// Kinds of the device-kind table that the peripheral answers name.
constexpr uint8_t kKindPtzCamera = 11;
constexpr uint8_t kKindPtzCameraAlternate = 18;

const char kStartLoginText[] = "Start login";

void PostStatus(CAppObject& app, ormidon::LParam code, ormidon::WParam wParam = 0) {
    ormidon::PostWindowMessage(app.h_MainDialogHandle, WM_SHOWSTATUS, wParam, code);
}

void PostLoginStart(CAppObject& app) {
    PostStatus(app, kStatusLoginStart, reinterpret_cast<ormidon::WParam>(kStartLoginText));
}

C_ControlD& Controls(CAppObject& app) { return app.C_ControlD; }

// One command and its reply; false on failure or with an empty reply.
bool Send(uint8_t index, CCgiRequest& request, int32_t* statusRecord, std::string& reply,
          std::stop_token stop) {
    if (!request.IsValid()) return false;
    char buffer[kReplyBufferSize] = {};
    uint32_t length = 0;
    const int sent =
        HalvoSendCommand(index, request.GetBuffer(), request.GetLength(), nullptr, 0, statusRecord,
                         statusRecord ? 8 : 0, buffer, sizeof buffer, &length, kTimeOutSeconds,
                         kTimeOutSeconds, 0, std::move(stop));
    reply.assign(buffer, std::min<uint32_t>(length, sizeof buffer));
    return sent == 1;
}

// The selected channel must be one the device has.
void BoundSelectedChannel(CAppObject& app) {
    const std::string product = app.str_ProductID.Get();
    uint8_t& channel = app.CSettingINI.m_bySelectedChannel;
    if (IsSameStringNoCase(product, "P51K") && channel > 16) channel = 0;
    if (IsSameStringNoCase(product, "P53K") && channel > 8) channel = 0;
    if (IsSameStringNoCase(product, "P55K") && channel > 4) channel = 0;
    if (IsSameStringNoCase(product, "P62K") && (channel == 0 || channel > 2)) channel = 1;
}

bool FirmwareAtLeast(CAppObject& app, std::string_view threshold) {
    return CompareVersion(threshold, app.str_FWVersion.Get()) != 2;
}

void ReadCapability(CAppObject& app, std::stop_token stop) {
    if (!IsP5xKModel() || !FirmwareAtLeast(app, "1035")) return;
    if (GetSysCfg(CFG_INF, app.m_Cfg_INF.data(), app.m_Cfg_INF.size(), std::move(stop)) == 1) {
        uint32_t capability = 0;
        std::memcpy(&capability, app.m_Cfg_INF.data() + 20, sizeof capability);
        app.dw_Capability = capability;
    }
}

// The frame-header layout the device is asked for: 2 or 1, or nothing for the old one.
std::optional<int> NewHeaderVersion(CAppObject& app) {
    if (IsP5xKModel() && FirmwareAtLeast(app, "1046")) return 2;
    if (IsP62KModel() && FirmwareAtLeast(app, "1006")) return 1;
    if (IsT18DModel()) return 1;
    return std::nullopt;
}

bool QueryDeviceInfo(CAppObject& app, std::string& reply, std::stop_token stop) {
    CCgiRequest request(CGI_GETDEVICEINFO);
    if (const std::string cookie = GetSessionCookie(); !cookie.empty()) {
        request.AddParam("Cookie", cookie);
    }
    request.AddIntParam("RES", app.CSettingINI.m_dwImageResolution);
    request.AddIntParam("QUA", app.CSettingINI.m_dwAlarmTriggerQuality);
    request.AddIntParam("CH", app.CSettingINI.m_bySelectedChannel);
    const std::optional<int> newHeader = NewHeaderVersion(app);
    if (newHeader) request.AddIntParam("NEWHR", *newHeader);
    app.m_RTPH_Struct.fNewHeader = newHeader ? 1 : 0;

    WriteTraceFile("start to send get device info command");
    if (!Send(CGI_GETDEVICEINFO, request, nullptr, reply, std::move(stop))) {
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
    if (!Send(CGI_LOGIN, login, status, reply, stop)) {
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

// Repeated peripheral entries ("MID"/"MTYPE", "SID"/"STYPE"/"SPROTOCOL"): each key is
// searched from where the previous one ended. A count beyond the list is cut to it.
int32_t PeripheralCount(const ReplyValue& count) {
    return std::clamp(ReplyNumber(count.text), 0, kMaxPeripherals);
}

std::optional<int32_t> NextNumber(std::string_view reply, std::string_view key, size_t& position) {
    std::optional<ReplyValue> value = FindDeviceInfoValue(reply, key, position);
    if (!value) return std::nullopt;
    position = value->end;
    return ReplyNumber(value->text);
}

uint8_t PeripheralKind(int32_t type) {
    return type == 1 ? kKindPtzCamera : static_cast<uint8_t>(type);
}

// The device's peripherals into the control-device list; returns the kind read last.
uint8_t ReadMasters(CAppObject& app, std::string_view reply) {
    C_ControlD& controls = Controls(app);
    if (auto link = FindDeviceInfoValue(reply, "LINKDEVICE")) {
        const uint8_t kind = static_cast<uint8_t>(ReplyNumber(link->text));
        controls.AddDevice(0, 0, kind, kRoleMaster);
        return kind;
    }
    uint8_t kind = 0;
    if (auto count = FindDeviceInfoValue(reply, "MASTERNUM")) {
        size_t position = 0;
        uint8_t address = 0;
        for (int32_t i = PeripheralCount(*count); i > 0; --i) {
            if (auto id = NextNumber(reply, "MID", position)) address = static_cast<uint8_t>(*id);
            if (auto type = NextNumber(reply, "MTYPE", position)) kind = PeripheralKind(*type);
            controls.AddDevice(2400, address, kind, kRoleMaster);
        }
    }
    return kind;
}

void ReadRetr(CAppObject& app, std::string_view reply, uint8_t lastKind) {
    std::optional<ReplyValue> retr = FindDeviceInfoValue(reply, "RETR");
    if (!retr) return;
    if (IsP5xKModel() && FirmwareAtLeast(app, "1035") && HasDeviceCapability(1) != 1) return;
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

void ReadSlaves(CAppObject& app, std::string_view reply) {
    std::optional<ReplyValue> count = FindDeviceInfoValue(reply, "SLAVENUM");
    if (!count) return;
    C_ControlD& controls = Controls(app);
    const uint16_t role = IsMultiChannel() ? kRoleMaster : kRoleSlave;
    size_t position = 0;
    uint8_t address = 0;
    uint8_t kind = 0;
    for (int32_t i = PeripheralCount(*count); i > 0; --i) {
        if (auto id = NextNumber(reply, "SID", position)) address = static_cast<uint8_t>(*id);
        if (auto type = NextNumber(reply, "STYPE", position)) kind = PeripheralKind(*type);
        if (auto protocol = NextNumber(reply, "SPROTOCOL", position)) {
            if (kind == kKindPtzCamera && *protocol == 1) kind = kKindPtzCameraAlternate;
        }
        controls.AddDevice(2400, address, kind, role);
    }
}

void ReadDeviceInfo(CAppObject& app, std::string_view reply) {
    ReadDeviceInfoBasics(reply);
    const std::optional<ReplyValue> multiChannel = FindDeviceInfoValue(reply, "MULTICH");
    app.by_MultiChannel = multiChannel ? static_cast<uint8_t>(ReplyNumber(multiChannel->text)) : 0;
    const uint8_t lastKind = ReadMasters(app, reply);
    ReadRetr(app, reply, lastKind);
    ReadSlaves(app, reply);
}

void ChooseCurrentControlDevice(CAppObject& app) {
    C_ControlD& controls = Controls(app);
    const uint8_t channel = app.CSettingINI.m_bySelectedChannel;
    if (IsP5xKModel() && IsMultiChannel()) {
        controls.MakeCurrent(kRoleMaster, channel);
    } else if (IsP5xKModel() || IsN2xVModel() || IsT18DModel()) {
        controls.MakeCurrent(kRoleMaster, 0);
    } else if (IsP62KModel()) {
        controls.MakeCurrent(kRoleMaster, channel == 1 ? 0 : 1);
    }
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
