#include "core/IPRecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "record/LittleEndian.h"

namespace {

constexpr uint32_t kCheckUse = 0x12121212;
constexpr uint32_t kCheckAddress = 0x4C4C4C4C;
constexpr uint32_t kCheckComment = 0x8A8A8A8A;

struct TextField {
    size_t check;  // offset of the check word
    uint32_t word;
    std::string IPRecord::*text;
};
constexpr TextField kFields[] = {
    {0, kCheckUse, &IPRecord::userName},
    {132, kCheckAddress, &IPRecord::address},
    {264, kCheckComment, &IPRecord::comment},
};
constexpr size_t kPortOffset = 396;

// At most 127 bytes, cut before a UTF-8 continuation byte.
std::string_view Cut(std::string_view text) {
    if (text.size() < kIPRecordTextSize) return text;
    size_t end = kIPRecordTextSize - 1;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::array<uint8_t, kIPRecordSize> EncodeIPRecord(const IPRecord& record) {
    std::array<uint8_t, kIPRecordSize> bytes{};
    for (const TextField& field : kFields) {
        ormidon::le::PutU32(bytes.data() + field.check, field.word);
        const std::string_view text = Cut(record.*field.text);
        std::copy(text.begin(), text.end(), bytes.begin() + field.check + 4);
    }
    ormidon::le::PutU16(bytes.data() + kPortOffset, record.port);
    return bytes;
}

std::optional<IPRecord> DecodeIPRecord(std::span<const uint8_t, kIPRecordSize> bytes) {
    IPRecord record;
    for (const TextField& field : kFields) {
        if (ormidon::le::GetU32(bytes.data() + field.check) != field.word) return std::nullopt;
        const char* text = reinterpret_cast<const char*>(bytes.data() + field.check + 4);
        record.*field.text = std::string(text, strnlen(text, kIPRecordTextSize));
    }
    record.port = ormidon::le::GetU16(bytes.data() + kPortOffset);
    return record;
}

IPRecord AsWritten(IPRecord record) {
    for (const TextField& field : kFields) {
        std::string& text = record.*field.text;
        text = std::string(Cut(text.substr(0, text.find('\0'))));
    }
    return record;
}

IPRecordBook ParseIPRecords(std::span<const uint8_t> bytes) {
    IPRecordBook book;
    const size_t whole = bytes.size() / kIPRecordSize;
    book.tailBytes = bytes.size() % kIPRecordSize;
    for (size_t i = 0; i < whole; ++i) {
        const auto record = DecodeIPRecord(bytes.subspan(i * kIPRecordSize).first<kIPRecordSize>());
        if (!record) {
            book.status = IPRecordBook::Status::kBadRecord;
            book.badRecord = i;
            return book;
        }
        book.rows.push_back(*record);
    }
    return book;
}

IPRecordBook LoadIPRecordFile(const std::filesystem::path& file) {
    IPRecordBook book;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return book;
        book.status = IPRecordBook::Status::kOpenFailed;
        book.error = std::strerror(errno);
        return book;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        book.status = IPRecordBook::Status::kOpenFailed;
        book.error = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        ::close(fd);
        return book;
    }
    // Record by record, so a damaged record stops the reading where it is.
    uint8_t record[kIPRecordSize];
    for (;;) {
        size_t got = 0;
        while (got < kIPRecordSize) {
            const ssize_t n = ::read(fd, record + got, kIPRecordSize - got);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                book.status = IPRecordBook::Status::kReadFailed;
                book.error = std::strerror(errno);
                book.badRecord = book.rows.size();
                ::close(fd);
                return book;
            }
            got += static_cast<size_t>(n);
        }
        if (got < kIPRecordSize) {
            book.tailBytes = got;
            break;
        }
        const auto row = DecodeIPRecord(std::span<const uint8_t, kIPRecordSize>(record));
        if (!row) {
            book.status = IPRecordBook::Status::kBadRecord;
            book.badRecord = book.rows.size();
            break;
        }
        book.rows.push_back(*row);
    }
    ::close(fd);
    return book;
}

bool SaveIPRecordFile(const std::filesystem::path& file, const std::vector<IPRecord>& rows) {
    std::string bytes;
    bytes.reserve(rows.size() * kIPRecordSize);
    for (const IPRecord& row : rows) {
        const auto record = EncodeIPRecord(row);
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    return ormidon::ReplaceFileAtomically(file, bytes);
}
