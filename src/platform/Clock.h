#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <vector>

namespace ormidon {

namespace detail {
class Waiter;
}

// A time-out that never expires.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Calendar time in the local time zone, to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday .. 6 = Saturday

    bool operator==(const LocalTime&) const = default;
};

// Source of the millisecond tick and of the local time. Every sleep and time-out in the
// program measures its time on the current clock, so tests can swap in a TestClock and run
// long pauses without waiting them out.
class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; wraps around after about 49.7 days, so only
    // differences (computed in unsigned 32-bit arithmetic) are meaningful.
    virtual std::uint32_t TickCount() = 0;
    virtual LocalTime LocalNow() = 0;

    // Used by the waits. A clock whose time moves by other means than real time passing wakes
    // its attached waiters whenever it moves, so they re-check their deadlines.
    virtual void Attach(detail::Waiter&) {}
    virtual void Detach(detail::Waiter&) {}
    // Longest real time a waiter may block while `remainingMs` of this clock are left to run;
    // kInfinite means "until woken".
    virtual std::uint32_t RealWaitBound(std::uint32_t remainingMs) { return remainingMs; }
};

// The machine's own clock.
class RealClock final : public Clock {
  public:
    std::uint32_t TickCount() override;
    LocalTime LocalNow() override;
};

// A clock that only moves when a test advances it. Sleepers and wait time-outs measured on it
// wake as it advances; its local time runs on from the last SetLocalTime by the same amount.
class TestClock final : public Clock {
  public:
    explicit TestClock(std::uint32_t startTick = 0);

    void Advance(std::uint32_t ms);
    void SetLocalTime(const LocalTime& time);
    // Blocks until at least `count` waits measure their time on this clock, so a test advances
    // only once the thread it drives has reached its wait. False if that took longer than
    // `realBoundMs` of real time.
    bool WaitForWaiters(std::size_t count, std::uint32_t realBoundMs = 10000);

    std::uint32_t TickCount() override;
    LocalTime LocalNow() override;
    void Attach(detail::Waiter& waiter) override;
    void Detach(detail::Waiter& waiter) override;
    std::uint32_t RealWaitBound(std::uint32_t remainingMs) override;

  private:
    std::mutex mutex_;
    std::condition_variable waiterAttached_;
    std::uint32_t tick_;
    std::uint32_t localTimeSetAt_;
    LocalTime localTime_;
    std::vector<detail::Waiter*> waiters_;
};

// The process-wide clock: the real clock unless a test overrides it.
Clock& CurrentClock();

// Makes `clock` the current clock for the lifetime of this object. The clock must outlive
// every wait that started while it was current.
class ScopedClockOverride {
  public:
    explicit ScopedClockOverride(Clock& clock);
    ~ScopedClockOverride();
    ScopedClockOverride(const ScopedClockOverride&) = delete;
    ScopedClockOverride& operator=(const ScopedClockOverride&) = delete;

  private:
    Clock* previous_;
};

// Shorthands on the current clock.
std::uint32_t TickCount();
LocalTime LocalNow();

// Sleeps `ms` milliseconds of the current clock. Returns false if `stop` was requested before
// the time passed (the sleep then ends at once).
bool Sleep(std::uint32_t ms, std::stop_token stop = {});

}  // namespace ormidon
