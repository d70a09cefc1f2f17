#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

#include "platform/WaitAny.h"
#include "platform/Waiter.h"

namespace ormidon {

namespace {

using LocalMs = std::chrono::local_time<std::chrono::milliseconds>;

LocalMs ToTimePoint(const LocalTime& t) {
    using namespace std::chrono;
    const local_days date{year{t.year} / month{static_cast<unsigned>(t.month)} /
                          day{static_cast<unsigned>(t.day)}};
    return date + hours{t.hour} + minutes{t.minute} + seconds{t.second} +
           milliseconds{t.millisecond};
}

LocalTime FromTimePoint(LocalMs point) {
    using namespace std::chrono;
    const local_days date = floor<days>(point);
    const year_month_day ymd{date};
    const hh_mm_ss time{point - date};
    LocalTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(time.hours().count());
    t.minute = static_cast<int>(time.minutes().count());
    t.second = static_cast<int>(time.seconds().count());
    t.millisecond = static_cast<int>(time.subseconds().count());
    t.dayOfWeek = static_cast<int>(weekday{date}.c_encoding());
    return t;
}

RealClock& TheRealClock() {
    static RealClock clock;
    return clock;
}

std::atomic<Clock*> currentClock{nullptr};

}  // namespace

std::uint32_t RealClock::TickCount() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

LocalTime RealClock::LocalNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(((sinceEpoch.count() % 1000) + 1000) % 1000);
    t.dayOfWeek = parts.tm_wday;
    return t;
}

TestClock::TestClock(std::uint32_t startTick)
    : tick_(startTick),
      localTimeSetAt_(startTick),
      localTime_(FromTimePoint(ToTimePoint({.year = 2024, .month = 1, .day = 1}))) {}

void TestClock::Advance(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    tick_ += ms;
    for (detail::Waiter* waiter : waiters_) waiter->Poke();
}

void TestClock::SetLocalTime(const LocalTime& time) {
    std::lock_guard lock(mutex_);
    // Normalised, so the day of week always matches the date.
    localTime_ = FromTimePoint(ToTimePoint(time));
    localTimeSetAt_ = tick_;
}

bool TestClock::WaitForWaiters(std::size_t count, std::uint32_t realBoundMs) {
    std::unique_lock lock(mutex_);
    return waiterAttached_.wait_for(lock, std::chrono::milliseconds(realBoundMs),
                                    [&] { return waiters_.size() >= count; });
}

std::uint32_t TestClock::TickCount() {
    std::lock_guard lock(mutex_);
    return tick_;
}

LocalTime TestClock::LocalNow() {
    std::lock_guard lock(mutex_);
    const std::uint32_t elapsed = tick_ - localTimeSetAt_;
    return FromTimePoint(ToTimePoint(localTime_) + std::chrono::milliseconds(elapsed));
}

void TestClock::Attach(detail::Waiter& waiter) {
    {
        std::lock_guard lock(mutex_);
        waiters_.push_back(&waiter);
    }
    waiterAttached_.notify_all();
}

void TestClock::Detach(detail::Waiter& waiter) {
    std::lock_guard lock(mutex_);
    std::erase(waiters_, &waiter);
}

std::uint32_t TestClock::RealWaitBound(std::uint32_t) { return kInfinite; }

Clock& CurrentClock() {
    Clock* clock = currentClock.load();
    return clock != nullptr ? *clock : TheRealClock();
}

ScopedClockOverride::ScopedClockOverride(Clock& clock) : previous_(currentClock.exchange(&clock)) {}

ScopedClockOverride::~ScopedClockOverride() { currentClock.store(previous_); }

std::uint32_t TickCount() { return CurrentClock().TickCount(); }

LocalTime LocalNow() { return CurrentClock().LocalNow(); }

bool Sleep(std::uint32_t ms, std::stop_token stop) {
    return WaitAny({}, ms, std::move(stop)).status != WaitStatus::Stopped;
}

}  // namespace ormidon
