// Reading the device's configuration sections into the application record: once after
// the main window starts and before the settings sheet opens. Newer firmware hands over
// every section in one "ALL" request; older firmware section by section.
#include <algorithm>
#include <initializer_list>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "liveview/CQuorrelDlg.h"
#include "net/DeviceInfo.h"
#include "net/SysConfig.h"

namespace {

bool ReadSection(CAppObject& app, ConfigOption option) {
    // "PPPOE" goes to the block of the device's layout.
    const std::span<uint8_t> block =
        option == CFG_PPPOE ? PppoeBlock(app) : ConfigBlockOf(app, option);
    // The list of online users varies in length: what the reply leaves out stays zero.
    if (option == CFG_ONLINE) std::fill(block.begin(), block.end(), 0);
    return GetSysCfg(option, block.data(), static_cast<unsigned>(block.size())) == 1;
}

bool ReadSections(CAppObject& app, std::initializer_list<ConfigOption> options) {
    return std::all_of(options.begin(), options.end(),
                       [&app](ConfigOption option) { return ReadSection(app, option); });
}

}  // namespace

int CQuorrelDlg::FetchConfigSections() {
    if (!g_lpApp) return 0;
    CAppObject& app = *g_lpApp;
    const bool dvr = !(IsP62KModel() || IsN2xVModel() || IsT18DModel());
    if (FirmwareAtLeast(dvr ? "1024" : "0003")) return GetSysCfg(CFG_ALL, nullptr, 0) == 1 ? 1 : 0;
    const bool read =
        dvr ? ReadSections(app, {CFG_IP, CFG_ONLINE, CFG_ALARM, CFG_SECURE, CFG_SMTP, CFG_FTP,
                                 CFG_RS485, CFG_DVRLIVE, CFG_DVRREC, CFG_PPPOE, CFG_DNS})
            : ReadSections(app, {CFG_IP, CFG_ONLINE, CFG_ALARM, CFG_SECURE, CFG_SMTP, CFG_FTP,
                                 CFG_RS485, CFG_PERI, CFG_SNTP, CFG_PPPOE, CFG_DNS});
    return read ? 1 : 0;
}
