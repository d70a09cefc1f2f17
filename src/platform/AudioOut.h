#pragma once
// Sound output in blocks, the way the alarm sound plays: open a format, queue blocks of
// samples, learn when each block has been played, drop everything on stop. On a real
// machine it is backed by ALSA; tests install a recording fake through the factory.
//
// No sound device is an ordinary case: Open then fails, and the caller stays silent.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Event.h"

namespace ormidon {

constexpr uint16_t kWaveFormatPcm = 1;

// The wave format of a RIFF "fmt " chunk.
struct AudioFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// One block of samples handed to the output. The bytes stay the caller's and must not change
// while the block is queued; `done` is cleared by the caller before it queues the block and
// set by the output once the block has been played (or dropped by Reset).
struct AudioBlock {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    std::atomic<bool> done{true};
};

class AudioOut {
  public:
    virtual ~AudioOut() = default;

    // Opens the output for `format`. `blockDone` is set each time a block was played. False
    // when there is no output device or it cannot play the format.
    virtual bool Open(const AudioFormat& format, Event& blockDone) = 0;
    // Queues the block behind those queued before; false when the output is not open.
    virtual bool Write(AudioBlock& block) = 0;
    // Drops every queued block and marks it done. When this returns the output reads no
    // block any more.
    virtual void Reset() = 0;
};

using AudioOutFactory = std::function<std::unique_ptr<AudioOut>()>;

// The output that CreateAudioOut makes from now on; an empty factory restores ALSA.
void SetAudioOutFactory(AudioOutFactory factory);
std::unique_ptr<AudioOut> CreateAudioOut();

// The ALSA output on the PCM device `device` ("default": the user's default output).
std::unique_ptr<AudioOut> CreateAlsaAudioOut(const std::string& device = "default");

}  // namespace ormidon
