#pragma once
// A window-message router for tests: records every post from any thread. Every handle
// except 0 counts as a live window until the test closes it; posts to a closed window
// are dropped (and not recorded), as they are for a real window that is gone.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

#include "platform/WindowMessage.h"

namespace ormidon {

class RecordingWindowMessageRouter : public WindowMessageRouter {
  public:
    struct Message {
        WindowHandle window;
        uint32_t message;
        WParam wParam;
        LParam lParam;
    };

    bool Post(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) override;

    void CloseWindow(WindowHandle window);

    std::vector<Message> Messages() const;
    // The message numbers posted to `window`, in order.
    std::vector<uint32_t> MessagesTo(WindowHandle window) const;

    // Waits until at least `count` posts were recorded; false when `limit` passed first.
    bool WaitForCount(size_t count, std::chrono::milliseconds limit) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable posted_;
    std::vector<Message> messages_;
    std::set<WindowHandle> closed_;
};

}  // namespace ormidon
