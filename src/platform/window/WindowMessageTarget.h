#pragma once
// A window's mailbox for numbered window messages. A window owns one target; the target
// registers itself under a fresh handle, and messages posted to that handle from any
// thread reach the window's handler on the UI thread, in the order they were posted.
// Once the target is destroyed, its handle is never used again and posts to it are
// dropped, including those still waiting in the queue.
#include <QObject>
#include <functional>

#include "platform/WindowMessage.h"

namespace ormidon {

class WindowMessageTarget : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t message, WParam wParam, LParam lParam)>;

    // Create on the UI thread; `parent` is usually the window itself, so the target goes
    // with it.
    explicit WindowMessageTarget(Handler handler, QObject* parent = nullptr);
    ~WindowMessageTarget() override;

    WindowMessageTarget(const WindowMessageTarget&) = delete;
    WindowMessageTarget& operator=(const WindowMessageTarget&) = delete;

    WindowHandle Handle() const { return handle_; }

    // Queues a message for the target registered under `window`; false when there is none.
    static bool PostTo(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

  protected:
    bool event(QEvent* event) override;

  private:
    Handler handler_;
    WindowHandle handle_;
};

// The router that the engine's PostWindowMessage goes through once it is installed with
// SetWindowMessageRouter.
class QtWindowMessageRouter : public WindowMessageRouter {
  public:
    bool Post(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) override {
        return WindowMessageTarget::PostTo(window, message, wParam, lParam);
    }
};

}  // namespace ormidon
