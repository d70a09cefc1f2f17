#pragma once
// A sound output for tests: records the format it was opened with and a copy of every block
// queued, and plays queued blocks only when the test says so. Install its factory with
// SetAudioOutFactory; every output made by it reports here.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/AudioOut.h"

namespace ormidon {

class RecordingAudioSink {
  public:
    RecordingAudioSink();

    AudioOutFactory Factory();

    // Opens fail from now on, as on a machine without a sound device.
    void SetNoDevice(bool noDevice);

    // The format of the last successful open.
    std::optional<AudioFormat> OpenedFormat() const;
    int OpenCount() const;
    int ResetCount() const;
    // Every block queued so far, oldest first, as its bytes were when it was queued.
    std::vector<std::vector<uint8_t>> Blocks() const;
    // Blocks queued and not yet played or dropped.
    size_t Pending() const;
    // Waits until at least `count` blocks were queued in all; false when `limit` passed.
    bool WaitForBlocks(size_t count, std::chrono::milliseconds limit) const;
    // Plays the `count` oldest pending blocks (fewer when fewer are pending): each is marked
    // done and the output's block-done event is set. Returns how many were played.
    size_t Play(size_t count);

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace ormidon
