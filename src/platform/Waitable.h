#pragma once

#include <mutex>
#include <vector>

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
