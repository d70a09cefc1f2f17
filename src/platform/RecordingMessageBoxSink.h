#pragma once
// A message-box sink for tests: records every box (string id and buttons) from any thread
// and answers with a set answer instead of showing anything.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace ormidon {

class RecordingMessageBoxSink : public MessageBoxSink {
  public:
    struct Box {
        uint32_t stringId;  // 0 for a text box
        uint32_t flags;
        std::string text;  // the text of a text box
    };

    int Show(uint32_t stringId, uint32_t flags, std::stop_token stop) override;
    int ShowText(const std::string& text, uint32_t flags, std::stop_token stop) override;

    // The answer of every later box (kIdOk unless set).
    void SetAnswer(int answer);

    std::vector<Box> Boxes() const;
    std::vector<uint32_t> Ids() const;
    // The texts of the text boxes, in order.
    std::vector<std::string> Texts() const;

    // Waits until at least `count` boxes were shown; false when `limit` passed first.
    // For boxes that worker threads raise.
    bool WaitForCount(size_t count, std::chrono::milliseconds limit) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable shown_;
    std::vector<Box> boxes_;
    int answer_ = kIdOk;
};

}  // namespace ormidon
