#include "platform/Semaphore.h"

#include <algorithm>

#include "platform/WaitAny.h"

namespace ormidon {

Semaphore::Semaphore(int initialCount, int maximumCount)
    : maximumCount_(maximumCount), count_(std::clamp(initialCount, 0, std::max(maximumCount, 0))) {}

bool Semaphore::Release(int count) {
    std::lock_guard lock(mutex_);
    if (count < 1 || count > maximumCount_ - count_) return false;
    count_ += count;
    WakeWaitersLocked();
    return true;
}

bool Semaphore::Wait(std::uint32_t timeoutMs, std::stop_token stop) {
    return WaitAny({this}, timeoutMs, std::move(stop)).status == WaitStatus::Signalled;
}

bool Semaphore::TryAcquireLocked() {
    if (count_ == 0) return false;
    --count_;
    return true;
}

}  // namespace ormidon
