#pragma once
// The device's event log as "/Getlog.cgi" sends it: a COUNT answer ("COUNT=<n>;") and pages
// of 32-byte records, multi-byte values little-endian.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct ServerLogRecord {
    uint32_t event_id = 0;       // one bit per event kind; 0xFFFF is never shown
    uint8_t event_time[6] = {};  // year (two digits), month, day, hour, minute, second
    uint8_t event_number = 0;    // DVR: channel (0 none); others: alarm input bits
    std::string event_text;      // login and logout: the user or address, at most 16 bytes
    uint8_t ddns_result = 0;     // DVR DDNS update: non-zero success
};

inline constexpr std::size_t kServerLogRecordBytes = 32;
// The record buffer of one fetch: 2048 records.
inline constexpr std::size_t kServerLogMaxRecords = 2048;
inline constexpr std::size_t kServerLogBufferBytes = kServerLogMaxRecords * kServerLogRecordBytes;

// The number of records a COUNT answer reports: the text from the sixth character after
// "COUNT" (the key and one separator skipped) to the first ";" after the key, which must be
// one or more decimal digits; a value past kServerLogMaxRecords reads as that. Nothing when
// the key, the ";" or the digits are missing.
std::optional<uint32_t> ParseServerLogCount(std::string_view reply);

// Record `index` of `bytes` (whole records back to back); a default record when the bytes
// do not hold it whole.
ServerLogRecord ReadServerLogRecord(std::span<const uint8_t> bytes, std::size_t index);
