// The alarm database over an arbitrary AlarmData.dat: the entries loaded are those the file
// holds and its count allows, each within its field sizes and unchanged when written back;
// an append keeps the file's entries and adds one (dropping the oldest at 1024); removing
// marked entries keeps exactly the others.
#include <algorithm>
#include <string>

#include "FuzzTarget.h"
#include "platform/Paths.h"
#include "record/AlarmDBItem.h"
#include "record/LittleEndian.h"
#include "record/SystemConfig.h"
#include "support/TempFolder.h"

namespace {

bool SameItem(const AlarmDBItem_Struct& a, const AlarmDBItem_Struct& b) {
    return a.sequence == b.sequence && a.date == b.date && a.path == b.path &&
           a.frames == b.frames && a.source == b.source;
}

std::vector<AlarmDBItem_Struct> Load(SystemConfig& db) {
    std::vector<AlarmDBItem_Struct> items;
    if (db.AlarmDB_LoadItems() != 1) return items;
    for (uint16_t i = 0; i < db.m_wAlarmDBCount; ++i) items.push_back(db.m_lpAlarmDBItem_Struct[i]);
    return items;
}

// Database images as the alarm database tests build them.
FuzzBytes Image(uint16_t magic, uint16_t count, std::size_t entries) {
    FuzzBytes bytes(4);
    ormidon::le::PutU16(bytes.data(), magic);
    ormidon::le::PutU16(bytes.data() + 2, count);
    for (std::size_t i = 0; i < entries; ++i) {
        AlarmDBItem_Struct item;
        item.sequence = static_cast<uint16_t>(i);
        item.path = "/rec/file" + std::to_string(i) + ".vse";
        item.frames = static_cast<uint32_t>(i);
        item.source = "192.168.1.10";
        const auto entry = item.ToBytes();
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    return bytes;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    return {fuzz::Seed().U8(0).U16(0).Append(Image(kAlarmDBMagic, 1, 1)),
            fuzz::Seed().U8(3).U16(0x5).Append(Image(kAlarmDBMagic, 3, 3)),
            fuzz::Seed().U8(1).U16(1).Append(Image(kAlarmDBMagic, 9, 2)),
            fuzz::Seed().U8(2).U16(1).Append(Image(0x1234, 1, 1))};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static ormidon::test::TempFolder program;
    ormidon::SetProgramFolderForTesting(program.path());
    fuzz::Input in(data, size);
    const uint8_t actions = in.U8();
    const uint16_t marks = in.U16();
    const std::span<const uint8_t> file = in.Rest();
    ormidon::test::WriteFile(
        SystemConfig::AlarmDBFilePath(),
        std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));

    SystemConfig db;
    const std::vector<AlarmDBItem_Struct> loaded = Load(db);
    const bool ours = file.size() >= 4 && ormidon::le::GetU16(file.data()) == kAlarmDBMagic;
    const std::size_t held = file.size() >= 4 ? (file.size() - 4) / kAlarmDBItemSize : 0;
    const std::size_t stated = file.size() >= 4 ? ormidon::le::GetU16(file.data() + 2) : 0;
    FUZZ_CHECK(loaded.size() == (ours ? std::min(held, stated) : 0));
    for (const AlarmDBItem_Struct& item : loaded) {
        FUZZ_CHECK(item.path.size() <= kAlarmDBMaxPathLength);
        FUZZ_CHECK(item.source.size() <= kAlarmDBMaxSourceLength);
        FUZZ_CHECK(SameItem(AlarmDBItem_Struct::FromBytes(item.ToBytes().data()), item));
    }
    if (!ours) return 0;

    if (actions & 1) {
        // Mark the entries the bits choose and remove them.
        db.AlarmDB_LoadItems();
        std::vector<AlarmDBItem_Struct> kept;
        std::vector<std::string> removed;
        for (uint16_t i = 0; i < db.m_wAlarmDBCount; ++i) {
            AlarmDBItem_Struct& item = db.m_lpAlarmDBItem_Struct[i];
            if (marks >> (i % 16) & 1) {
                item.flags |= kAlarmDBFlagMarked;
                removed.push_back(item.path);
            }
        }
        for (const AlarmDBItem_Struct& item : loaded) {
            if (std::find(removed.begin(), removed.end(), item.path) == removed.end())
                kept.push_back(item);
        }
        db.m_fItemsMarked = 1;
        FUZZ_CHECK(db.AlarmDB_RemoveMarkedItems() == 1);
        const std::vector<AlarmDBItem_Struct> after = Load(db);
        FUZZ_CHECK(after.size() == kept.size());
        for (std::size_t i = 0; i < kept.size(); ++i) FUZZ_CHECK(SameItem(after[i], kept[i]));
    }
    if (actions & 2) {
        const std::vector<AlarmDBItem_Struct> before = Load(db);
        FUZZ_CHECK(db.AlarmDB_SetRecordPath("/rec/ALARM_MJPEG_080717T103015_ab.vse") == 1);
        db.AlarmDB_SetRecordDate({2008, 7, 17, 10, 30, 15, 0, 0});
        FUZZ_CHECK(db.AlarmDB_AppendItem(42, "192.168.1.10") == 1);
        const std::vector<AlarmDBItem_Struct> after = Load(db);
        const std::size_t dropped = before.size() >= kAlarmDBMaxItems ? 1 : 0;
        FUZZ_CHECK(after.size() == before.size() - dropped + 1);
        for (std::size_t i = dropped; i < before.size(); ++i) {
            FUZZ_CHECK(after[i - dropped].path == before[i].path);
            FUZZ_CHECK(after[i - dropped].frames == before[i].frames);
        }
        FUZZ_CHECK(after.back().frames == 42 && after.back().sequence == after.size() - 1);
    }
    return 0;
}
