#include "platform/RecordingMessageBoxSink.h"

namespace ormidon {

int RecordingMessageBoxSink::Show(uint32_t stringId, uint32_t flags, std::stop_token) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({stringId, flags, {}});
    shown_.notify_all();
    return answer_;
}

int RecordingMessageBoxSink::ShowText(const std::string& text, uint32_t flags, std::stop_token) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({0, flags, text});
    shown_.notify_all();
    return answer_;
}

void RecordingMessageBoxSink::SetAnswer(int answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
}

std::vector<RecordingMessageBoxSink::Box> RecordingMessageBoxSink::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<uint32_t> RecordingMessageBoxSink::Ids() const {
    std::lock_guard lock(mutex_);
    std::vector<uint32_t> ids;
    for (const Box& box : boxes_) ids.push_back(box.stringId);
    return ids;
}

std::vector<std::string> RecordingMessageBoxSink::Texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const Box& box : boxes_) {
        if (box.stringId == 0) texts.push_back(box.text);
    }
    return texts;
}

bool RecordingMessageBoxSink::WaitForCount(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return shown_.wait_for(lock, limit, [&] { return boxes_.size() >= count; });
}

}  // namespace ormidon
