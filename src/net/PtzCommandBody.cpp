#include "net/PtzCommandBody.h"

#include <algorithm>
#include <iterator>

#include "core/DeviceKindTable.h"

namespace {

constexpr uint8_t kHotPointCommand = 0xD0;
constexpr uint8_t kHotPointGoto = 0x52;
constexpr uint8_t kReturnToMaster = 0x10;

}  // namespace

Rs485Body EmptyRs485Body() {
    Rs485Body body{};
    body.length = 3;
    return body;
}

Rs485Body FixedRs485Body(std::initializer_list<uint8_t> command) {
    Rs485Body body{};
    const size_t length = std::min<size_t>(command.size(), kRs485MaxCommandLength);
    body.bytes[0] = static_cast<uint8_t>(length);
    std::copy_n(command.begin(), length, std::begin(body.bytes) + 1);
    body.bytes[length + 1] = 1;
    body.bytes[length + 2] = kRs485RepeatInterval;
    body.length = length + 3;
    return body;
}

Rs485Body SteerCameraBody(int number) {
    if (number >= 1 && number <= 9) return FixedRs485Body({5, static_cast<uint8_t>(number + 5)});
    if (number >= 10 && number <= 16) return FixedRs485Body({6, static_cast<uint8_t>(number - 5)});
    return EmptyRs485Body();
}

Rs485Body ReturnToMasterBody() { return FixedRs485Body({kReturnToMaster}); }

Rs485Body HotPointBody(uint8_t kind, uint8_t address, uint8_t rank, uint8_t cell) {
    switch (kind) {
        case kDeviceKindPtz:
            return FixedRs485Body({kHotPointCommand, address, kHotPointGoto, cell, 0x00});
        case kDeviceKindPtzSlave:
        case kDeviceKindPtzPelco:
        case kDeviceKindPtzPelcoD: {
            const auto sum = static_cast<uint8_t>(kHotPointCommand + address + rank +
                                                  kHotPointGoto + cell + 0x00);
            return FixedRs485Body(
                {kHotPointCommand, address, rank, kHotPointGoto, cell, 0x00, sum});
        }
        default:
            return EmptyRs485Body();
    }
}
