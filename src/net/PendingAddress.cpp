#include "net/PendingAddress.h"

#include <cstring>

#include "core/SettingINI.h"

std::atomic<uint16_t> g_wNewWebPort{0};
std::atomic<int32_t> g_fNewWebPort{0};
GuardedText g_strNewServerAddress;
std::atomic<int32_t> g_fNewServerAddress{0};

void ApplyPendingAddressChange(CSettingINI& settings) {
    if (g_fNewWebPort.exchange(0) != 0) settings.m_wWebPort = g_wNewWebPort.load();
    if (g_fNewServerAddress.exchange(0) != 0) {
        settings.m_strServerName = g_strNewServerAddress.Get();
        std::memset(settings.m_szServerName, 0, sizeof settings.m_szServerName);
    }
}
