#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ormidon::detail {

// One blocked wait. Everything that could end the wait (an object being signalled, the clock
// moving, a stop request) pokes the waiter; the waiter then looks again at what it waits for.
// A poke that arrives between the look and the sleep is kept, so no wake-up is lost.
class Waiter {
  public:
    void Poke();
    // Forgets earlier pokes; called just before the waiter looks at what it waits for.
    void ClearPoke();
    // Blocks until poked or `realMs` milliseconds of real time pass (kInfinite: until poked).
    void WaitForPoke(std::uint32_t realMs);

  private:
    std::mutex mutex_;
    std::condition_variable poked_;
    bool isPoked_ = false;
};

}  // namespace ormidon::detail
