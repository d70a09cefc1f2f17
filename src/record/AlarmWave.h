#pragma once
// The alarm sound's samples: a RIFF WAVE file loaded into a block with eight play buffers of
// 8000 bytes that the sound thread keeps queued at the output, each refilled from the looping
// sound once it has been played.
//
// The file is untrusted: its RIFF and WAVE ids, its "fmt " chunk and every chunk size are
// checked, odd-sized chunks are followed by their pad byte, and a "data" chunk that says it is
// longer than the file holds is cut to what the file holds.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AudioOut.h"

constexpr uint32_t kAlarmWaveBufferSize = 8000;
constexpr int kAlarmWaveBufferCount = 8;

struct AlarmWaveBlock {
    ormidon::AudioFormat format;
    std::vector<uint8_t> samples;  // never empty
    uint32_t playPosition = 0;     // the next sample byte to play
    ormidon::AudioBlock headers[kAlarmWaveBufferCount];
    std::array<uint8_t, kAlarmWaveBufferSize> buffers[kAlarmWaveBufferCount] = {};
};

class CAlarmWave {
  public:
    // Loads the wave file `path`, or the program folder's alarm.wav when `path` cannot be
    // opened, into a new block. 1 on success; 0 when neither file opens or the file is not a
    // wave file with a format and at least one sample byte (the last block stays).
    int LoadWaveFile(std::string_view path);

    // Fills play buffer `index` with the next kAlarmWaveBufferSize bytes of the sound, going
    // round to its start as often as needed, and sets up its header.
    static void FillBuffer(AlarmWaveBlock& block, int index);

    // The path handed to the last load.
    std::string m_strWavePath;
    // The block of the last successful load. Shared, so a sound thread that still plays an
    // earlier block keeps it while a new one is loaded.
    std::shared_ptr<AlarmWaveBlock> m_lpWaveBlock;
};

// Reads a RIFF WAVE file into `block` (format and samples); false when it is not one.
bool ReadWaveFile(const std::filesystem::path& file, AlarmWaveBlock& block);
