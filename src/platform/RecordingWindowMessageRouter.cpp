#include "platform/RecordingWindowMessageRouter.h"

namespace ormidon {

bool RecordingWindowMessageRouter::Post(WindowHandle window, uint32_t message, WParam wParam,
                                        LParam lParam) {
    std::lock_guard lock(mutex_);
    if (window == 0 || closed_.count(window) != 0) return false;
    messages_.push_back({window, message, wParam, lParam});
    posted_.notify_all();
    return true;
}

void RecordingWindowMessageRouter::CloseWindow(WindowHandle window) {
    std::lock_guard lock(mutex_);
    closed_.insert(window);
}

std::vector<RecordingWindowMessageRouter::Message> RecordingWindowMessageRouter::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<uint32_t> RecordingWindowMessageRouter::MessagesTo(WindowHandle window) const {
    std::lock_guard lock(mutex_);
    std::vector<uint32_t> numbers;
    for (const Message& m : messages_) {
        if (m.window == window) numbers.push_back(m.message);
    }
    return numbers;
}

bool RecordingWindowMessageRouter::WaitForCount(size_t count,
                                                std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, limit, [&] { return messages_.size() >= count; });
}

}  // namespace ormidon
