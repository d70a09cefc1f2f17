#include "liveview/PtzControl.h"

#include <algorithm>
#include <array>

#include "core/AppObject.h"
#include "core/ControlFile.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"
#include "core/UserClassTable.h"
#include "liveview/WindowCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/PtzCommandBody.h"
#include "net/PtzSlaveReport.h"
#include "net/Rs485Sender.h"
#include "platform/MessageBox.h"

namespace {

constexpr uint32_t kStrPtzControl = 8312;  // "PTZ_CONTROL_ON$PTZ_CONTROL_OFF"
constexpr uint32_t kSlaveBaudRate = 2400;
// Picker results.
constexpr int kPickerOk = 1;
constexpr int kPickerCancel = 2;
constexpr int kPickerEsc = 20;
constexpr int kLowestCamera = 1;
constexpr int kHighestCamera = 16;
// Frames that show the hot-point marker after a click, and after a failed switch.
constexpr uint16_t kMarkFramesAfterClick = 4;
constexpr uint16_t kMarkFramesAfterFailure = 2;

// "/PTZReset.cgi": with `reply`, the device's report of its cameras is read into it.
bool RequestPtzReset(std::string* reply) {
    CCgiRequest request = WindowCommandRequest(CGI_PTZRESET);
    if (reply == nullptr) return SendWindowCommand(CGI_PTZRESET, request) == 1;
    std::array<char, kPtzReportSize> buffer{};
    uint32_t length = 0;
    if (!SendWindowCommand(CGI_PTZRESET, request, buffer, &length)) return false;
    reply->assign(buffer.data(), std::min<size_t>(length, buffer.size()));
    return true;
}

bool SendRs485Body(CCgiRequest& request, const Rs485Body& body) {
    int32_t status[2] = {};
    return request.IsValid() &&
           HalvoSendCommand(CGI_RS485CMD, request.GetBuffer(), request.GetLength(), body.bytes,
                            static_cast<int>(body.length), status, sizeof status, nullptr, 0,
                            nullptr, kPtzTimeoutSeconds, kPtzTimeoutSeconds) == 1;
}

// The request that hands the device's bus to a camera or back: always to the master.
CCgiRequest PtzSwitchRequest() {
    CCgiRequest request(CGI_RS485CMD);
    request.AddParam("Control", "P51K");
    request.AddParam("MASTER", "1");
    if (const std::string cookie = GetSessionCookie(); !cookie.empty()) {
        request.AddParam("Cookie", cookie);
    }
    return request;
}

// What a switch changes, so that a refused switch can be taken back.
struct PtzSwitchState {
    uint16_t role;
    uint8_t indexInRole;
    int keyState;
    std::string tooltip;
    uint8_t hotPointMode;
};

PtzSwitchState SaveSwitchState(const CAppObject& app, const PtzControlView& view) {
    const C_ControlD& devices = app.C_ControlD;
    return {static_cast<uint16_t>(devices.IsCurrentMaster() ? kRoleMaster : kRoleSlave),
            devices.GetCurrentIndexInKind(), view.PtzKeyState(), view.PtzKeyTooltip(),
            app.by_HotPointMode.load()};
}

void RestoreSwitchState(CAppObject& app, PtzControlView& view, const PtzSwitchState& state) {
    app.C_ControlD.MakeCurrent(state.role, state.indexInRole);
    view.SetPtzKeyState(state.keyState);
    view.SetPtzKeyTooltip(state.tooltip);
    app.by_HotPointMode = state.hotPointMode;
}

// Makes camera `number` current; false (message 4095) when there is no such camera.
bool SelectCamera(CAppObject& app, int number) {
    C_ControlD& devices = app.C_ControlD;
    if (number < kLowestCamera || number > kHighestCamera ||
        devices.GetSlaveKind(static_cast<uint8_t>(number - 1)) == 0) {
        ormidon::ShowMessage(kStrPtzNumberInvalid);
        return false;
    }
    devices.MakeCurrent(kRoleSlave, static_cast<uint8_t>(number - 1));
    return true;
}

}  // namespace

