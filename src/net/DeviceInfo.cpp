#include "net/DeviceInfo.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/DeviceKindTable.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"
#include "net/LoginReply.h"
#include "net/PtzSlaveReport.h"
#include "net/SysConfig.h"

namespace {

constexpr uint32_t kBaudPeripheral = 2400;

// Repeated peripheral entries ("MID"/"MTYPE", "SID"/"STYPE"/"SPROTOCOL"): each key is
// searched from where the previous one ended. A count beyond the list is cut to it.
int32_t PeripheralCount(const ReplyValue& count) {
    return std::clamp(ReplyNumber(count.text), 0, int32_t{kControlDItemCount});
}

std::optional<int32_t> NextNumber(std::string_view reply, std::string_view key, size_t& position) {
    std::optional<ReplyValue> value = FindDeviceInfoValue(reply, key, position);
    if (!value) return std::nullopt;
    position = value->end;
    return ReplyNumber(value->text);
}

// The frame-header layout the device is asked for: 2 or 1, or nothing for the old one.
std::optional<int> NewHeaderVersion() {
    if (IsP5xKModel() && FirmwareAtLeast("1046")) return 2;
    if (IsP62KModel() && FirmwareAtLeast("1006")) return 1;
    if (IsT18DModel()) return 1;
    return std::nullopt;
}

}  // namespace

bool FirmwareAtLeast(std::string_view threshold) {
    return g_lpApp && CompareVersion(threshold, g_lpApp->str_FWVersion.Get()) != 2;
}

void BoundSelectedChannel(CAppObject& app) {
    const std::string product = app.str_ProductID.Get();
    uint8_t& channel = app.CSettingINI.m_bySelectedChannel;
    if (IsSameStringNoCase(product, "P51K") && channel > 16) channel = 0;
    if (IsSameStringNoCase(product, "P53K") && channel > 8) channel = 0;
    if (IsSameStringNoCase(product, "P55K") && channel > 4) channel = 0;
    if (IsSameStringNoCase(product, "P62K") && (channel == 0 || channel > 2)) channel = 1;
}

void ReadCapability(CAppObject& app, std::stop_token stop) {
    if (!IsP5xKModel() || !FirmwareAtLeast("1035")) return;
    if (GetSysCfg(CFG_INF, app.m_Cfg_INF.data(), app.m_Cfg_INF.size(), std::move(stop)) == 1) {
        uint32_t capability = 0;
        std::memcpy(&capability, app.m_Cfg_INF.data() + kInfCapabilityOffset, sizeof capability);
        app.dw_Capability = capability;
    }
}

CCgiRequest DeviceInfoRequest(CAppObject& app) {
    CCgiRequest request(CGI_GETDEVICEINFO);
    if (const std::string cookie = GetSessionCookie(); !cookie.empty()) {
        request.AddParam("Cookie", cookie);
    }
    request.AddIntParam("RES", app.CSettingINI.m_dwImageResolution);
    request.AddIntParam("QUA", app.CSettingINI.m_dwAlarmTriggerQuality);
    request.AddIntParam("CH", app.CSettingINI.m_bySelectedChannel);
    const std::optional<int> newHeader = NewHeaderVersion();
    if (newHeader) request.AddIntParam("NEWHR", *newHeader);
    app.m_RTPH_Struct.fNewHeader = newHeader ? 1 : 0;
    return request;
}

void ReadMultiChannel(CAppObject& app, std::string_view reply) {
    const std::optional<ReplyValue> multiChannel = FindDeviceInfoValue(reply, "MULTICH");
    app.by_MultiChannel = multiChannel ? static_cast<uint8_t>(ReplyNumber(multiChannel->text)) : 0;
}

uint8_t ReadMasterDevices(C_ControlD& controls, std::string_view reply, bool typeOneIsPtz) {
    if (auto link = FindDeviceInfoValue(reply, "LINKDEVICE")) {
        const auto kind = static_cast<uint8_t>(ReplyNumber(link->text));
        controls.AddDevice(0, 0, kind, kRoleMaster);
        return kind;
    }
    uint8_t kind = 0;
    if (auto count = FindDeviceInfoValue(reply, "MASTERNUM")) {
        size_t position = 0;
        uint8_t address = 0;
        for (int32_t i = PeripheralCount(*count); i > 0; --i) {
            if (auto id = NextNumber(reply, "MID", position)) address = static_cast<uint8_t>(*id);
            if (auto type = NextNumber(reply, "MTYPE", position)) {
                kind =
                    typeOneIsPtz && *type == 1 ? kDeviceKindPtzSlave : static_cast<uint8_t>(*type);
            }
            controls.AddDevice(kBaudPeripheral, address, kind, kRoleMaster);
        }
    }
    return kind;
}

void ReadSlaveDevices(C_ControlD& controls, std::string_view reply) {
    const uint16_t role = IsMultiChannel() ? kRoleMaster : kRoleSlave;
    for (const PtzSlave& camera : ParsePtzSlaveReport(reply).slaves) {
        controls.AddDevice(kBaudPeripheral, camera.address, camera.kind, role);
    }
}

void ChooseCurrentControlDevice(CAppObject& app) {
    C_ControlD& controls = app.C_ControlD;
    const uint8_t channel = app.CSettingINI.m_bySelectedChannel;
    if (IsP5xKModel() && IsMultiChannel()) {
        controls.MakeCurrent(kRoleMaster, channel);
    } else if (IsP5xKModel() || IsN2xVModel() || IsT18DModel()) {
        controls.MakeCurrent(kRoleMaster, 0);
    } else if (IsP62KModel()) {
        controls.MakeCurrent(kRoleMaster, channel == 1 ? 0 : 1);
    }
}
