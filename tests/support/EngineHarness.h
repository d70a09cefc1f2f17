#pragma once
// What engine tests need around the application record: recorders for posted window
// messages, message boxes and the main window's calls, a record that is taken down
// cleanly, and a way to run the test clock forward until something happened.
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/LiveView.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessage.h"

namespace ormidon::test {

// Polls `done` every millisecond of real time for up to `realMs`.
inline bool WaitUntil(const std::function<bool()>& done, uint32_t realMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Advances `clock` by `stepMs` at a time until `done` holds. Returns the test-clock time
// advanced by then, or nothing when `limitMs` passed first. With `waiters`, each step waits
// (in real time) until at least that many waits run on the clock, so time does not run on
// while the thread under test is busy elsewhere, on the network for instance. A thread
// may still reach a wait a step late, so times measured this way are never early, at most
// a few steps late.
inline std::optional<uint32_t> AdvanceUntil(TestClock& clock, const std::function<bool()>& done,
                                            uint32_t stepMs, uint32_t limitMs, size_t waiters = 0) {
    for (uint32_t advanced = 0;; advanced += stepMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (done()) return advanced;
        if (advanced >= limitMs) return std::nullopt;
        if (waiters > 0) {
            // Generous: a loaded machine can take seconds over one exchange with the
            // simulated recorder, and every step taken meanwhile makes the times late.
            clock.WaitForWaiters(waiters, 10000);
            if (done()) return advanced;
        }
        clock.Advance(stepMs);
    }
}

struct PostedMessage {
    WindowHandle window;
    uint32_t message;
    WParam wParam;
    LParam lParam;
    uint32_t tick;  // current clock's tick when posted
};

class RecordingRouter final : public WindowMessageRouter {
  public:
    RecordingRouter() { SetWindowMessageRouter(this); }
    ~RecordingRouter() override { SetWindowMessageRouter(nullptr); }

    bool Post(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) override {
        std::lock_guard lock(mutex_);
        posts_.push_back({window, message, wParam, lParam, TickCount()});
        return true;
    }
    std::vector<PostedMessage> Posts() const {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    std::vector<PostedMessage> PostsOf(uint32_t message) const {
        std::vector<PostedMessage> found;
        for (const PostedMessage& post : Posts()) {
            if (post.message == message) found.push_back(post);
        }
        return found;
    }
    size_t Count(uint32_t message, std::optional<LParam> lParam = {}) const {
        std::vector<PostedMessage> posts = PostsOf(message);
        return std::count_if(posts.begin(), posts.end(), [&](const PostedMessage& p) {
            return !lParam || p.lParam == *lParam;
        });
    }

  private:
    mutable std::mutex mutex_;
    std::vector<PostedMessage> posts_;
};

class RecordingMessageBoxes final : public MessageBoxSink {
  public:
    RecordingMessageBoxes() { SetMessageBoxSink(this); }
    ~RecordingMessageBoxes() override { SetMessageBoxSink(nullptr); }

    int Show(uint32_t stringId, uint32_t, std::stop_token) override {
        std::lock_guard lock(mutex_);
        ids_.push_back(stringId);
        return kIdOk;
    }
    // A text box counts as id 0 in Ids().
    int ShowText(const std::string& text, uint32_t, std::stop_token) override {
        std::lock_guard lock(mutex_);
        ids_.push_back(0);
        texts_.push_back(text);
        return kIdOk;
    }
    std::vector<uint32_t> Ids() const {
        std::lock_guard lock(mutex_);
        return ids_;
    }
    std::vector<std::string> Texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<uint32_t> ids_;
    std::vector<std::string> texts_;
};

// The main window as the engine sees it; records every call by name.
class FakeLiveView final : public LiveView {
  public:
    void DrawFrame() override {
        Note("DrawFrame");
        if (g_lpApp) g_lpApp->h_FinishShowImageJobEvent.Set();
    }
    void SetStatusText(std::string_view text) override {
        Note("SetStatusText:" + std::string(text));
    }
    void ClearOverlayTexts() override { Note("ClearOverlayTexts"); }
    void ClearAlarmChannelText() override { Note("ClearAlarmChannelText"); }
    void SetFunctionButtonState(uint32_t actionMask, int state) override {
        Note("SetFunctionButtonState:" + std::to_string(actionMask) + "," + std::to_string(state));
    }
    void SetPtzControlButtonState(int state) override {
        Note("SetPtzControlButtonState:" + std::to_string(state));
    }
    void RefreshRemotePanel() override { Note("RefreshRemotePanel"); }
    void ArrangeControls() override { Note("ArrangeControls"); }
    void InvalidateWindow() override { Note("InvalidateWindow"); }

    std::vector<std::string> Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    size_t Count(const std::string& call) const {
        std::vector<std::string> calls = Calls();
        return std::count(calls.begin(), calls.end(), call);
    }

  private:
    void Note(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// A fresh application record in g_lpApp for the life of the object. At the end every
// thread of the record is stopped before the record goes.
class AppRecordScope {
  public:
    explicit AppRecordScope(LiveView* view = nullptr, WindowHandle mainWindow = 0) {
        g_lpApp = new CAppObject();
        g_lpApp->lp_MainDialog = view;
        g_lpApp->h_MainDialogHandle = mainWindow;
    }
    ~AppRecordScope() {
        ExitLoginResource();
        ExitProcessResource();
        FreeSemaphore();
        FreeSystemBuffer();
        delete g_lpApp;
        g_lpApp = nullptr;
    }
    AppRecordScope(const AppRecordScope&) = delete;
    AppRecordScope& operator=(const AppRecordScope&) = delete;
    CAppObject& App() { return *g_lpApp; }
};

// Entries of a /proc/self folder: the process's threads or its open descriptors.
inline size_t CountProcEntries(const char* folder) {
    size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.') ++count;
        }
        ::closedir(dir);
    }
    return count;
}
inline size_t ThreadCount() { return CountProcEntries("/proc/self/task"); }
// One less: the descriptor of the folder being read.
inline size_t OpenDescriptorCount() { return CountProcEntries("/proc/self/fd") - 1; }

}  // namespace ormidon::test
