#pragma once
// One thread field of the application record: empty, or holding a worker thread that
// is running or has ended and not been joined yet. Threads are never killed: stopping
// one requests its stop (which wakes every wait and socket call it makes with its stop
// token), then joins it within the bound its owner allows.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string_view>

#include "platform/Thread.h"

class ThreadSlot {
  public:
    // Real time a stopping thread gets on top of its bound, for a loaded machine
    // (sanitizer builds, parallel test runs): a thread that reacts to its stop request
    // answers within milliseconds, one that does not is a defect either way.
    static constexpr uint32_t kSchedulingAllowanceMs = 1000;

    ThreadSlot() = default;
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;
    ~ThreadSlot();

    // Starts `function` in the slot. A thread that already ended is joined first; false
    // (nothing started) when the slot still holds a running thread, or when the system
    // gives no thread.
    bool Start(ormidon::Thread::Function function);

    // Requests the stop and joins the thread within `boundMs` (plus the allowance). A
    // thread that overruns is counted as an overrun and then joined without a bound, so
    // the slot is empty when this returns. Returns false only after an overrun; an empty
    // slot gives true at once.
    bool Stop(uint32_t boundMs);

    // True while the slot holds a thread (running, or ended and not joined).
    bool IsOccupied() const;
    // True while the held thread's function has not returned.
    bool IsRunning() const;

    // Number of stops in the life of the process that overran their bound.
    static uint32_t OverrunCount();

  private:
    mutable std::mutex mutex_;
    ormidon::Thread thread_;
    std::shared_ptr<std::atomic<bool>> finished_;
};

// Stops the thread in `slot` within `boundMs`. An overrun is a defect of that thread, not a
// reason to keep anything open: it is written to the trace file under `name` and the stop
// goes on, the slot being empty either way.
void StopThreadSlot(ThreadSlot& slot, uint32_t boundMs, std::string_view name);
