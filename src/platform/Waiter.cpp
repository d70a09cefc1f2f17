#include "platform/Waiter.h"

#include <chrono>

#include "platform/Clock.h"

namespace ormidon::detail {

void Waiter::Poke() {
    {
        std::lock_guard lock(mutex_);
        isPoked_ = true;
    }
    poked_.notify_all();
}

void Waiter::ClearPoke() {
    std::lock_guard lock(mutex_);
    isPoked_ = false;
}

void Waiter::WaitForPoke(std::uint32_t realMs) {
    std::unique_lock lock(mutex_);
    if (realMs == kInfinite) {
        poked_.wait(lock, [this] { return isPoked_; });
    } else {
        poked_.wait_for(lock, std::chrono::milliseconds(realMs), [this] { return isPoked_; });
    }
}

}  // namespace ormidon::detail
