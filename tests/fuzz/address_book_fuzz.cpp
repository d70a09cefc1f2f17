// Any bytes as the address book file: a book is accepted only when every whole record
// carries its three check words, its texts stay within their 128-byte fields, the file
// reader agrees with the byte parser, and saving and loading again gives the same rows.
#include <string>

#include "FuzzTarget.h"
#include "core/IPRecordFile.h"
#include "record/LittleEndian.h"
#include "support/TempFolder.h"

namespace {

bool ChecksRight(const uint8_t* record) {
    return ormidon::le::GetU32(record) == 0x12121212 &&
           ormidon::le::GetU32(record + 132) == 0x4C4C4C4C &&
           ormidon::le::GetU32(record + 264) == 0x8A8A8A8A;
}

FuzzBytes Records(const std::vector<IPRecord>& rows) {
    FuzzBytes bytes;
    for (const IPRecord& row : rows) {
        const auto record = EncodeIPRecord(row);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::vector<IPRecord> rows = {{"admin", "192.168.1.10", "front door", 80},
                                        {"guest", "dvr.example", std::string(200, 'c'), 9999}};
    FuzzBytes damaged = Records(rows);
    damaged[400 + 264] ^= 1;
    FuzzBytes tail = Records(rows);
    tail.resize(tail.size() + 200, 'x');
    return {Records(rows), damaged, tail, {}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static ormidon::test::TempFolder folder;
    const std::span<const uint8_t> bytes(data, size);
    const IPRecordBook book = ParseIPRecords(bytes);

    const size_t whole = size / kIPRecordSize;
    FUZZ_CHECK(book.tailBytes == size % kIPRecordSize);
    if (book.status == IPRecordBook::Status::kOk) {
        FUZZ_CHECK(book.rows.size() == whole);
        for (size_t i = 0; i < whole; ++i) FUZZ_CHECK(ChecksRight(data + i * kIPRecordSize));
    } else {
        FUZZ_CHECK(book.status == IPRecordBook::Status::kBadRecord);
        FUZZ_CHECK(book.badRecord < whole && book.rows.size() == book.badRecord);
        FUZZ_CHECK(!ChecksRight(data + book.badRecord * kIPRecordSize));
    }
    for (const IPRecord& row : book.rows) {
        FUZZ_CHECK(row.userName.size() <= kIPRecordTextSize);
        FUZZ_CHECK(row.address.size() <= kIPRecordTextSize);
        FUZZ_CHECK(row.comment.size() <= kIPRecordTextSize);
    }

    const std::filesystem::path file = folder / "IPRecord.dat";
    ormidon::test::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    const IPRecordBook read = LoadIPRecordFile(file);
    FUZZ_CHECK(read.status == book.status && read.rows == book.rows);
    if (book.status == IPRecordBook::Status::kOk) FUZZ_CHECK(read.tailBytes == book.tailBytes);

    FUZZ_CHECK(SaveIPRecordFile(file, book.rows));
    const IPRecordBook saved = LoadIPRecordFile(file);
    FUZZ_CHECK(saved.status == IPRecordBook::Status::kOk && saved.tailBytes == 0);
    FUZZ_CHECK(saved.rows.size() == book.rows.size());
    for (size_t i = 0; i < book.rows.size(); ++i)
        FUZZ_CHECK(saved.rows[i] == AsWritten(book.rows[i]));
    return 0;
}