int QueryPtzSlaveList() {
    if (!g_lpApp || !IsP5xKModel() || !IsMultiChannel()) return 1;
    std::string reply;
    if (!RequestPtzReset(&reply)) {
        ormidon::ShowMessage(kStrSendCommandFailed);
        return 0;
    }
    C_ControlD& devices = g_lpApp->C_ControlD;
    const uint8_t deviceKind = devices.GetMasterKind(0);
    devices.Clear();
    devices.AddDevice(0, 0, deviceKind, kRoleMaster);
    for (const PtzSlave& camera : ParsePtzSlaveReport(reply).slaves) {
        devices.AddDevice(kSlaveBaudRate, camera.address, camera.kind, kRoleMaster);
    }
    return 1;
}

void RunPtzControl(PtzControlView& view) {
    if (!g_lpApp) return;
    CAppObject& app = *g_lpApp;
    C_ControlD& devices = app.C_ControlD;
    const bool dvr = IsP5xKModel() != 0;
    // Guests and normal users do not steer the cameras of a DVR.
    if (dvr && app.by_UserClass > 1) return;

    if (dvr) {
        std::string reply;
        if (!RequestPtzReset(&reply)) {
            ormidon::ShowMessage(kStrSendCommandFailed);
            return;
        }
        const PtzSlaveReport report = ParsePtzSlaveReport(reply);
        for (size_t i = 0; i < report.slaves.size(); ++i) {
            devices.SetSlave(static_cast<uint8_t>(i), report.slaves[i].kind,
                             report.slaves[i].address);
        }
    }

    char controlOn[kSplitStringSize];
    char controlOff[kSplitStringSize];
    LoadSplitString(kStrPtzControl, controlOn, controlOff);
    int number = 0;
    const int result = view.RunDevicePicker(number);
    if (result == kPickerCancel) {
        view.SetPtzKeyState(devices.IsCurrentMaster() ? 0 : 1);
        if (dvr && !RequestPtzReset(nullptr)) ormidon::ShowMessage(kStrSendCommandFailed);
        return;
    }
    // A picker that could not be shown chose nothing.
    if (result != kPickerOk && result != kPickerEsc) return;

    const PtzSwitchState before = SaveSwitchState(app, view);
    Rs485Body body;
    if (!devices.IsCurrentMaster() && result == kPickerEsc) {
        // PTZ control off: the panel goes back to the device itself.
        view.SetPtzKeyTooltip(controlOn);
        devices.MakeCurrent(kRoleMaster, 0);
        view.SetPtzKeyState(0);
        if (app.by_HotPointMode == kHotPointOn) app.by_HotPointMode = kHotPointOff;
        body = ReturnToMasterBody();
    } else {
        const bool fromMaster = devices.IsCurrentMaster() != 0;
        if (!SelectCamera(app, number)) return;
        if (fromMaster) view.SetPtzKeyTooltip(controlOff);
        view.SetPtzKeyState(1);
        body = SteerCameraBody(number);
        app.by_HotPointMode = HotPointModeForKind(devices.GetCurrentKind());
    }

    CCgiRequest request = PtzSwitchRequest();
    if (!SendRs485Body(request, body)) {
        app.w_HotPointMarkFrames = kMarkFramesAfterFailure;
        RestoreSwitchState(app, view, before);
        ormidon::ShowMessage(kStrSendCommandFailed);
        return;
    }
    view.RefreshRemotePanel();
}

int SendHotPointClick(const LayoutRect& reference, const LayoutRect& video, bool fullScreen) {
    if (!g_lpApp) return 0;
    CAppObject& app = *g_lpApp;
    const std::optional<HotPointTarget> target =
        HotPointAt(reference, video, fullScreen, app.w_HotPointMouseX, app.w_HotPointMouseY);
    if (!target) return 0;
    app.w_HotPointMarkX = target->markX;
    app.w_HotPointMarkY = target->markY;

    const C_ControlD& devices = app.C_ControlD;
    const Rs485Body body = HotPointBody(devices.GetCurrentKind(), devices.GetCurrentAddress(),
                                        GetUserClassRank(app.by_UserClass), target->cell);
    CCgiRequest request = BuildRs485Request(devices, true, false);
    if (!SendRs485Body(request, body)) {
        ormidon::ShowMessage(kStrSendCommandFailed);
        return 0;
    }
    app.w_HotPointMarkFrames = kMarkFramesAfterClick;
    return 0;
}
