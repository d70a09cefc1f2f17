#include "platform/WaitAny.h"

#include "platform/Waiter.h"

namespace ormidon {

namespace {

// Attaches a waiter to everything that can end its wait, for the lifetime of the wait.
class Attachments {
  public:
    Attachments(detail::Waiter& waiter, std::span<Waitable* const> objects, Clock& clock)
        : waiter_(waiter), objects_(objects), clock_(clock) {
        for (Waitable* object : objects_) object->Attach(waiter_);
        clock_.Attach(waiter_);
    }
    ~Attachments() {
        clock_.Detach(waiter_);
        for (Waitable* object : objects_) object->Detach(waiter_);
    }
    Attachments(const Attachments&) = delete;
    Attachments& operator=(const Attachments&) = delete;

  private:
    detail::Waiter& waiter_;
    std::span<Waitable* const> objects_;
    Clock& clock_;
};

}  // namespace

WaitResult WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs,
                   std::stop_token stop) {
    Clock& clock = CurrentClock();
    const std::uint32_t start = clock.TickCount();
    detail::Waiter waiter;
    // Attached before the first look, so a signal between a look and the sleep still wakes us.
    Attachments attachments(waiter, objects, clock);
    std::stop_callback onStop(stop, [&waiter] { waiter.Poke(); });

    for (;;) {
        waiter.ClearPoke();
        if (stop.stop_requested()) return {WaitStatus::Stopped};
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (objects[i]->TryAcquire()) return {WaitStatus::Signalled, i};
        }
        std::uint32_t remaining = kInfinite;
        if (timeoutMs != kInfinite) {
            // Unsigned difference: correct across the wrap of the tick.
            const std::uint32_t elapsed = clock.TickCount() - start;
            if (elapsed >= timeoutMs) return {WaitStatus::TimedOut};
            remaining = timeoutMs - elapsed;
        }
        waiter.WaitForPoke(clock.RealWaitBound(remaining));
    }
}

WaitResult WaitAny(std::initializer_list<Waitable*> objects, std::uint32_t timeoutMs,
                   std::stop_token stop) {
    return WaitAny(std::span<Waitable* const>(objects.begin(), objects.size()), timeoutMs,
                   std::move(stop));
}

}  // namespace ormidon
