#include "liveview/HotPoint.h"

#include <algorithm>

#include "core/DeviceIdentity.h"
#include "core/DeviceKindTable.h"
#include "net/DeviceInfo.h"

namespace {

// Full screen: clicks this close to the work area's edge are not taken.
constexpr int kFullScreenMargin = 8;
// The capability bit of the DVR firmware that answers hot-point commands.
constexpr uint32_t kHotPointCapability = 2;

// How many whole cells of `size` lie before `offset` (> 0), counted from the grid's
// start; the leftover strip past the last cell counts to the last one.
int CellIndex(int offset, int size, int last) { return std::min((offset - 1) / size, last); }

}  // namespace

std::optional<HotPointTarget> HotPointAt(const LayoutRect& reference, const LayoutRect& video,
                                         bool fullScreen, int x, int y) {
    const int cellWidth = reference.Width() / kHotPointColumns;
    const int cellHeight = reference.Height() / kHotPointRows;
    if (cellWidth <= 0 || cellHeight <= 0) return std::nullopt;
    const int margin = fullScreen ? kFullScreenMargin : 0;
    if (!(reference.left + margin < x && x < reference.right - margin &&
          reference.top + margin < y && y < reference.bottom - margin)) {
        return std::nullopt;
    }
    const int column = CellIndex(x - reference.left, cellWidth, kHotPointColumns - 1);
    const int row = CellIndex(y - reference.top, cellHeight, kHotPointRows - 1);

    HotPointTarget target{};
    target.cell = static_cast<uint8_t>(column + kHotPointColumns * row);
    if (fullScreen) {
        target.markX =
            static_cast<uint16_t>((x - reference.left) * video.Width() / reference.Width());
        target.markY =
            static_cast<uint16_t>((y - reference.top) * video.Height() / reference.Height());
    } else {
        target.markX = static_cast<uint16_t>(x - reference.left);
        target.markY = static_cast<uint16_t>(y - reference.top);
    }
    return target;
}

uint8_t HotPointModeForKind(uint8_t kind) {
    const bool ptzSlave = kind == kDeviceKindPtzSlave || kind == kDeviceKindPtzPelco;
    if (!ptzSlave) return kHotPointOff;
    const bool askCapability = IsP5xKModel() && FirmwareAtLeast("1035");
    if (askCapability && !HasDeviceCapability(kHotPointCapability)) return kHotPointOff;
    return kHotPointOn;
}
