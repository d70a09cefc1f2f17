// The address book file: the record layout, reading whole records, a damaged record or a
// partial tail, and a save that fails without touching the old file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/TempFolder.h"
#include "core/IPRecordFile.h"
#include "platform/FileAside.h"

namespace {

namespace fs = std::filesystem;
using ormidon::test::ReadFile;
using ormidon::test::TempFolder;
using ormidon::test::WriteFile;

std::string Bytes(const std::vector<IPRecord>& rows) {
    std::string bytes;
    for (const IPRecord& row : rows) {
        const auto record = EncodeIPRecord(row);
        bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    return bytes;
}

const IPRecord kFirst{"admin", "192.168.1.10", "front door", 80};
const IPRecord kSecond{"guest", "dvr.example", "", 9999};

TEST(IPRecordFile, RecordLayout) {
    const auto bytes = EncodeIPRecord({"ab", "10.0.0.1", "c", 0x1F90});
    const std::string expected_head(
        "\x12\x12\x12\x12"
        "ab",
        6);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), expected_head);
    EXPECT_EQ(bytes[6], 0);
    EXPECT_EQ(std::string(bytes.begin() + 132, bytes.begin() + 144), std::string("\x4C\x4C\x4C\x4C"
                                                                                 "10.0.0.1",
                                                                                 12));
    EXPECT_EQ(std::string(bytes.begin() + 264, bytes.begin() + 269), std::string("\x8A\x8A\x8A\x8A"
                                                                                 "c",
                                                                                 5));
    EXPECT_EQ(bytes[396], 0x90);
    EXPECT_EQ(bytes[397], 0x1F);
    EXPECT_EQ(bytes[398] | bytes[399], 0);

    // Over-long texts are cut to 127 bytes and a zero, never inside a character.
    IPRecord longRow{std::string(200, 'u'), "a", std::string(126, 'c') + "\xC3\xA9xyz", 1};
    const auto cut = DecodeIPRecord(EncodeIPRecord(longRow));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->userName, std::string(127, 'u'));
    EXPECT_EQ(cut->comment, std::string(126, 'c'));
    EXPECT_EQ(*cut, AsWritten(longRow));

    // A field written elsewhere without a zero reads as all its 128 bytes.
    auto full = EncodeIPRecord(kFirst);
    std::fill(full.begin() + 268, full.begin() + 396, 'z');
    EXPECT_EQ(DecodeIPRecord(full)->comment, std::string(128, 'z'));
}

TEST(IPRecordFile, ReadsWholeRecordsAndStopsAtADamagedOne) {
    TempFolder folder;
    const fs::path file = folder / "IPRecord.dat";

    IPRecordBook missing = LoadIPRecordFile(file);
    EXPECT_EQ(missing.status, IPRecordBook::Status::kOk);
    EXPECT_TRUE(missing.rows.empty());
    EXPECT_FALSE(fs::exists(file));

    WriteFile(file, Bytes({kFirst, kSecond}) + std::string(200, 'x'));  // 1000 bytes
    IPRecordBook partial = LoadIPRecordFile(file);
    EXPECT_EQ(partial.status, IPRecordBook::Status::kOk);
    EXPECT_EQ(partial.rows, (std::vector<IPRecord>{kFirst, kSecond}));
    EXPECT_EQ(partial.tailBytes, 200u);

    for (size_t checkWord : {0u, 132u, 264u}) {
        SCOPED_TRACE(checkWord);
        std::string bytes = Bytes({kFirst, kSecond, kFirst});
        bytes[kIPRecordSize + checkWord + 2] = 0x13;
        WriteFile(file, bytes);
        IPRecordBook bad = LoadIPRecordFile(file);
        EXPECT_EQ(bad.status, IPRecordBook::Status::kBadRecord);
        EXPECT_EQ(bad.badRecord, 1u);
    }

    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(LoadIPRecordFile(file).status, IPRecordBook::Status::kOpenFailed);
}

TEST(IPRecordFile, AFailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const fs::path file = folder / "IPRecord.dat";
    ASSERT_TRUE(SaveIPRecordFile(file, {kFirst, kSecond}));
    EXPECT_EQ(LoadIPRecordFile(file).rows, (std::vector<IPRecord>{kFirst, kSecond}));
    ASSERT_TRUE(SaveIPRecordFile(file, {}));
    EXPECT_EQ(fs::file_size(file), 0u);

    // A folder in the way of the file.
    fs::remove(file);
    fs::create_directories(file / "inside");
    EXPECT_FALSE(SaveIPRecordFile(file, {kFirst}));
    EXPECT_TRUE(fs::is_directory(file / "inside"));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(FileAside, NeverOverAnOlderOne) {
    TempFolder folder;
    const fs::path file = folder / "IPRecord.dat";
    WriteFile(file, "first");
    const ormidon::AsideResult first = ormidon::MoveFileAside(file);
    EXPECT_EQ(first.path, folder / "IPRecord.dat.bad");
    EXPECT_FALSE(fs::exists(file));

    WriteFile(file, "second");
    const ormidon::AsideResult copy = ormidon::CopyFileAside(file);
    EXPECT_EQ(copy.path, folder / "IPRecord.dat.bad.1");
    EXPECT_EQ(ReadFile(file), "second");
    const ormidon::AsideResult moved = ormidon::MoveFileAside(file);
    EXPECT_EQ(moved.path, folder / "IPRecord.dat.bad.2");
    EXPECT_EQ(ReadFile(folder / "IPRecord.dat.bad"), "first");
    EXPECT_EQ(ReadFile(folder / "IPRecord.dat.bad.1"), "second");
    EXPECT_EQ(ReadFile(folder / "IPRecord.dat.bad.2"), "second");

    EXPECT_TRUE(ormidon::MoveFileAside(file).path.empty());  // nothing there
    EXPECT_FALSE(ormidon::MoveFileAside(file).error.empty());
}

}  // namespace
