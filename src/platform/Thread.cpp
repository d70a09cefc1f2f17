#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "platform/Clock.h"

namespace ormidon {

namespace {

std::atomic<int> g_failingStarts{0};

// Throws as a refused thread creation does while tests ask for failures.
void CheckStartAllowed() {
    int left = g_failingStarts.load();
    while (left > 0) {
        if (g_failingStarts.compare_exchange_weak(left, left - 1)) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                    "thread");
        }
    }
}

}  // namespace

void FailThreadStartsForTesting(int count) { g_failingStarts = count; }

Thread::Thread(Function function)
    : completion_((CheckStartAllowed(), std::make_shared<Completion>())),
      thread_([completion = completion_, function = std::move(function)](std::stop_token stop) {
          function(std::move(stop));
          {
              std::lock_guard lock(completion->mutex);
              completion->finished = true;
          }
          completion->done.notify_all();
      }) {}

void Thread::RequestStop() { thread_.request_stop(); }

bool Thread::Join(std::uint32_t boundMs) {
    if (!thread_.joinable()) return true;
    {
        std::unique_lock lock(completion_->mutex);
        const auto finished = [this] { return completion_->finished; };
        if (boundMs == kInfinite) {
            completion_->done.wait(lock, finished);
        } else if (!completion_->done.wait_for(lock, std::chrono::milliseconds(boundMs),
                                               finished)) {
            return false;
        }
    }
    thread_.join();
    return true;
}

bool Thread::Joinable() const { return thread_.joinable(); }

std::stop_token Thread::GetStopToken() const { return thread_.get_stop_token(); }

}  // namespace ormidon
