#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "platform/Paths.h"
#include "record/AlarmDBItem.h"
#include "record/LittleEndian.h"
#include "record/SystemConfig.h"

namespace {

using ormidon::test::ReadFile;
using ormidon::test::TempFolder;
using ormidon::test::WriteFile;

struct DBImage {
    uint16_t magic = 0;
    uint16_t count = 0;
    std::vector<AlarmDBItem_Struct> items;
};

DBImage Parse(const std::string& bytes) {
    DBImage image;
    if (bytes.size() < 4) return image;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    image.magic = ormidon::le::GetU16(p);
    image.count = ormidon::le::GetU16(p + 2);
    for (size_t at = 4; at + kAlarmDBItemSize <= bytes.size(); at += kAlarmDBItemSize)
        image.items.push_back(AlarmDBItem_Struct::FromBytes(p + at));
    return image;
}

std::string Image(uint16_t magic, uint16_t count, size_t entries) {
    std::string bytes(4, '\0');
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    ormidon::le::PutU16(p, magic);
    ormidon::le::PutU16(p + 2, count);
    for (size_t i = 0; i < entries; ++i) {
        AlarmDBItem_Struct item;
        item.sequence = static_cast<uint16_t>(i);
        item.path = "/rec/file" + std::to_string(i) + ".vse";
        item.frames = static_cast<uint32_t>(i);
        const auto entry = item.ToBytes();
        bytes.append(reinterpret_cast<const char*>(entry.data()), entry.size());
    }
    return bytes;
}

class AlarmDatabaseTest : public ::testing::Test {
  protected:
    AlarmDatabaseTest() { ormidon::SetProgramFolderForTesting(folder_.path()); }
    ~AlarmDatabaseTest() override { ormidon::SetProgramFolderForTesting({}); }

    std::filesystem::path File() const { return folder_ / "AlarmData.dat"; }
    DBImage Stored() const { return Parse(ReadFile(File())); }

    int Append(const std::string& path, uint32_t frames = 7) {
        db_.AlarmDB_SetRecordPath(path);
        db_.AlarmDB_SetRecordDate({2008, 7, 17, 10, 30, 15, 999, 4});
        return db_.AlarmDB_AppendItem(frames, "192.168.1.10");
    }

