#include "net/SysConfig.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/DeviceIdentity.h"
#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"

namespace {

// A whole "ALL" reply fits: the longest family layout is 2044 bytes plus 240 of online users.
constexpr uint32_t kReplyCapacity = 4096;
constexpr uint16_t kReadSeconds = 45;
constexpr uint16_t kWriteSeconds = 15;

// The order of the sections in an "ALL" reply; the online users follow the last of them.
constexpr ConfigOption kCameraLayout[] = {CFG_INF,   CFG_IP,    CFG_SECURE, CFG_DNS,  CFG_SMTP,
                                          CFG_FTP,   CFG_PPPOE, CFG_SYSTEM, CFG_SNTP, CFG_IMG,
                                          CFG_RS485, CFG_ALARM, CFG_PERI};
constexpr ConfigOption kDvrLayout[] = {CFG_INF,   CFG_IP,    CFG_SECURE,  CFG_DNS,    CFG_SMTP,
                                       CFG_FTP,   CFG_PPPOE, CFG_SYSTEM,  CFG_SNTP,   CFG_IMG,
                                       CFG_RS485, CFG_ALARM, CFG_DVRLIVE, CFG_DVROSD, CFG_DVRREC};

}  // namespace

std::span<uint8_t> ConfigBlockOf(CAppObject& app, uint8_t option, bool oldPppoe) {
    switch (option) {
        case CFG_INF:
            return app.m_Cfg_INF;
        case CFG_IP:
            return app.m_Cfg_IP;
        case CFG_SECURE:
            return app.m_Cfg_SECURE;
        case CFG_DNS:
            return app.m_Cfg_DNS;
        case CFG_SMTP:
            return app.m_Cfg_SMTP;
        case CFG_FTP:
            return app.m_Cfg_FTP;
        case CFG_PPPOE:
            return oldPppoe ? std::span<uint8_t>(app.m_Cfg_PPPOE_Old) : app.m_Cfg_PPPOE;
        case CFG_SYSTEM:
            return app.m_Cfg_SYSTEM;
        case CFG_SNTP:
            return app.m_Cfg_SNTP;
        case CFG_IMG:
            return app.m_Cfg_IMG;
        case CFG_RS485:
            return app.m_Cfg_RS485;
        case CFG_ALARM:
            return app.m_Cfg_ALARM;
        case CFG_ONLINE:
            return app.m_Cfg_ONLINE;
        case CFG_DVRLIVE:
            return app.m_Cfg_DVRLIVE;
        case CFG_DVROSD:
            return app.m_Cfg_DVROSD;
        case CFG_DVRREC:
            return app.m_Cfg_DVRREC;
        case CFG_PERI:
            return app.m_Cfg_PERI;
        default:
            return {};
    }
}

namespace {

// Cuts an "ALL" reply into the application record by the device family's layout.
int UnpackAll(const uint8_t* reply, uint32_t length) {
    const bool cameraFamily = IsP62KModel() || IsN2xVModel() || IsT18DModel();
    const std::span<const ConfigOption> layout = cameraFamily
                                                     ? std::span<const ConfigOption>(kCameraLayout)
                                                     : std::span<const ConfigOption>(kDvrLayout);
    std::size_t fixedBytes = 0;
    for (ConfigOption option : layout) fixedBytes += ConfigSectionSize(option);
    if (length < fixedBytes) return 0;

    const bool oldPppoe = UsesNarrowPppoe();
    std::size_t offset = 0;
    for (ConfigOption option : layout) {
        std::span<uint8_t> block = ConfigBlockOf(*g_lpApp, option, oldPppoe);
        std::memcpy(block.data(), reply + offset, block.size());
        offset += block.size();
    }
    // Whatever follows is the list of online users, taken only when it fits.
    g_lpApp->m_Cfg_ONLINE.fill(0);
    const std::size_t rest = length - fixedBytes;
    if (rest <= g_lpApp->m_Cfg_ONLINE.size())
        std::memcpy(g_lpApp->m_Cfg_ONLINE.data(), reply + offset, rest);
    return 1;
}

void AddCookie(CCgiRequest& request) {
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
}

}  // namespace

int GetSysCfg(uint8_t option, void* destination, unsigned size, std::stop_token stop) {
    if (g_lpApp == nullptr || option >= CFG_OPTION_COUNT) return 0;
    if (option != CFG_ALL && destination == nullptr) return 0;
    CCgiRequest request(CGI_GETSYSCFG);
    request.AddParam("Option", g_ConfigSections[option].name);
    request.AddIntParam("Size", static_cast<int>(size));
    AddCookie(request);
    if (!request.IsValid()) return 0;

    std::array<uint8_t, kReplyCapacity> reply;
    uint32_t length = 0;
    if (!HalvoSendCommand(CGI_GETSYSCFG, request.GetBuffer(), request.GetLength(), nullptr, 0,
                          nullptr, 0, reply.data(), reply.size(), &length, kReadSeconds,
                          kReadSeconds, 0, std::move(stop))) {
        return 0;
    }
    return StoreSysCfgReply(option, std::span<const uint8_t>(reply.data(), length), destination,
                            size);
}

int StoreSysCfgReply(uint8_t option, std::span<const uint8_t> reply, void* destination,
                     unsigned size) {
    if (g_lpApp == nullptr || option >= CFG_OPTION_COUNT) return 0;
    if (option != CFG_ALL && destination == nullptr) return 0;
    const uint32_t length = static_cast<uint32_t>(reply.size());
    switch (option) {
        case CFG_ALL:
            return UnpackAll(reply.data(), length);
        case CFG_ONLINE:
            std::memcpy(destination, reply.data(),
                        std::min<std::size_t>({length, size, ConfigSectionSize(CFG_ONLINE)}));
            return 1;
        default:
            if (length != size) return 0;
            std::memcpy(destination, reply.data(), size);
            return 1;
    }
}

int SetSysCfg(uint8_t option, const void* block, int size, int refresh, std::stop_token stop) {
    if (option >= CFG_ALL || block == nullptr || size < 0) return 0;
    CCgiRequest request(CGI_SETSYSCFG);
    request.AddParam("Option", g_ConfigSections[option].name);
    if (option == CFG_DNS) request.AddParam("Refresh", refresh != 0 ? "True" : "False");
    AddCookie(request);
    if (!request.IsValid()) return 0;
    return HalvoSendCommand(CGI_SETSYSCFG, request.GetBuffer(), request.GetLength(), block, size,
                            nullptr, 0, nullptr, 0, nullptr, kWriteSeconds, kWriteSeconds, 0,
                            std::move(stop)) != 0
               ? 1
               : 0;
}
