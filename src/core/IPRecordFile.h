#pragma once
// The address book file "IPRecord.dat" in the program folder: no header, one 400-byte
// little-endian record per row, in list order.
//
//   0  u32  0x12121212        4  char[128] user name
// 132  u32  0x4C4C4C4C      136  char[128] device address
// 264  u32  0x8A8A8A8A      268  char[128] comment
// 396  u16  web port        398  2 bytes zero
//
// Texts are written as at most 127 bytes and a zero, the rest of the field zero; a field
// read without a zero gives all its 128 bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kIPRecordFileName = "IPRecord.dat";
inline constexpr size_t kIPRecordSize = 400;
inline constexpr size_t kIPRecordTextSize = 128;

struct IPRecord {
    std::string userName;
    std::string address;
    std::string comment;
    uint16_t port = 0;

    bool operator==(const IPRecord&) const = default;
};

// The record's bytes; a text is cut to 127 bytes, not inside a UTF-8 character.
std::array<uint8_t, kIPRecordSize> EncodeIPRecord(const IPRecord& record);

// The row of a record, or nothing when a check word is wrong.
std::optional<IPRecord> DecodeIPRecord(std::span<const uint8_t, kIPRecordSize> bytes);

// The row as it reads back once written (texts cut as EncodeIPRecord cuts them).
IPRecord AsWritten(IPRecord record);

struct IPRecordBook {
    enum class Status {
        kOk,          // every whole record read (a partial tail may be left, see tailBytes)
        kOpenFailed,  // the file is there but cannot be opened as a file
        kReadFailed,  // reading stopped with an error
        kBadRecord,   // a record with a wrong check word
    };
    Status status = Status::kOk;
    std::vector<IPRecord> rows;  // the rows read before any failure
    size_t badRecord = 0;        // kBadRecord, kReadFailed: the 0-based record
    size_t tailBytes = 0;        // bytes after the last whole record
    std::string error;           // kOpenFailed, kReadFailed: the system's reason
};

// The rows of a file's bytes.
IPRecordBook ParseIPRecords(std::span<const uint8_t> bytes);

// Reads the file; a missing file is an empty book.
IPRecordBook LoadIPRecordFile(const std::filesystem::path& file);

// Writes every row, replacing the file atomically; on failure the old file stays and
// no temporary file is left.
bool SaveIPRecordFile(const std::filesystem::path& file, const std::vector<IPRecord>& rows);
