#include "platform/window/WindowTimers.h"

#include <QMetaObject>
#include <QThread>
#include <QTimerEvent>

namespace ormidon {

WindowTimers::WindowTimers(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void WindowTimers::SetTimer(uint32_t id, int periodMs) {
    std::lock_guard lock(mutex_);
    auto it = running_.find(id);
    if (it != running_.end()) {
        killTimer(it->second);
        running_.erase(it);
    }
    const int qtId = startTimer(periodMs < 0 ? 0 : periodMs, Qt::PreciseTimer);
    if (qtId != 0) running_.emplace(id, qtId);
}

bool WindowTimers::KillTimer(uint32_t id) {
    int qtId = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = running_.find(id);
        if (it == running_.end()) return false;
        qtId = it->second;
        running_.erase(it);
    }
    // Qt stops a timer only on its own thread; until then its ticks find no id and do nothing.
    if (QThread::currentThread() == thread()) {
        killTimer(qtId);
    } else {
        QMetaObject::invokeMethod(
            this, [this, qtId] { killTimer(qtId); }, Qt::QueuedConnection);
    }
    return true;
}

bool WindowTimers::IsRunning(uint32_t id) const {
    std::lock_guard lock(mutex_);
    return running_.count(id) != 0;
}

bool WindowTimers::Elapse(uint32_t id) {
    if (!IsRunning(id)) return false;
    Handler handler = handler_;  // the handler may destroy the window and these timers
    if (handler) handler(id);
    return true;
}

void WindowTimers::timerEvent(QTimerEvent* event) {
    uint32_t id = 0;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [ourId, qtId] : running_) {
            if (qtId == event->timerId()) {
                id = ourId;
                found = true;
                break;
            }
        }
    }
    if (!found) return;
    Handler handler = handler_;
    if (handler) handler(id);
}

}  // namespace ormidon
