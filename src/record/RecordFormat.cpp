#include "record/RecordFormat.h"

#include <algorithm>
#include <cstring>

#include "core/TextHelpers.h"
#include "record/LittleEndian.h"

namespace le = ormidon::le;

std::array<uint8_t, kRecordHeaderSize> RecordHeader_Struct::ToBytes() const {
    std::array<uint8_t, kRecordHeaderSize> out{};
    uint8_t* p = out.data();
    le::PutU16(p + 0, kRecordMagic);
    le::PutU16(p + 2, kRecordHeaderLength);
    std::memcpy(p + 4, kRecordProductId, sizeof kRecordProductId);
    ormidon::LocalTime created = creationTime;
    created.millisecond = 0;
    le::PutSystemTime(p + 24, created);
    le::PutU32(p + 40, firstTimeStamp);
    le::PutU32(p + 44, lastTimeStamp);
    le::PutU32(p + 48, frameCount);
    std::copy(deviceAddress.begin(), deviceAddress.end(), p + 52);
    le::PutU16(p + 56, 23);
    p[59] = recordType;
    std::memcpy(p + 60, userName.data(), std::min<size_t>(userName.size(), kRecordUserNameSize));
    le::PutU32(p + 76, kRecordHeaderFlagExtension);
    return out;
}

std::array<uint8_t, kRecordPreambleSize> RecordPreambleBytes(const RecordHeader_Struct& header) {
    std::array<uint8_t, kRecordPreambleSize> out{};
    const auto headerBytes = header.ToBytes();
    std::copy(headerBytes.begin(), headerBytes.end(), out.begin());
    // Extension block: u32 0xFFFFFFFF, u32 0; then the 0xFFFF word.
    le::PutU32(out.data() + 80, 0xFFFFFFFFu);
    le::PutU32(out.data() + 84, 0);
    le::PutU16(out.data() + 88, 0xFFFF);
    return out;
}

std::array<uint8_t, 4> RecordDeviceAddress(std::string_view serverName) {
    std::array<uint8_t, 4> address{};
    ParseNumberList(serverName, address.data(), static_cast<int>(address.size()), ".");
    return address;
}

FrameBlock BuildFrameBlock(const PreRecordFrame_Struct& frame, uint32_t jpegLength) {
    FrameBlock block;
    uint8_t* p = block.bytes.data();
    uint32_t at = 4;  // the mask goes first, once the fields are known
    uint32_t mask = 0;
    auto u32 = [&](uint32_t bit, uint32_t value) {
        le::PutU32(p + at, value);
        at += 4;
        mask |= bit;
    };
    auto u16 = [&](uint32_t bit, uint16_t value) {
        le::PutU16(p + at, value);
        at += 2;
        mask |= bit;
    };
    auto u8 = [&](uint32_t bit, uint8_t value) {
        p[at++] = value;
        mask |= bit;
    };
    u32(kFrameFieldSerial, frame.serial);
    u32(kFrameFieldLength, jpegLength);
    u16(kFrameFieldWidth, frame.width);
    u16(kFrameFieldHeight, frame.height);
    u32(kFrameFieldTimeStamp, frame.timeStamp);
    u8(kFrameFieldChannel, frame.channel);
    u8(kFrameFieldReserved, frame.reserved);
    u8(kFrameFieldFive, 5);
    if (frame.videoLoss & 1) u8(kFrameFieldVideoLoss, 1);
    u16(kFrameFieldMagic, kRecordMagic);
    // The block length counts up to and including the byte sum that follows it.
    u16(kFrameFieldBlockLength, static_cast<uint16_t>(at + 4));
    mask |= kFrameFieldByteSum;
    le::PutU32(p, mask);
    uint16_t sum = 0;
    for (uint32_t i = 0; i < at; ++i) sum = static_cast<uint16_t>(sum + p[i]);
    le::PutU16(p + at, sum);
    at += 2;
    le::PutU16(p + at, 0xFFFF);
    at += 2;
    block.size = at;
    block.fieldMask = mask;
    return block;
}

std::vector<uint8_t> RecordTrailerBytes(std::span<const uint32_t> blockOffsets) {
    std::vector<uint8_t> out(blockOffsets.size() * 8 + 4, 0);
    for (size_t k = 0; k < blockOffsets.size(); ++k) le::PutU32(&out[k * 8], blockOffsets[k]);
    le::PutU32(&out[blockOffsets.size() * 8], static_cast<uint32_t>(blockOffsets.size()));
    return out;
}