    TempFolder folder_;
    SystemConfig db_;
};

TEST_F(AlarmDatabaseTest, FirstAppendCreatesTheFileWithTheEntryByteForByte) {
    ASSERT_EQ(Append("/rec/ALARM_MJPEG_080717T103015_ab.vse", 42), 1);
    const std::string bytes = ReadFile(File());
    ASSERT_EQ(bytes.size(), 4u + 316u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x87\x99\x01\x00", 4));
    const std::string entry = bytes.substr(4);
    EXPECT_EQ(entry.substr(0, 4), std::string(4, '\0'));  // sequence 0, flags 0
    EXPECT_EQ(entry.substr(4, 16),
              std::string("\xD8\x07\x07\x00\x00\x00\x11\x00\x0A\x00\x1E\x00\x0F\x00\x00\x00", 16));
    EXPECT_EQ(entry.substr(20, 38), std::string("/rec/ALARM_MJPEG_080717T103015_ab.vse\0", 38));
    EXPECT_EQ(entry.substr(280, 4), std::string("\x2A\x00\x00\x00", 4));
    EXPECT_EQ(entry.substr(284, 13), std::string("192.168.1.10\0", 13));
    // The pending entry is used up: a second append without a new path adds nothing.
    EXPECT_EQ(db_.AlarmDB_AppendItem(1, "x"), 0);
    EXPECT_EQ(Stored().count, 1);
}

TEST_F(AlarmDatabaseTest, AppendKeepsAtMostTheNewest1024) {
    struct Case {
        uint16_t count;
        size_t entries;
        uint16_t countAfter;
        std::string firstPathAfter;
    } cases[] = {
        {0, 0, 1, "/rec/new.vse"},
        {1, 1, 2, "/rec/file0.vse"},
        {1023, 1023, 1024, "/rec/file0.vse"},
        {1024, 1024, 1024, "/rec/file1.vse"},
        {1030, 1030, 1030, "/rec/file1.vse"},
        // A count the file does not hold: only the entries it holds are kept.
        {500, 3, 4, "/rec/file0.vse"},
    };
    for (const Case& c : cases) {
        WriteFile(File(), Image(kAlarmDBMagic, c.count, c.entries));
        ASSERT_EQ(Append("/rec/new.vse"), 1) << c.count;
        const DBImage image = Stored();
        EXPECT_EQ(image.magic, kAlarmDBMagic);
        EXPECT_EQ(image.count, c.countAfter) << c.count;
        ASSERT_EQ(image.items.size(), c.countAfter) << c.count;
        EXPECT_EQ(image.items.front().path, c.firstPathAfter) << c.count;
        EXPECT_EQ(image.items.back().path, "/rec/new.vse");
        EXPECT_EQ(image.items.back().sequence, c.countAfter - 1);
    }
}

TEST_F(AlarmDatabaseTest, ForeignFileIsLeftAlone) {
    const std::string foreign = Image(0x1234, 2, 2);
    WriteFile(File(), foreign);
    EXPECT_EQ(Append("/rec/new.vse"), 0);
    EXPECT_EQ(ReadFile(File()), foreign);
    EXPECT_EQ(db_.AlarmDB_LoadItems(), 0);
    EXPECT_EQ(db_.m_wAlarmDBCount, 0);
    db_.m_fItemsMarked = 1;
    EXPECT_EQ(db_.AlarmDB_RemoveMarkedItems(), 0);
    EXPECT_EQ(ReadFile(File()), foreign);
}

TEST_F(AlarmDatabaseTest, TextsAreBounded) {
    EXPECT_EQ(db_.AlarmDB_SetRecordPath("/" + std::string(kAlarmDBMaxPathLength, 'p')), 0);
    EXPECT_EQ(db_.AlarmDB_AppendItem(1, "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(File()));

    const std::string longest = "/" + std::string(kAlarmDBMaxPathLength - 1, 'p');
    ASSERT_EQ(db_.AlarmDB_SetRecordPath(longest), 1);
    ASSERT_EQ(db_.AlarmDB_AppendItem(1, std::string(40, 'a')), 1);
    const DBImage image = Stored();
    ASSERT_EQ(image.items.size(), 1u);
    EXPECT_EQ(image.items[0].path, longest);
    EXPECT_EQ(image.items[0].source, std::string(31, 'a'));
    EXPECT_EQ(ReadFile(File())[4 + 284 + 31], '\0');

    // Fields filled to their last byte read as what they are written back as.
    std::string unterminated = ReadFile(File());
    unterminated.replace(4 + 20, 260, std::string(260, 'q'));
    unterminated.replace(4 + 284, 32, std::string(32, 's'));
    const AlarmDBItem_Struct item =
        AlarmDBItem_Struct::FromBytes(reinterpret_cast<const uint8_t*>(unterminated.data()) + 4);
    EXPECT_EQ(item.path, std::string(kAlarmDBMaxPathLength, 'q'));
    EXPECT_EQ(item.source, std::string(kAlarmDBMaxSourceLength, 's'));
    EXPECT_EQ(AlarmDBItem_Struct::FromBytes(item.ToBytes().data()).path, item.path);
}

TEST_F(AlarmDatabaseTest, LoadFlagsMissingRecordFilesAndRemovalDropsEveryMarkedPath) {
    const std::string present = (folder_ / "present.vse").string();
    WriteFile(present, "x");
    Append(present);
    Append("/rec/gone.vse");
    Append(present);
    Append("/rec/other.vse");
    ASSERT_EQ(db_.AlarmDB_LoadItems(), 1);
    ASSERT_EQ(db_.m_wAlarmDBCount, 4);
    EXPECT_EQ(db_.m_lpAlarmDBItem_Struct[0].flags, 0);
    EXPECT_EQ(db_.m_lpAlarmDBItem_Struct[1].flags, kAlarmDBFlagFileMissing);

    // Appends while the list is loaded leave the loaded entries and their count alone.
    Append("/rec/late.vse");
    EXPECT_EQ(db_.m_wAlarmDBCount, 4);

    // Not marked yet: nothing happens.
    db_.m_lpAlarmDBItem_Struct[2].flags = kAlarmDBFlagMarked;
    EXPECT_EQ(db_.AlarmDB_RemoveMarkedItems(), 1);
    EXPECT_NE(db_.m_lpAlarmDBItem_Struct, nullptr);
    EXPECT_EQ(Stored().count, 5);

    db_.m_fItemsMarked = 1;
    EXPECT_EQ(db_.AlarmDB_RemoveMarkedItems(), 1);
    EXPECT_EQ(db_.m_lpAlarmDBItem_Struct, nullptr);
    EXPECT_EQ(db_.m_fItemsMarked, 0u);
    const DBImage image = Stored();
    ASSERT_EQ(image.count, 3);
    EXPECT_EQ(image.items[0].path, "/rec/gone.vse");
    EXPECT_EQ(image.items[1].path, "/rec/other.vse");
    EXPECT_EQ(image.items[2].path, "/rec/late.vse");
}

TEST_F(AlarmDatabaseTest, AnEntryNamingAPipeLoadsWithoutWaiting) {
    const std::string pipe = (folder_ / "pipe.vse").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Append(pipe);
    ASSERT_EQ(db_.AlarmDB_LoadItems(), 1);
    ASSERT_EQ(db_.m_wAlarmDBCount, 1);
    EXPECT_EQ(db_.m_lpAlarmDBItem_Struct[0].path, pipe);
}

TEST_F(AlarmDatabaseTest, RemovalWithoutAFileWritesTheUnmarkedLoadedEntries) {
    Append("/rec/a.vse");
    Append("/rec/b.vse");
    ASSERT_EQ(db_.AlarmDB_LoadItems(), 1);
    std::filesystem::remove(File());
    db_.m_lpAlarmDBItem_Struct[0].flags = kAlarmDBFlagMarked;
    db_.m_fItemsMarked = 1;
    EXPECT_EQ(db_.AlarmDB_RemoveMarkedItems(), 1);
    const DBImage image = Stored();
    ASSERT_EQ(image.count, 1);
    EXPECT_EQ(image.items[0].path, "/rec/b.vse");
    EXPECT_EQ(image.items[0].flags, 0);
}

TEST_F(AlarmDatabaseTest, NoFileLoadsNothing) {
    EXPECT_EQ(db_.AlarmDB_LoadItems(), 1);
    EXPECT_EQ(db_.m_wAlarmDBCount, 0);
    WriteFile(File(), Image(kAlarmDBMagic, 0, 0));
    EXPECT_EQ(db_.AlarmDB_LoadItems(), 1);
    EXPECT_EQ(db_.m_wAlarmDBCount, 0);
    EXPECT_EQ(db_.m_wAlarmDBMagic, kAlarmDBMagic);
}

}  // namespace
