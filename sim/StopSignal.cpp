#include "sim/StopSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

namespace ormidon::sim {

StopSignal::StopSignal() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (m_fd >= 0) close(m_fd);
}

void StopSignal::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(m_fd, &one, sizeof one);
}

bool StopSignal::Stopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

bool StopSignal::SleepFor(std::chrono::milliseconds pause) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, pause, [this] { return m_stopped; });
}

uint64_t StopSignal::StallGeneration() const {
    std::lock_guard lock(m_mutex);
    return m_stallGeneration;
}

void StopSignal::EndStalls() {
    {
        std::lock_guard lock(m_mutex);
        ++m_stallGeneration;
    }
    m_changed.notify_all();
}

bool StopSignal::WaitStallEnd(uint64_t generation, std::chrono::milliseconds slice) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, slice,
                              [&] { return m_stopped || m_stallGeneration != generation; });
}

}  // namespace ormidon::sim
