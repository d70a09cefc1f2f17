#pragma once
// A text that several threads read and write: every access takes its own lock and
// copies, so a reader never sees a text half-written by another thread.
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

class GuardedText {
  public:
    GuardedText() = default;
    explicit GuardedText(std::string text) : m_text(std::move(text)) {}
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    std::string Get() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }
    void Set(std::string_view text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text.assign(text);
    }

  private:
    mutable std::mutex m_mutex;
    std::string m_text;
};
