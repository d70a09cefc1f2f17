#pragma once
// Window timers by number, as the system's windows use them: SetTimer(id, period) starts
// (or restarts) timer `id`, KillTimer(id) stops it, and every period runs the window's
// handler with the id on the window's thread.
#include <QObject>
#include <functional>
#include <map>
#include <mutex>

namespace ormidon {

class WindowTimers : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(uint32_t id)>;

    // Create on the window's thread, usually with the window as parent.
    explicit WindowTimers(Handler handler, QObject* parent = nullptr);

    // Window's thread only.
    void SetTimer(uint32_t id, int periodMs);

    // Any thread. After it returns, the handler does not run for `id` again (a tick that
    // was already queued is dropped), so a worker that stops the timer and then posts its
    // result sees no tick in between. False when the timer was not running.
    bool KillTimer(uint32_t id);

    bool IsRunning(uint32_t id) const;

    // Runs the handler for a running timer at once, as if its period had passed, so tests
    // step timers instead of waiting for them. False when `id` is not running.
    bool Elapse(uint32_t id);

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    Handler handler_;
    mutable std::mutex mutex_;
    std::map<uint32_t, int> running_;  // our id -> Qt timer id
};

}  // namespace ormidon
