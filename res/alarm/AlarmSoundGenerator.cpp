// Writes the program's alarm sound: one second of a two-tone alarm (four alternating tones
// of a quarter second), 16-bit mono PCM at 22050 Hz, as a RIFF WAVE file. Each tone fades in
// and out over a few milliseconds so the loop plays without clicks.
//
// Usage: ormidon-alarm-sound-generator <output file>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRate = 22050;
constexpr uint32_t kToneSamples = kRate / 4;
constexpr uint32_t kFadeSamples = kRate / 200;
constexpr double kTones[] = {960.0, 770.0, 960.0, 770.0};
constexpr double kAmplitude = 0.45 * 32767.0;

void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
    PutU16(out, static_cast<uint16_t>(v));
    PutU16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    std::vector<int16_t> samples;
    for (double frequency : kTones) {
        for (uint32_t i = 0; i < kToneSamples; ++i) {
            const uint32_t edge = std::min(i, kToneSamples - 1 - i);
            const double fade = edge < kFadeSamples ? double(edge) / kFadeSamples : 1.0;
            const double phase = 2.0 * std::numbers::pi * frequency * i / kRate;
            samples.push_back(
                static_cast<int16_t>(std::lround(kAmplitude * fade * std::sin(phase))));
        }
    }
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string file = "RIFF";
    PutU32(file, 4 + (8 + 16) + (8 + dataBytes));
    file += "WAVEfmt ";
    PutU32(file, 16);
    PutU16(file, 1);  // PCM
    PutU16(file, 1);  // mono
    PutU32(file, kRate);
    PutU32(file, kRate * 2);
    PutU16(file, 2);
    PutU16(file, 16);
    file += "data";
    PutU32(file, dataBytes);
    for (int16_t sample : samples) PutU16(file, static_cast<uint16_t>(sample));

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out.good() ? 0 : 1;
}
