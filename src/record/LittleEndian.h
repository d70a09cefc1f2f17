#pragma once
// Little-endian numbers and SYSTEMTIME-shaped dates in byte buffers, as the record files and
// the alarm database store them. The callers check that the buffer holds the field.
#include <cstdint>

#include "platform/Clock.h"

namespace ormidon::le {

inline void PutU16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline uint32_t GetU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// A SYSTEMTIME takes 16 bytes: year, month, day of week, day, hour, minute, second,
// milliseconds, each a u16.
constexpr uint32_t kSystemTimeSize = 16;

inline void PutSystemTime(uint8_t* at, const LocalTime& time) {
    const int fields[8] = {time.year, time.month,  time.dayOfWeek, time.day,
                           time.hour, time.minute, time.second,    time.millisecond};
    for (int i = 0; i < 8; ++i) PutU16(at + 2 * i, static_cast<uint16_t>(fields[i]));
}

inline LocalTime GetSystemTime(const uint8_t* at) {
    LocalTime time;
    time.year = GetU16(at);
    time.month = GetU16(at + 2);
    time.dayOfWeek = GetU16(at + 4);
    time.day = GetU16(at + 6);
    time.hour = GetU16(at + 8);
    time.minute = GetU16(at + 10);
    time.second = GetU16(at + 12);
    time.millisecond = GetU16(at + 14);
    return time;
}

// The date and time to the second, as the frame descriptors and the alarm database keep
// them: day of week and milliseconds 0.
inline LocalTime ToTheSecond(LocalTime time) {
    time.dayOfWeek = 0;
    time.millisecond = 0;
    return time;
}

}  // namespace ormidon::le
