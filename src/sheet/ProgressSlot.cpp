#include "sheet/ProgressSlot.h"

#include <algorithm>
#include <mutex>

#include "platform/WaitAny.h"

namespace {

std::mutex g_ProgressSlotLock;
std::shared_ptr<ProgressSlot> g_lpProgressSlot;

}  // namespace

void SetProgressSlot(std::shared_ptr<ProgressSlot> slot) {
    std::lock_guard lock(g_ProgressSlotLock);
    g_lpProgressSlot = std::move(slot);
}

void ClearProgressSlot(const ProgressSlot* slot) {
    std::lock_guard lock(g_ProgressSlotLock);
    if (g_lpProgressSlot.get() == slot) g_lpProgressSlot.reset();
}

std::shared_ptr<ProgressSlot> CurrentProgressSlot() {
    std::lock_guard lock(g_ProgressSlotLock);
    return g_lpProgressSlot;
}

bool PostProgressCommand(uint32_t command, uint32_t value, std::stop_token stop) {
    return PostProgressCommandTo(CurrentProgressSlot(), command, value, std::move(stop));
}

bool PostProgressCommandTo(const std::shared_ptr<ProgressSlot>& slot, uint32_t command,
                           uint32_t value, std::stop_token stop) {
    if (!slot) return false;
    const ormidon::WaitResult taken =
        ormidon::WaitAny({&slot->m_Closed, &slot->m_hSlotFree}, ormidon::kInfinite, stop);
    if (taken.status != ormidon::WaitStatus::Signalled || taken.index != 1) return false;
    slot->dwCommand = command;
    slot->dwValue = value;
    slot->m_hCommandReady.Release();
    return true;
}

void Progress_Bar_Thread(ProgressSlot& slot, const ProgressThread::Handler& handler,
                         std::stop_token stop) {
    for (;;) {
        const ormidon::WaitResult ready =
            ormidon::WaitAny({&slot.m_hCommandReady}, ormidon::kInfinite, stop);
        if (ready.status == ormidon::WaitStatus::Stopped) return;
        handler(slot.dwCommand, slot.dwValue);
        slot.m_hSlotFree.Release();
    }
}

ProgressThread::ProgressThread(std::shared_ptr<ProgressSlot> slot, Handler handler)
    : m_slot(std::move(slot)) {
    m_thread = ormidon::Thread([slot = m_slot, handler = std::move(handler)](std::stop_token stop) {
        Progress_Bar_Thread(*slot, handler, stop);
    });
}

ProgressThread::~ProgressThread() { Stop(); }

bool ProgressThread::Stop(uint32_t boundMs) {
    m_slot->m_Closed.Set();
    if (!m_thread.Joinable()) return true;
    m_thread.RequestStop();
    return m_thread.Join(boundMs);
}

ProgressLook ComputeProgressLook(const QRect& bar, int64_t position, int64_t total) {
    const int left = bar.left();
    const int inner = std::max(0, bar.width() - 4);
    ProgressLook look;
    if (total > 0 && position > 0) {
        const int64_t shown = std::min(position, total);
        look.fill = static_cast<int>(shown * inner / total);
        look.percent = static_cast<uint32_t>(shown * 100 / total);
    }
    look.textInsideFill = look.percent > 50;
    look.textX = look.textInsideFill ? left + look.fill - 43 : left + look.fill + 4;
    return look;
}
