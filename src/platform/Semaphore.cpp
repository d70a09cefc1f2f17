#include "platform/Semaphore.h"

#include <algorithm>

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

bool Semaphore::TryAcquireLocked() {
    if (count_ == 0) return false;
    --count_;
    return true;
}

}  // namespace ormidon
