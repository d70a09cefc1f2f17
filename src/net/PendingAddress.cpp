#include "net/PendingAddress.h"

#include "core/AppObject.h"
#include "core/ServerAddress.h"

std::atomic<uint16_t> g_wNewWebPort{0};
std::atomic<int32_t> g_fNewWebPort{0};
GuardedText g_strNewServerAddress;
std::atomic<int32_t> g_fNewServerAddress{0};

void ApplyPendingAddressChange() {
    if (g_fNewWebPort.exchange(0) != 0) g_lpApp->CSettingINI.m_wWebPort = g_wNewWebPort.load();
    if (g_fNewServerAddress.exchange(0) != 0) {
        SetServerName(g_strNewServerAddress.Get());
    }
}
