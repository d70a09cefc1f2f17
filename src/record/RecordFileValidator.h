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
