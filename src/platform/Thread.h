#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace ormidon {

// A worker thread that is never killed. Stopping it is: RequestStop (every wait the thread
// makes with its stop token wakes at once, and every std::stop_callback still registered on
// the token runs), then Join with a bound. The destructor requests the stop and joins.
class Thread {
  public:
    using Function = std::function<void(std::stop_token)>;

    Thread() = default;
    // Starts `function` on a new thread; it receives this thread's stop token. Throws
    // std::system_error when no thread can be made.
    explicit Thread(Function function);

    Thread(Thread&&) noexcept = default;
    // Stops and joins the thread this object held before taking over `other`'s.
    Thread& operator=(Thread&&) noexcept = default;
    ~Thread() = default;

    void RequestStop();
    // Waits up to `boundMs` of real time (kInfinite: without limit) for the thread function
    // to return. True when it returned (the thread is then joined); false when it overran the
    // bound, which the caller treats as a defect; the thread stays joinable.
    bool Join(std::uint32_t boundMs);
    bool Joinable() const;
    std::stop_token GetStopToken() const;

  private:
    struct Completion {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };

    std::shared_ptr<Completion> completion_;
    // Declared last: destroyed (stop requested, joined) first.
    std::jthread thread_;
};

// Tests: the next `count` threads fail to start the way they do when the system has none
// left to give (the constructor throws std::system_error).
void FailThreadStartsForTesting(int count);

}  // namespace ormidon
