#include "platform/Thread.h"

#include <chrono>

#include "platform/Clock.h"

namespace ormidon {

Thread::Thread(Function function)
    : completion_(std::make_shared<Completion>()),
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
