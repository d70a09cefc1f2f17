#include "platform/window/WindowMessageTarget.h"

#include <QCoreApplication>
#include <QEvent>
#include <mutex>
#include <unordered_map>

namespace ormidon {
namespace {

const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WindowMessageEvent : public QEvent {
  public:
    WindowMessageEvent(uint32_t message, WParam wParam, LParam lParam)
        : QEvent(kWindowMessageEvent), message(message), wParam(wParam), lParam(lParam) {}
    const uint32_t message;
    const WParam wParam;
    const LParam lParam;
};

// Handles of the live targets. A post looks its target up and queues the event while
// holding the lock, and a target leaves the table under the same lock before Qt drops
// its waiting events, so a post can never reach a target that is gone.
struct Registry {
    std::mutex mutex;
    std::unordered_map<WindowHandle, WindowMessageTarget*> targets;
    WindowHandle last = 0;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

WindowMessageTarget::WindowMessageTarget(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    do {
        ++registry.last;  // 0 means "no window"; a handle wraps only after 2^32 windows
    } while (registry.last == 0 || registry.targets.count(registry.last) != 0);
    handle_ = registry.last;
    registry.targets.emplace(handle_, this);
}

WindowMessageTarget::~WindowMessageTarget() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.targets.erase(handle_);
}

bool WindowMessageTarget::PostTo(WindowHandle window, uint32_t message, WParam wParam,
                                 LParam lParam) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.targets.find(window);
    if (it == registry.targets.end()) return false;
    QCoreApplication::postEvent(it->second, new WindowMessageEvent(message, wParam, lParam));
    return true;
}

bool WindowMessageTarget::event(QEvent* event) {
    if (event->type() != kWindowMessageEvent) return QObject::event(event);
    const auto* posted = static_cast<WindowMessageEvent*>(event);
    // A handler may close its window and so destroy this target: call a copy.
    Handler handler = handler_;
    if (handler) handler(posted->message, posted->wParam, posted->lParam);
    return true;
}

}  // namespace ormidon
