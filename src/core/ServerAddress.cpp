#include "core/ServerAddress.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "core/AppObject.h"

namespace {

std::mutex g_serverNameLock;

void StoreHostName(CSettingINI& settings, std::string_view hostName) {
    std::memset(settings.m_szServerName, 0, sizeof settings.m_szServerName);
    const size_t length = std::min(hostName.size(), sizeof settings.m_szServerName - 1);
    if (length > 0) std::memcpy(settings.m_szServerName, hostName.data(), length);
}

}  // namespace

std::string GetServerName() {
    std::lock_guard lock(g_serverNameLock);
    return g_lpApp->CSettingINI.m_strServerName;
}

void SetServerName(std::string_view address) {
    std::lock_guard lock(g_serverNameLock);
    CSettingINI& settings = g_lpApp->CSettingINI;
    settings.m_strServerName.assign(address);
    StoreHostName(settings, {});
}

std::string GetHostServerName() {
    std::lock_guard lock(g_serverNameLock);
    const CSettingINI& settings = g_lpApp->CSettingINI;
    return std::string(settings.m_szServerName,
                       strnlen(settings.m_szServerName, sizeof settings.m_szServerName));
}

bool UseHostServerName() {
    std::lock_guard lock(g_serverNameLock);
    CSettingINI& settings = g_lpApp->CSettingINI;
    if (settings.m_szServerName[0] == 0) return false;
    settings.m_strServerName.assign(
        settings.m_szServerName, strnlen(settings.m_szServerName, sizeof settings.m_szServerName));
    return true;
}

void SetResolvedServerName(std::string_view hostName, std::string_view dottedAddress) {
    std::lock_guard lock(g_serverNameLock);
    CSettingINI& settings = g_lpApp->CSettingINI;
    StoreHostName(settings, hostName);
    settings.m_strServerName.assign(dottedAddress);
}
