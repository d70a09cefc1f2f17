#pragma once
// The header the recorder puts in front of every live JPEG, in the layout the client asked
// for at login: "NEWHR" 1 or 2 selects the version-word layout of that version, no "NEWHR"
// the flag-word layout. All fields little-endian.
#include <cstdint>
#include <optional>
#include <string>

namespace ormidon::sim {

enum class HeaderLayout { kFlagWord, kVersion1, kVersion2 };

struct FrameHeaderState {
    uint32_t payloadLength = 0;
    uint8_t users = 1;
    uint8_t channel = 0;      // 16: all channels
    uint16_t eventBits1 = 0;  // alarm inputs, one bit per channel
    uint16_t motion = 0;
    uint16_t eventBits3 = 0;
    uint32_t timeStamp = 0;  // units of 5 ms
    uint32_t packedTime = 0;
    std::string text;        // at most 16 bytes are sent; empty: left out
    uint8_t resolution = 0;  // 0 full size
    bool videoLoss = false;
    bool networkBackup = false;
    std::optional<uint8_t> retrState;
    std::optional<uint8_t> sensorStatus;
    // Version-word layouts: a version word other than the layout's (a scripted fault).
    std::optional<uint16_t> versionWord;
};

std::string WriteFrameHeader(HeaderLayout layout, const FrameHeaderState& state);

// Year from 2000 in bits 26-31, month 22-25, day 17-21, hour 12-16, minute 6-11, second 0-5.
uint32_t PackDeviceTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace ormidon::sim
