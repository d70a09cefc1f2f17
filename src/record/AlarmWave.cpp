#include "record/AlarmWave.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/AsciiCase.h"
#include "platform/Paths.h"
#include "record/LittleEndian.h"

namespace le = ormidon::le;

namespace {

constexpr uint32_t kFormatChunkSize = 16;

// Chunk ids are compared without regard to case: some writers spell "data" in capitals.
bool SameId(const uint8_t* id, std::string_view name) {
    return ormidon::EqualsNoCase(std::string_view(reinterpret_cast<const char*>(id), 4), name);
}

// Only a regular file is opened: a pipe or device named as the sound would block the open or
// give no size to bound the chunks by.
bool IsRegularFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

}  // namespace

bool ReadWaveFile(const std::filesystem::path& file, AlarmWaveBlock& block) {
    if (!IsRegularFile(file)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0) return false;
    const uint64_t fileSize = static_cast<uint64_t>(end);
    in.seekg(0);
    uint8_t riff[12];
    if (!in.read(reinterpret_cast<char*>(riff), sizeof riff)) return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return false;

    bool haveFormat = false;
    uint64_t at = sizeof riff;
    while (at + 8 <= fileSize) {
        uint8_t chunk[8];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) return false;
        const uint32_t size = le::GetU32(chunk + 4);
        const uint64_t body = at + 8;
        const uint64_t held = std::min<uint64_t>(size, fileSize - body);
        if (SameId(chunk, "fmt ")) {
            uint8_t f[kFormatChunkSize];
            if (size < kFormatChunkSize || held < kFormatChunkSize) return false;
            if (!in.read(reinterpret_cast<char*>(f), sizeof f)) return false;
            ormidon::AudioFormat& format = block.format;
            format.formatTag = le::GetU16(f);
            format.channels = le::GetU16(f + 2);
            format.samplesPerSecond = le::GetU32(f + 4);
            format.averageBytesPerSecond = le::GetU32(f + 8);
            format.blockAlign = le::GetU16(f + 12);
            format.bitsPerSample = le::GetU16(f + 14);
            if (format.channels == 0 || format.samplesPerSecond == 0 || format.blockAlign == 0)
                return false;
            haveFormat = true;
        } else if (SameId(chunk, "data")) {
            if (!haveFormat || held == 0) return false;
            block.samples.resize(static_cast<size_t>(held));
            return static_cast<bool>(in.read(reinterpret_cast<char*>(block.samples.data()),
                                             static_cast<std::streamsize>(held)));
        }
        // A chunk of odd size is followed by a pad byte.
        at = body + size + (size & 1u);
    }
    return false;
}

int CAlarmWave::LoadWaveFile(std::string_view path) {
    m_strWavePath.assign(path);
    std::filesystem::path file(m_strWavePath);
    if (!IsRegularFile(file) || !std::ifstream(file, std::ios::binary)) {
        file = ormidon::ProgramFolder() / "alarm.wav";
    }
    auto block = std::make_shared<AlarmWaveBlock>();
    if (!ReadWaveFile(file, *block)) return 0;
    m_lpWaveBlock = std::move(block);
    return 1;
}

void CAlarmWave::FillBuffer(AlarmWaveBlock& block, int index) {
    ormidon::AudioBlock& header = block.headers[index];
    header.done = false;
    uint8_t* out = block.buffers[index].data();
    const uint32_t total = static_cast<uint32_t>(block.samples.size());
    uint32_t filled = 0;
    while (filled < kAlarmWaveBufferSize) {
        if (block.playPosition >= total) block.playPosition = 0;
        const uint32_t part = std::min(kAlarmWaveBufferSize - filled, total - block.playPosition);
        std::memcpy(out + filled, block.samples.data() + block.playPosition, part);
        filled += part;
        block.playPosition += part;
    }
    header.data = out;
    header.length = kAlarmWaveBufferSize;
}
