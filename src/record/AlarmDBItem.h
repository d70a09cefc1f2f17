#pragma once
// One entry of the alarm database "AlarmData.dat": one alarm record file with its date,
// frame count and source device. 316 bytes in the file, little-endian:
//
//   0 u16 sequence | 2 0 | 3 flags | 4 SYSTEMTIME date | 20 path[260] | 280 u32 frames |
//   284 source[32]
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Clock.h"

constexpr uint16_t kAlarmDBMagic = 0x9987;
// The file's header: u16 LE magic (kAlarmDBMagic), u16 LE number of entries.
struct AlarmDataFileHeader {
    uint16_t magic = 0;
    uint16_t count = 0;
};
constexpr size_t kAlarmDBHeaderSize = 4;
constexpr size_t kAlarmDBItemSize = 316;
// Entries the file keeps; the oldest goes when another is appended.
constexpr uint16_t kAlarmDBMaxItems = 1024;
// Characters of the path and of the source text that fit with their terminating zero.
constexpr size_t kAlarmDBMaxPathLength = 259;
constexpr size_t kAlarmDBMaxSourceLength = 31;

// Flags of an entry as the alarm list shows it.
constexpr uint8_t kAlarmDBFlagFileMissing = 1;  // the record file cannot be opened
constexpr uint8_t kAlarmDBFlagMarked = 2;       // marked for removal

struct AlarmDBItem_Struct {
    uint16_t sequence = 0;
    uint8_t flags = 0;
    ormidon::LocalTime date;  // of the file's first frame; day of week and milliseconds 0
    std::string path;         // at most kAlarmDBMaxPathLength characters
    uint32_t frames = 0;
    std::string source;  // the device address; at most kAlarmDBMaxSourceLength characters

    std::array<uint8_t, kAlarmDBItemSize> ToBytes() const;
    // Reads kAlarmDBItemSize bytes; texts end at their first zero or before their field's
    // last byte, so they keep within the lengths above.
    static AlarmDBItem_Struct FromBytes(const uint8_t* bytes);
};
