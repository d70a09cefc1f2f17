#pragma once
// Reads a ".vse" record file back and checks it whole: header and extension block, every
// frame block (mask, magic, block length, byte sum, serial) in file order, the frame index
// against the blocks, and the counts and time stamps of header and trailer.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/Clock.h"

struct RecordFileFrame {
    uint32_t blockOffset = 0;
    uint32_t jpegOffset = 0;
    uint32_t serial = 0;
    uint32_t length = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t timeStamp = 0;
    uint8_t channel = 0;
    bool videoLoss = false;
};

struct RecordFileCheck {
    bool valid = false;
    std::string error;  // what was wrong first; empty when valid

    uint8_t recordType = 0;
    std::string userName;
    uint8_t deviceAddress[4] = {};
    ormidon::LocalTime creationTime;
    uint32_t firstTimeStamp = 0;
    uint32_t lastTimeStamp = 0;
    uint32_t frameCount = 0;  // as the header says; 0 until the file is finished
    std::vector<RecordFileFrame> frames;
};

RecordFileCheck ValidateRecordFile(std::span<const uint8_t> bytes);
RecordFileCheck ValidateRecordFile(const std::filesystem::path& file);

// A record file as a player reads it. With a sound index the frames are those the index
// names; without one (a file still being written, or cut short) every whole frame block in
// file order, up to the first damaged block, whose place `damage` and `damageOffset` tell.
// `check.valid` is false only when the header is not a record file's.
struct RecordFilePlayback {
    RecordFileCheck check;
    bool indexed = false;
    std::string damage;  // empty when no block was damaged
    uint64_t damageOffset = 0;
};

RecordFilePlayback ReadRecordFileForPlayback(std::span<const uint8_t> bytes);

// The pieces both readings are made of, for readers that take a file a part at a time.
// The header and extension block of a file of `fileSize` bytes, from its first
// kRecordPreambleSize bytes; false with `check` failed when they are not a record file's.
bool ReadRecordHeader(std::span<const uint8_t> preamble, uint64_t fileSize, RecordFileCheck& check);
// The frame block at file offset `at` from `block`, the file's bytes from there (as many as
// the longest block takes, fewer only where the file ends), its JPEG bytes ending by `end`.
// False with `error` set when it is not a whole, sound block; "frame block past the frames"
// and "JPEG bytes past the frames" say that the end cut it.
bool ReadRecordFrameBlock(std::span<const uint8_t> block, uint64_t at, uint64_t end,
                          RecordFileFrame& frame, std::string& error);
// Whether the block at `at` of a file of `size` bytes without a sound index, which failed
// with `error` after `frames` whole frames, is damage: not where the end cut the file nor
// the start of an index.
bool IsDamagedBlock(const std::string& error, uint64_t at, uint64_t size, std::size_t frames);
