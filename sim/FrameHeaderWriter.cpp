#include "sim/FrameHeaderWriter.h"

namespace ormidon::sim {

namespace {

void Put8(std::string& out, uint32_t value) { out.push_back(static_cast<char>(value & 0xFF)); }
void Put16(std::string& out, uint32_t value) {
    Put8(out, value);
    Put8(out, value >> 8);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value);
    Put16(out, value >> 16);
}
void PutText(std::string& out, const std::string& text) {
    std::string field = text.substr(0, 16);
    field.resize(16, '\0');
    out += field;
}

std::string VersionHeader(int version, const FrameHeaderState& s) {
    std::string out;
    Put16(out, s.versionWord.value_or(static_cast<uint16_t>(version)));
    if (version == 1) {
        Put16(out, s.payloadLength);
    } else {
        Put16(out, 0);
        Put32(out, s.payloadLength);
    }
    Put8(out, s.users & 0x0F);
    Put8(out, (s.channel & 0x0F) << 4);
    uint16_t flags = 0x0002 | 0x0004 | 0x0008 | 0x0020 | 0x0040 | 0x2000;
    if (!s.text.empty()) flags |= 0x0080;
    Put16(out, flags);
    Put16(out, s.motion);
    Put16(out, s.eventBits1);
    Put16(out, s.eventBits3);
    Put32(out, s.timeStamp);
    Put32(out, s.packedTime);
    if (!s.text.empty()) PutText(out, s.text);

    uint16_t extension = 0x0001;
    if (s.retrState) extension |= 0x0002;
    if (s.videoLoss) extension |= 0x0004;
    if (s.networkBackup) extension |= 0x0008;
    if (s.sensorStatus) extension |= 0x0010;
    if (s.channel == 16) extension |= 0x0020;
    Put8(out, 50);
    Put8(out, 0);
    Put16(out, extension);
    Put8(out, s.resolution);
    if (s.retrState) Put8(out, *s.retrState);
    if (s.sensorStatus) Put8(out, *s.sensorStatus);
    return out;
}

std::string FlagHeader(const FrameHeaderState& s) {
    uint32_t flags = 0x0001 | 0x0008 | 0x0020 | 0x0040 | 0x0080 | 0x0100 | 0x0200 | 0x0800 | 0x2000;
    if (!s.text.empty()) flags |= 0x0002;
    if (s.retrState) flags |= 0x0004;
    if (s.networkBackup) flags |= 0x0400;
    if (s.videoLoss) flags |= 0x1000;
    std::string out;
    Put32(out, flags);
    Put32(out, s.payloadLength);
    if (!s.text.empty()) PutText(out, s.text);
    if (s.retrState) {
        Put8(out, *s.retrState);
        Put8(out, 0);
    }
    Put8(out, s.resolution);
    Put32(out, s.timeStamp);
    Put8(out, s.users);
    Put16(out, s.eventBits1);
    Put16(out, s.motion);
    Put16(out, s.eventBits3);
    Put8(out, s.channel);
    Put32(out, s.packedTime);
    return out;
}

}  // namespace

std::string WriteFrameHeader(HeaderLayout layout, const FrameHeaderState& state) {
    switch (layout) {
        case HeaderLayout::kVersion1:
            return VersionHeader(1, state);
        case HeaderLayout::kVersion2:
            return VersionHeader(2, state);
        case HeaderLayout::kFlagWord:
            break;
    }
    return FlagHeader(state);
}

uint32_t PackDeviceTime(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<uint32_t>(year - 2000) << 26 | static_cast<uint32_t>(month & 0x0F) << 22 |
           static_cast<uint32_t>(day & 0x1F) << 17 | static_cast<uint32_t>(hour & 0x1F) << 12 |
           static_cast<uint32_t>(minute & 0x3F) << 6 | static_cast<uint32_t>(second & 0x3F);
}

}  // namespace ormidon::sim
