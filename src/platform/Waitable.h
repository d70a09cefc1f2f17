#pragma once

#include <cstdint>
#include <mutex>
#include <stop_token>
#include <vector>

#include "platform/Clock.h"

namespace ormidon {

namespace detail {
class Waiter;
}

// Something a thread can wait for: an Event or a Semaphore. Waiting on it consumes what the
// wait got (an auto-reset event is reset, a semaphore count is taken).
class Waitable {
  public:
    Waitable(const Waitable&) = delete;
    Waitable& operator=(const Waitable&) = delete;

    // True when the object was (or became) signalled within `timeoutMs` of the current clock,
    // and the wait consumed it; false on time-out or when `stop` is requested. 0 only looks;
    // kInfinite waits without limit.
    bool Wait(std::uint32_t timeoutMs = kInfinite, std::stop_token stop = {});

    // Used by the waits: takes the object if it is signalled.
    bool TryAcquire();
    // Used by the waits: an attached waiter is poked whenever the object may have become
    // signalled.
    void Attach(detail::Waiter& waiter);
    void Detach(detail::Waiter& waiter);

  protected:
    Waitable() = default;
    ~Waitable() = default;

    // Called with mutex_ held.
    virtual bool TryAcquireLocked() = 0;
    // Called with mutex_ held after the object became signalled.
    void WakeWaitersLocked();

    std::mutex mutex_;

  private:
    std::vector<detail::Waiter*> waiters_;
};

}  // namespace ormidon
