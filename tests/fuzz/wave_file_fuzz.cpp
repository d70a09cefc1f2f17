// The alarm sound's wave loader over arbitrary files: a file it takes has a usable format and
// samples that the file holds, and the play buffers then repeat exactly those samples.
#include <string>

#include "FuzzTarget.h"
#include "record/AlarmWave.h"
#include "support/TempFolder.h"
#include "support/WaveFileBytes.h"

using namespace ormidon::test::wave;

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string samples(301, 'a');
    const std::string files[] = {
        Wave(FormatChunk(1, 22050, 16) + Chunk("data", samples)),
        Wave(FormatChunk(2, 8000, 8) + Chunk("LIST", "INFOISFT" + U32(5) + "Tone\0\0") +
             Chunk("junk", "abc") + Chunk("data", samples)),
        Wave(FormatChunk(1, 8000, 8) + "data" + U32(100000) + samples),
        Wave(Chunk("data", samples) + FormatChunk(1, 8000, 8)),
    };
    std::vector<FuzzBytes> seeds;
    for (const std::string& file : files) seeds.push_back(fuzz::Seed().Append(file));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static ormidon::test::TempFolder folder;
    const std::filesystem::path file = folder / "alarm.wav";
    ormidon::test::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));

    auto block = std::make_unique<AlarmWaveBlock>();
    if (!ReadWaveFile(file, *block)) return 0;
    const std::vector<uint8_t>& samples = block->samples;
    FUZZ_CHECK(!samples.empty() && samples.size() + 12 + 8 + 8 + 16 <= size);
    FUZZ_CHECK(block->format.channels > 0 && block->format.samplesPerSecond > 0 &&
               block->format.blockAlign > 0);

    std::size_t next = 0;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < kAlarmWaveBufferCount; ++i) {
            CAlarmWave::FillBuffer(*block, i);
            FUZZ_CHECK(block->headers[i].length == kAlarmWaveBufferSize);
            FUZZ_CHECK(block->headers[i].data == block->buffers[i].data());
            FUZZ_CHECK(block->playPosition <= samples.size());
            for (uint32_t b = 0; b < kAlarmWaveBufferSize; ++b, next = (next + 1) % samples.size())
                FUZZ_CHECK(block->buffers[i][b] == samples[next]);
        }
    }
    return 0;
}
