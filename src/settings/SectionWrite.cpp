#include "settings/SectionWrite.h"

#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"

namespace settings {

bool WriteSection(uint8_t option) {
    if (g_lpApp == nullptr) return false;
    const std::span<uint8_t> block = ConfigBlockOf(*g_lpApp, option, UsesNarrowPppoe());
    if (!block.empty() && SetSysCfg(option, block.data(), static_cast<int>(block.size()), 0) != 0)
        return true;
    ormidon::ShowMessage(kMsgChangeConfigFailed);
    return false;
}

}  // namespace settings
