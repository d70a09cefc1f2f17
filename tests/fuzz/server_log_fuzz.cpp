// Any bytes as the event log's COUNT answer and as a page of log records: a count is read
// only from "COUNT", a separator, digits and ";", and never exceeds the buffer's 2048
// records; records are read only whole, their texts never past their 16 bytes.
#include <string>

#include "FuzzTarget.h"
#include "net/ServerLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<uint32_t> count = ParseServerLogCount(text)) {
        FUZZ_CHECK(*count <= kServerLogMaxRecords);
        const std::size_t key = text.find("COUNT");
        FUZZ_CHECK(key != std::string_view::npos);
        const std::size_t end = text.find(';', key);
        FUZZ_CHECK(end != std::string_view::npos && end > key + 6);
        for (std::size_t i = key + 6; i < end; ++i) FUZZ_CHECK(text[i] >= '0' && text[i] <= '9');
    }

    const std::span<const uint8_t> page(data, size);
    const std::size_t whole = size / kServerLogRecordBytes;
    for (std::size_t i = 0; i <= whole; ++i) {
        const ServerLogRecord record = ReadServerLogRecord(page, i);
        FUZZ_CHECK(record.event_text.size() <= 16);
        FUZZ_CHECK(record.event_text.find('\0') == std::string::npos);
        if (i == whole) {
            FUZZ_CHECK(record.event_id == 0 && record.event_text.empty());
        } else {
            const uint8_t* raw = data + i * kServerLogRecordBytes;
            FUZZ_CHECK(record.event_id ==
                       (raw[0] | raw[1] << 8 | raw[2] << 16 | uint32_t{raw[3]} << 24));
            FUZZ_CHECK(record.event_number == raw[10] && record.ddns_result == raw[27]);
        }
    }
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    FuzzBytes login(32, 0);
    login[1] = 0x01;  // 0x100, REMOTE LOGIN
    const std::string name = "0123456789abcdefXYZ";
    std::copy(name.begin(), name.begin() + 16, login.begin() + 11);
    FuzzBytes twoAndAHalf = login;
    twoAndAHalf.insert(twoAndAHalf.end(), login.begin(), login.end());
    twoAndAHalf.insert(twoAndAHalf.end(), 16, 0x41);
    return {fuzz::Seed().Append("COUNT=45;"),
            fuzz::Seed().Append("COUNT=99999999999;"),
            fuzz::Seed().Append("COUNT=-5;"),
            fuzz::Seed().Append("COUNT"),
            login,
            twoAndAHalf,
            FuzzBytes{}};
}
