#pragma once
// The ".vse" record file, as the separate playback program reads it (little-endian):
//
//   80-byte header | 8-byte extension block | u16 0xFFFF
//   frame block + JPEG bytes, once per frame
//   frame offset index: per frame u32 offset of its block, u32 0 | u32 frame count
//
// Every byte is fixed; the functions here only build bytes, RecordFile writes them.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "record/PreRecordFrame.h"

constexpr uint16_t kRecordMagic = 0x4B58;
constexpr uint32_t kRecordHeaderSize = 80;
constexpr uint16_t kRecordHeaderLength = 88;  // header and extension block
// Header, extension block and the 0xFFFF word: where the first frame block begins.
constexpr uint32_t kRecordPreambleSize = 90;
constexpr uint32_t kRecordHeaderFlagExtension = 2;
constexpr uint32_t kRecordUserNameSize = 16;
constexpr char kRecordProductId[4] = {'P', '6', '2', 'K'};

// A file holds at most this many frames; the next frame begins a new file.
constexpr uint32_t kMaxFramesPerRecordFile = 6000;

// Field mask bits of a frame block.
constexpr uint32_t kFrameFieldSerial = 1u << 0;
constexpr uint32_t kFrameFieldLength = 1u << 1;
constexpr uint32_t kFrameFieldWidth = 1u << 2;
constexpr uint32_t kFrameFieldHeight = 1u << 3;
constexpr uint32_t kFrameFieldTimeStamp = 1u << 4;
constexpr uint32_t kFrameFieldChannel = 1u << 5;
constexpr uint32_t kFrameFieldReserved = 1u << 6;
constexpr uint32_t kFrameFieldFive = 1u << 7;
constexpr uint32_t kFrameFieldVideoLoss = 1u << 11;
constexpr uint32_t kFrameFieldMagic = 1u << 29;
constexpr uint32_t kFrameFieldBlockLength = 1u << 30;
constexpr uint32_t kFrameFieldByteSum = 1u << 31;
constexpr uint32_t kFrameMaskPicture = 0xE00000FF;
constexpr uint32_t kFrameMaskVideoLoss = 0xE00008FF;
// The longest block: the video-loss frame's.
constexpr uint32_t kMaxFrameBlockSize = 32;

enum RecordType : uint8_t { kUserRecording = 0, kAlarmRecording = 1 };

// The header image of one file.
struct RecordHeader_Struct {
    ormidon::LocalTime creationTime;  // written with milliseconds 0
    uint32_t firstTimeStamp = 0;      // 0 until the first frame is written
    uint32_t lastTimeStamp = 0;       // 0 until the file is finished
    uint32_t frameCount = 0;          // 0 until the file is finished
    std::array<uint8_t, 4> deviceAddress{};
    uint8_t recordType = kUserRecording;
    // Its first 16 characters are stored, zero-filled; a 16-character name has no zero.
    std::string userName;

    std::array<uint8_t, kRecordHeaderSize> ToBytes() const;
};

// Header, extension block and 0xFFFF word: the first kRecordPreambleSize bytes of a file.
std::array<uint8_t, kRecordPreambleSize> RecordPreambleBytes(const RecordHeader_Struct& header);

// The device address field: the first four parts of the "Server Name" text split at ".",
// each read as a decimal number and kept as its low 8 bits; a part that is not a number
// gives 0 and a missing part leaves 0.
std::array<uint8_t, 4> RecordDeviceAddress(std::string_view serverName);

// One frame block, built from the frame's descriptor (its serial set) for `jpegLength` JPEG
// bytes that follow it in the file.
struct FrameBlock {
    std::array<uint8_t, kMaxFrameBlockSize> bytes{};
    uint32_t size = 0;
    uint32_t fieldMask = 0;

    std::span<const uint8_t> Bytes() const { return {bytes.data(), size}; }
};
FrameBlock BuildFrameBlock(const PreRecordFrame_Struct& frame, uint32_t jpegLength);

// The trailer: one 8-byte index entry per frame block offset, then the count.
std::vector<uint8_t> RecordTrailerBytes(std::span<const uint32_t> blockOffsets);
