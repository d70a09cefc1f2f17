#include "core/ControlDeviceList.h"

#include <algorithm>
#include <atomic>

#include "core/AppObject.h"
#include "core/DeviceKindTable.h"
#include "core/TextHelpers.h"

namespace {

constexpr uint16_t kUsedMaster = kRoleUsed | kRoleMaster;
constexpr uint16_t kUsedSlave = kRoleUsed | kRoleSlave;

// The recorders that report an R.E.T.R. state: "HQN 914 DVR", "HQN 912 DVR", "HQN 910 DVR".
constexpr bool IsRetrDvrKind(uint8_t kind) { return kind == 19 || kind == 22 || kind == 23; }

// The R.E.T.R. key: its control id and the string of its two tooltips.
constexpr uint32_t kRetrKeyId = 8331;

bool Has(const ControlDItem_Struct& item, uint16_t bits) { return (item.wFlags & bits) == bits; }

}  // namespace

void C_ControlD::Clear() {
    std::lock_guard lock(m_lock);
    m_byCurrentIndex = m_byCount = m_byCurrentMasterIndex = m_byCurrentSlaveIndex = 0;
    m_byRetrState = 0;
    std::fill(std::begin(m_Items), std::end(m_Items), ControlDItem_Struct{});
}

int C_ControlD::AddDevice(uint32_t baudRate, uint8_t address, uint8_t kind, uint16_t roleFlags) {
    std::lock_guard lock(m_lock);
    // The kind comes from the device; one the table does not know cannot be steered.
    if (m_byCount >= kControlDItemCount || kind >= kDeviceKindCount) return -1;
    m_Items[m_byCount++] = {baudRate, address, kind, static_cast<uint16_t>(roleFlags | kRoleUsed)};
    return 0;
}

int C_ControlD::FindNth(uint16_t mask, uint8_t n) const {
    int seen = 0;
    for (int i = 0; i < kControlDItemCount; ++i) {
        const ControlDItem_Struct& item = m_Items[i];
        if ((item.wFlags & kRoleUsed) && (item.wFlags & mask) && seen++ == n) return i;
    }
    return -1;
}

int C_ControlD::CountBefore(uint16_t bits, int position) const {
    int count = 0;
    for (int i = 0; i < position; ++i) count += Has(m_Items[i], bits) ? 1 : 0;
    return count;
}

void C_ControlD::RemoveSlaves() {
    std::lock_guard lock(m_lock);
    const ControlDItem_Struct& current = m_Items[m_byCurrentIndex];
    const bool wasMaster = (current.wFlags & kRoleMaster) != 0;
    const int rank = CountBefore(kUsedMaster, m_byCurrentIndex);

    ControlDItem_Struct masters[kControlDItemCount] = {};
    uint8_t count = 0;
    for (const ControlDItem_Struct& item : m_Items) {
        if (Has(item, kUsedMaster)) masters[count++] = item;
    }
    std::copy(std::begin(masters), std::end(masters), std::begin(m_Items));
    m_byCount = count;
    m_byCurrentIndex = (wasMaster && rank < count) ? static_cast<uint8_t>(rank) : 0;
    m_byCurrentMasterIndex = m_byCurrentIndex;
    m_byCurrentSlaveIndex = 0;
}

int C_ControlD::MakeCurrent(uint16_t roleMask, uint8_t n) {
    std::lock_guard lock(m_lock);
    const int position = FindNth(roleMask, n);
    if (position < 0) return -1;
    m_byCurrentIndex = static_cast<uint8_t>(position);
    if (m_Items[position].wFlags & kRoleMaster) m_byCurrentMasterIndex = m_byCurrentIndex;
    if (m_Items[position].wFlags & kRoleSlave) m_byCurrentSlaveIndex = m_byCurrentIndex;
    return 0;
}

uint8_t C_ControlD::GetCurrentKind() const {
    std::lock_guard lock(m_lock);
    return m_Items[m_byCurrentIndex].byKind;
}

