#include "net/Rs485Sender.h"

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/DeviceKindTable.h"
#include "core/SessionCookie.h"
#include "core/UserClassTable.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "net/Rs485Body.h"
#include "platform/MessageBox.h"

namespace {

// What the variables of a command stand for now.
Rs485Variables CurrentVariables(const CAppObject& app) {
    const C_ControlD& devices = app.C_ControlD;
    Rs485Variables variables{};
    variables.masterAddress = devices.GetCurrentMasterAddress();
    variables.userRank = GetUserClassRank(app.by_UserClass.load());
    // On a single-channel DVR the cameras are addressed as slaves of the DVR itself.
    const bool slaveAddress = IsP5xKModel() && !IsMultiChannel();
    variables.familyAddress =
        slaveAddress ? devices.GetCurrentSlaveAddress() : variables.masterAddress;
    variables.presetMode = app.f_PresetMode.load() != 0;
    return variables;
}

void AddPelcoParams(CCgiRequest& request) {
    request.AddParam("PELOCO", "1");
    request.AddParam("PROTOCOL", "PELCO");
}

}  // namespace

CCgiRequest BuildRs485Request(const C_ControlD& devices, bool pelcoAllowed, bool masterPelcoD) {
    const uint8_t rank = devices.GetCurrentIndexInKind();
    CCgiRequest request(CGI_RS485CMD);
    request.AddParam("Control", "P51K");
    if (IsP5xKModel() && IsMultiChannel()) {
        // The channels of a multi-channel DVR are its masters; the first is the DVR.
        if (rank == 0) {
            request.AddParam("MASTER", "1");
        } else {
            request.AddIntParam("CH", rank - 1);
            request.AddParam("MASTER", "0");
            if (devices.GetCurrentKind() == kDeviceKindPtzPelco && pelcoAllowed)
                AddPelcoParams(request);
        }
    } else if (!devices.IsCurrentMaster()) {
        request.AddIntParam("CH", rank);
        request.AddParam("MASTER", "0");
        if (devices.GetSlaveKind(rank) == kDeviceKindPtzPelco && pelcoAllowed)
            AddPelcoParams(request);
    } else {
        if (IsP62KModel() || IsN2xVModel() || IsT18DModel()) {
            request.AddIntParam("CH", rank);
            const uint8_t kind = devices.GetCurrentMasterKind();
            if ((kind == kDeviceKindPtzPelco || (masterPelcoD && kind == kDeviceKindPtzPelcoD)) &&
                pelcoAllowed)
                AddPelcoParams(request);
        }
        request.AddParam("MASTER", "1");
    }
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    return request;
}

void SendRemoteKey(uint32_t turbo, uint16_t keyCode) {
    if (!g_lpApp || keyCode >= kRemoteKeyCount) return;
    // The list only takes kinds of the table, so the kind indexes it.
    const DeviceKind_Struct& kind = DeviceKindTable[g_lpApp->C_ControlD.GetCurrentKind()];
    if (!kind.lpCommandSet) {
        ormidon::ShowMessage(kStrNoCommandProtocol);
        return;
    }
    const uint8_t repeat = turbo ? g_lpApp->by_TurboRepeatStep.load() : 1;
    SendControlCommand(&kind.lpCommandSet->Commands[keyCode], repeat, kind.Buttons[keyCode].wFlags);
}

int SendControlCommand(const ControlCommand_Struct* command, uint8_t repeat, uint16_t buttonFlags) {
    Rs485Body body;
    if (!g_lpApp || !command ||
        !BuildRs485Body(*command, repeat, CurrentVariables(*g_lpApp), body)) {
        ormidon::ShowMessage(kStrUnsupportedCommand);
        return 0;
    }
    const bool pelcoAllowed = (buttonFlags & kKeyNoPelcoParams) == 0;
    CCgiRequest request = BuildRs485Request(g_lpApp->C_ControlD, pelcoAllowed, true);
    const bool sent =
        request.IsValid() &&
        HalvoSendCommand(CGI_RS485CMD, request.GetBuffer(), request.GetLength(), body.bytes,
                         static_cast<int>(body.length), nullptr, 0, nullptr, 0, nullptr,
                         kRs485TimeoutSeconds, kRs485TimeoutSeconds) == 1;
    if (!sent) {
        ormidon::ShowMessage(kStrSendCommandFailed);
        return 0;
    }
    return 1;
}
