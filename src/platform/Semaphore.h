#pragma once

#include "platform/Waitable.h"

namespace ormidon {

// A counter of available units between 0 and a maximum. A wait takes one unit.
class Semaphore final : public Waitable {
  public:
    // `initialCount` is clamped to 0..maximumCount.
    Semaphore(int initialCount, int maximumCount);

    // Adds `count` units. Fails (returns false, count unchanged) when `count` is below 1 or the
    // count would pass the maximum.
    bool Release(int count = 1);

  private:
    bool TryAcquireLocked() override;

    const int maximumCount_;
    int count_;
};

}  // namespace ormidon
