#include "net/PtzSlaveReport.h"

#include <algorithm>
#include <optional>

#include "core/ControlDeviceList.h"
#include "core/DeviceKindTable.h"
#include "net/LoginReply.h"

namespace {

constexpr int kSlaveTypePtz = 1;
constexpr int kSlaveProtocolPelco = 1;

uint8_t ByteValue(const ReplyValue& value) {
    const int32_t number = ReplyNumber(value.text);
    return static_cast<uint8_t>(number < 0 || number > 255 ? 255 : number);
}

}  // namespace

PtzSlaveReport ParsePtzSlaveReport(std::string_view reply) {
    PtzSlaveReport report;
    const std::optional<ReplyValue> count = FindDeviceInfoValue(reply, "SLAVENUM");
    if (!count) return report;
    report.hasSlaveCount = true;
    const int32_t slaves = std::clamp<int32_t>(ReplyNumber(count->text), 0, kControlDItemCount);

    PtzSlave slave{0, 0};
    size_t position = 0;
    // Each key is looked for from where the value before it ended.
    auto next = [&](std::string_view key) {
        std::optional<ReplyValue> value = FindDeviceInfoValue(reply, key, position);
        if (value) position = value->end;
        return value;
    };
    for (int32_t i = 0; i < slaves; ++i) {
        if (auto address = next("SID")) slave.address = ByteValue(*address);
        if (auto type = next("STYPE")) {
            const uint8_t kind = ByteValue(*type);
            slave.kind = kind == kSlaveTypePtz ? kDeviceKindPtzSlave : kind;
        }
        if (auto protocol = next("SPROTOCOL")) {
            if (ReplyNumber(protocol->text) == kSlaveProtocolPelco &&
                slave.kind == kDeviceKindPtzSlave) {
                slave.kind = kDeviceKindPtzPelco;
            }
        }
        report.slaves.push_back(slave);
    }
    return report;
}
