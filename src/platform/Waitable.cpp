#include "platform/Waitable.h"

#include "platform/WaitAny.h"
#include "platform/Waiter.h"

namespace ormidon {

bool Waitable::Wait(std::uint32_t timeoutMs, std::stop_token stop) {
    return WaitAny({this}, timeoutMs, std::move(stop)).status == WaitStatus::Signalled;
}

bool Waitable::TryAcquire() {
    std::lock_guard lock(mutex_);
    return TryAcquireLocked();
}

void Waitable::Attach(detail::Waiter& waiter) {
    std::lock_guard lock(mutex_);
    waiters_.push_back(&waiter);
}

void Waitable::Detach(detail::Waiter& waiter) {
    std::lock_guard lock(mutex_);
    std::erase(waiters_, &waiter);
}

void Waitable::WakeWaitersLocked() {
    for (detail::Waiter* waiter : waiters_) waiter->Poke();
}

}  // namespace ormidon
