#pragma once
// The recorder's shutdown signal and its stall gate. Every blocking wait of the recorder's
// threads includes the signal's descriptor or its condition, so Stop wakes them all at once.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ormidon::sim {

class StopSignal {
  public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Stop();
    bool Stopped() const;
    // Readable once Stop was called; polled beside every socket.
    int Fd() const { return m_fd; }

    // Sleeps `pause` of real time; false when the signal stops it early.
    bool SleepFor(std::chrono::milliseconds pause);

    // The number of EndStalls calls so far; a stall ends when it moves on.
    uint64_t StallGeneration() const;
    void EndStalls();
    // Waits at most `slice` for the stall begun at `generation` to end; true once it has
    // ended or the signal stopped.
    bool WaitStallEnd(uint64_t generation, std::chrono::milliseconds slice);

  private:
    int m_fd = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopped = false;
    uint64_t m_stallGeneration = 0;
};

}  // namespace ormidon::sim
