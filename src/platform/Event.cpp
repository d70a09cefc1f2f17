#include "platform/Event.h"

namespace ormidon {

Event::Event(bool manualReset, bool initiallySet)
    : manualReset_(manualReset), isSet_(initiallySet) {}

void Event::Set() {
    std::lock_guard lock(mutex_);
    isSet_ = true;
    WakeWaitersLocked();
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    isSet_ = false;
}

bool Event::TryAcquireLocked() {
    if (!isSet_) return false;
    if (!manualReset_) isSet_ = false;
    return true;
}

}  // namespace ormidon
