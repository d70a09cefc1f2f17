#include "core/ThreadSlot.h"

#include <string>
#include <system_error>
#include <utility>

#include "core/TraceFile.h"
#include "platform/Clock.h"

namespace {
std::atomic<uint32_t> g_threadOverruns{0};
}

ThreadSlot::~ThreadSlot() { Stop(ormidon::kInfinite); }

bool ThreadSlot::Start(ormidon::Thread::Function function) {
    std::lock_guard lock(mutex_);
    if (thread_.Joinable()) {
        if (!finished_->load()) return false;
        thread_.Join(ormidon::kInfinite);
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    try {
        thread_ = ormidon::Thread([finished, function = std::move(function)](std::stop_token stop) {
            function(std::move(stop));
            finished->store(true);
        });
    } catch (const std::system_error&) {
        return false;
    }
    finished_ = std::move(finished);
    return true;
}

bool ThreadSlot::Stop(uint32_t boundMs) {
    ormidon::Thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.Joinable()) return true;
        thread = std::move(thread_);
        finished_.reset();
    }
    thread.RequestStop();
    const uint32_t bound =
        boundMs == ormidon::kInfinite ? boundMs : boundMs + kSchedulingAllowanceMs;
    if (thread.Join(bound)) return true;
    g_threadOverruns.fetch_add(1);
    thread.Join(ormidon::kInfinite);
    return false;
}

bool ThreadSlot::IsOccupied() const {
    std::lock_guard lock(mutex_);
    return thread_.Joinable();
}

bool ThreadSlot::IsRunning() const {
    std::lock_guard lock(mutex_);
    return thread_.Joinable() && !finished_->load();
}

uint32_t ThreadSlot::OverrunCount() { return g_threadOverruns.load(); }

void StopThreadSlot(ThreadSlot& slot, uint32_t boundMs, std::string_view name) {
    if (slot.Stop(boundMs)) return;
    WriteTraceFile(std::string(name) + " did not end within " + std::to_string(boundMs) + " ms");
}
