#include "net/ServerLog.h"

#include <algorithm>

std::optional<uint32_t> ParseServerLogCount(std::string_view reply) {
    const std::size_t key = reply.find("COUNT");
    if (key == std::string_view::npos) return std::nullopt;
    const std::size_t end = reply.find(';', key);
    const std::size_t start = key + 6;
    if (end == std::string_view::npos || end <= start) return std::nullopt;
    uint32_t count = 0;
    for (std::size_t i = start; i < end; ++i) {
        const char c = reply[i];
        if (c < '0' || c > '9') return std::nullopt;
        count = std::min<uint32_t>(count * 10 + static_cast<uint32_t>(c - '0'),
                                   static_cast<uint32_t>(kServerLogMaxRecords));
    }
    return count;
}

ServerLogRecord ReadServerLogRecord(std::span<const uint8_t> bytes, std::size_t index) {
    ServerLogRecord record;
    if (index >= bytes.size() / kServerLogRecordBytes) return record;
    const std::span<const uint8_t> raw =
        bytes.subspan(index * kServerLogRecordBytes, kServerLogRecordBytes);
    record.event_id = static_cast<uint32_t>(raw[0]) | static_cast<uint32_t>(raw[1]) << 8 |
                      static_cast<uint32_t>(raw[2]) << 16 | static_cast<uint32_t>(raw[3]) << 24;
    std::copy_n(raw.begin() + 4, 6, record.event_time);
    record.event_number = raw[10];
    const auto text = raw.subspan(11, 16);
    const auto zero = std::find(text.begin(), text.end(), uint8_t{0});
    record.event_text.assign(text.begin(), zero);
    record.ddns_result = raw[27];
    return record;
}
