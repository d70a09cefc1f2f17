#pragma once

#include "platform/Waitable.h"

namespace ormidon {

// A signal between threads. A manual-reset event stays set until Reset and releases every
// waiter; an auto-reset event releases one waiter and resets itself as that wait returns.
class Event final : public Waitable {
  public:
    explicit Event(bool manualReset = false, bool initiallySet = false);

    void Set();
    void Reset();

  private:
    bool TryAcquireLocked() override;

    const bool manualReset_;
    bool isSet_;
};

}  // namespace ormidon
