#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <stop_token>

#include "platform/Clock.h"
#include "platform/Waitable.h"

namespace ormidon {

enum class WaitStatus { Signalled, TimedOut, Stopped };

struct WaitResult {
    WaitStatus status = WaitStatus::TimedOut;
    std::size_t index = 0;  // which object fired; meaningful only when Signalled
};

// Waits until one of `objects` is signalled, `timeoutMs` of the current clock pass (0 only
// looks; kInfinite waits without limit) or `stop` is requested. When several objects are
// signalled, the first in the list wins. Only the object reported is consumed (an auto-reset
// event is reset, a semaphore unit taken); nothing is consumed on time-out or stop. A stop
// that is already requested wins over signalled objects, so a stopping thread leaves their
// state for others.
WaitResult WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs,
                   std::stop_token stop = {});
WaitResult WaitAny(std::initializer_list<Waitable*> objects, std::uint32_t timeoutMs,
                   std::stop_token stop = {});

}  // namespace ormidon