uint8_t C_ControlD::GetCurrentAddress() const {
    std::lock_guard lock(m_lock);
    return m_Items[m_byCurrentIndex].byAddress;
}

uint8_t C_ControlD::GetCurrentMasterAddress() const {
    std::lock_guard lock(m_lock);
    return m_Items[m_byCurrentMasterIndex].byAddress;
}

uint8_t C_ControlD::GetCurrentSlaveAddress() const {
    std::lock_guard lock(m_lock);
    return m_Items[m_byCurrentSlaveIndex].byAddress;
}

uint8_t C_ControlD::GetCurrentMasterKind() const {
    std::lock_guard lock(m_lock);
    return m_Items[m_byCurrentMasterIndex].byKind;
}

uint8_t C_ControlD::GetMasterKind(uint8_t n) const {
    std::lock_guard lock(m_lock);
    const int position = FindNth(kRoleMaster, n);
    return position < 0 ? 0 : m_Items[position].byKind;
}

uint8_t C_ControlD::GetSlaveKind(uint8_t n) const {
    std::lock_guard lock(m_lock);
    const int position = FindNth(kRoleSlave, n);
    return position < 0 ? 0 : m_Items[position].byKind;
}

uint8_t C_ControlD::IsCurrentMaster() const {
    std::lock_guard lock(m_lock);
    return (m_Items[m_byCurrentIndex].wFlags & kRoleMaster) ? 1 : 0;
}

uint8_t C_ControlD::GetCurrentIndexInKind() const {
    std::lock_guard lock(m_lock);
    const bool master = (m_Items[m_byCurrentIndex].wFlags & kRoleMaster) != 0;
    return static_cast<uint8_t>(CountBefore(master ? kUsedMaster : kUsedSlave, m_byCurrentIndex));
}

uint8_t C_ControlD::HasRetrDvr() const {
    std::lock_guard lock(m_lock);
    for (int i = 0; i < m_byCount; ++i) {
        if (Has(m_Items[i], kUsedMaster) && IsRetrDvrKind(m_Items[i].byKind)) return 1;
    }
    return 0;
}

int C_ControlD::SetRetrState(uint8_t state) {
    std::lock_guard lock(m_lock);
    if (g_lpApp) {
        CSettingINI& settings = g_lpApp->CSettingINI;
        const bool record = settings.m_byRetrAlarmRecord != 0 && m_byRetrState != 0;
        // Other threads read the setting while the frame-fetch thread writes it here.
        std::atomic_ref<uint8_t>(settings.m_byAlarmTriggerRecord).store(record ? 1 : 0);
    }
    if (state != m_byRetrState) {
        char enable[kSplitStringSize];
        char disable[kSplitStringSize];
        LoadSplitString(kRetrKeyId, enable, disable);
        // The key shows the state now reported.
        if (m_retrKeyView) m_retrKeyView->ShowRetrState(state ? 1 : 0, state ? enable : disable);
        m_byRetrState = state;
    }
    return 1;
}

void C_ControlD::SetRetrKeyView(RetrKeyView* view) {
    std::lock_guard lock(m_lock);
    m_retrKeyView = view;
}

uint8_t C_ControlD::GetRetrState() const {
    std::lock_guard lock(m_lock);
    return m_byRetrState;
}

int C_ControlD::SetSlave(uint8_t n, uint8_t kind, uint8_t address) {
    std::lock_guard lock(m_lock);
    const int position = FindNth(kRoleSlave, n);
    if (position >= 0 && kind < kDeviceKindCount) {
        m_Items[position].byKind = kind;
        m_Items[position].byAddress = address;
    }
    return 1;
}

uint8_t C_ControlD::GetCount() const {
    std::lock_guard lock(m_lock);
    return m_byCount;
}

ControlDItem_Struct C_ControlD::GetItem(uint8_t index) const {
    std::lock_guard lock(m_lock);
    return index < kControlDItemCount ? m_Items[index] : ControlDItem_Struct{};
}
