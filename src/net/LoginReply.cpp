#include "net/LoginReply.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"

namespace {
constexpr size_t kMacTextLength = 12;
}

std::optional<ReplyValue> FindReplyValue(std::string_view reply, std::string_view key, size_t skip,
                                         size_t from) {
    if (key.empty() || from >= reply.size()) return std::nullopt;
    const size_t at = reply.find(key, from);
    if (at == std::string_view::npos) return std::nullopt;
    const size_t begin = std::min(at + key.size() + skip, reply.size());
    // The value ends at the first ";" from the key on; without one, with the reply. A ";"
    // inside the skipped characters leaves the value empty.
    const size_t end = std::min(reply.find(';', at), reply.size());
    const std::string_view value = reply.substr(begin, std::max(end, begin) - begin);
    return ReplyValue{std::string(value.substr(0, kReplyValueMax)), end};
}

std::optional<ReplyValue> FindDeviceInfoValue(std::string_view reply, std::string_view key,
                                              size_t from) {
    return FindReplyValue(reply, key, 1, from);
}

int32_t ReplyNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'),
                                  int64_t{std::numeric_limits<int32_t>::max()} + 1);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool ReadLoginReply(std::string_view reply, bool storeMacBytes) {
    CAppObject& app = *g_lpApp;
    const std::optional<ReplyValue> cookie = FindReplyValue(reply, "Session-ID=", 0);
    const bool haveCookie = cookie && SetSessionCookie(cookie->text);
    if (auto version = FindReplyValue(reply, "Firmware-Version=", 0)) {
        app.str_FWVersion.Set(version->text);
    }
    if (auto product = FindReplyValue(reply, "Product-ID=", 0))
        app.str_ProductID.Set(product->text);
    if (auto mac = FindReplyValue(reply, "MAC-Address=", 0)) {
        const std::string text = mac->text.substr(0, kMacTextLength);
        app.sz_MACAddress.Set(text);
        uint8_t bytes[6] = {};
        // Only a real MAC address names the last connection's device.
        if (storeMacBytes && MacStringToBytes(text, bytes) == 1) {
            app.CSettingINI.m_wLastConnectionMAC1 = bytes[4];
            app.CSettingINI.m_wLastConnectionMAC2 = bytes[5];
        }
    }
    return haveCookie;
}

void ReadDeviceInfoBasics(std::string_view reply) {
    CAppObject& app = *g_lpApp;
    if (auto lifeTime = FindDeviceInfoValue(reply, "LIFETIME")) {
        app.dw_LifeTime = ReplyNumber(lifeTime->text);
    }
    if (auto videoMode = FindDeviceInfoValue(reply, "VIDEOMODE")) {
        app.by_VideoMode = static_cast<uint8_t>(ReplyNumber(videoMode->text));
    }
    if (auto userLevel = FindDeviceInfoValue(reply, "USERLEVEL")) {
        app.w_UserLevel = static_cast<uint16_t>(ReplyNumber(userLevel->text));
    }
    if (auto boot = FindDeviceInfoValue(reply, "Boot-Version")) app.str_BootVersion.Set(boot->text);
    if (auto v2041 = FindDeviceInfoValue(reply, "2041-Version")) {
        app.str_2041Version.Set(v2041->text);
    }
}
