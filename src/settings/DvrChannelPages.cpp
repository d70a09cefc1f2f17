#include "settings/DvrChannelPages.h"

#include <string>

#include "core/AppObject.h"
#include "core/ConfigSection.h"
#include "core/StringTable.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"

namespace dvrpages {

namespace {
constexpr uint32_t kMsgChangeFailed = 4012;
}

int ChannelCount() {
    if (g_lpApp == nullptr) return 0;
    const std::string product = g_lpApp->str_ProductID.Get();
    if (product == "P51K") return 16;
    if (product == "P53K") return 8;
    if (product == "P55K") return 4;
    return 0;
}

QString RowNumberText(int channel) { return QString::asprintf("%2d", channel); }

QString ResourceText(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool SendSection(uint8_t option) {
    const std::span<uint8_t> block = ConfigBlockOf(*g_lpApp, option);
    if (SetSysCfg(option, block.data(), static_cast<int>(block.size()), 0) == 1) return true;
    ormidon::ShowMessage(kMsgChangeFailed);
    return false;
}

}  // namespace dvrpages
