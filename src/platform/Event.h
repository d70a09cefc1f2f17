#pragma once

#include <cstdint>
#include <stop_token>

#include "platform/Clock.h"
#include "platform/Waitable.h"

namespace ormidon {

// A signal between threads. A manual-reset event stays set until Reset and releases every
// waiter; an auto-reset event releases one waiter and resets itself as that wait returns.
class Event final : public Waitable {
  public:
    explicit Event(bool manualReset = false, bool initiallySet = false);

    void Set();
    void Reset();
    // True when the event was (or became) set within `timeoutMs` of the current clock; false on
    // time-out or when `stop` is requested. 0 only looks; kInfinite waits without limit.
    bool Wait(std::uint32_t timeoutMs = kInfinite, std::stop_token stop = {});

  private:
    bool TryAcquireLocked() override;

    const bool manualReset_;
    bool isSet_;
};

}  // namespace ormidon
