#include "backup/AlarmDatabaseList.h"

#include <cstdio>
#include <system_error>

#include "record/RecordFileAccess.h"
#include "record/SystemConfig.h"

namespace {

constexpr const char* kFileNotFound = " (File not found)";

bool RemoveMarked(SystemConfig& database) {
    database.m_fItemsMarked = 1;
    return database.AlarmDB_RemoveMarkedItems() != 0;
}

}  // namespace

std::filesystem::path MoveAlarmDBAside(const std::filesystem::path& file) {
    std::error_code error;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::filesystem::path aside = file;
        aside += attempt == 1 ? ".bad" : ".bad." + std::to_string(attempt);
        if (std::filesystem::exists(aside, error) || error) continue;
        std::filesystem::rename(file, aside, error);
        return error ? std::filesystem::path() : aside;
    }
    return {};
}

AlarmListLoad LoadAlarmList(SystemConfig& database) {
    const std::filesystem::path file = SystemConfig::AlarmDBFilePath();
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        // A load without a file names the file and loads nothing; the rewrite of nothing
        // marked then writes an empty database if there is still no file, under the
        // database's guard, so an append meanwhile is not lost.
        database.AlarmDB_LoadItems();
        RemoveMarked(database);
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size < kAlarmDBHeaderSize) {
        database.AlarmDB_FreeBuffer();
        database.m_wAlarmDBCount = 0;
        MoveAlarmDBAside(file);
        return AlarmListLoad::HeaderUnreadable;
    }
    if (database.AlarmDB_LoadItems() == 0) {
        MoveAlarmDBAside(file);
        return AlarmListLoad::WrongMagic;
    }
    return AlarmListLoad::Loaded;
}

int AlarmEntryOfRow(const SystemConfig& database, int row) {
    if (row < 0 || !database.m_lpAlarmDBItem_Struct) return -1;
    int shown = 0;
    for (int i = 0; i < database.m_wAlarmDBCount; ++i) {
        if (database.m_lpAlarmDBItem_Struct[static_cast<std::size_t>(i)].flags & kAlarmDBFlagMarked)
            continue;
        if (shown++ == row) return i;
    }
    return -1;
}

int AlarmListRowCount(const SystemConfig& database) {
    int rows = 0;
    while (AlarmEntryOfRow(database, rows) >= 0) ++rows;
    return rows;
}

std::string AlarmPathText(const AlarmDBItem_Struct& item) {
    return CanOpenRecordFile(item.path) ? item.path : item.path + kFileNotFound;
}

std::string AlarmTimeText(const ormidon::LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4d.%.2d.%.2d %.2d:%.2d:%.2d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

bool RemoveAlarmRow(SystemConfig& database, int row) {
    const int entry = AlarmEntryOfRow(database, row);
    if (entry < 0) return false;
    database.m_lpAlarmDBItem_Struct[static_cast<std::size_t>(entry)].flags = kAlarmDBFlagMarked;
    return RemoveMarked(database);
}

bool RemoveAllAlarmRows(SystemConfig& database) {
    if (!database.m_lpAlarmDBItem_Struct) return false;
    for (int i = 0; i < database.m_wAlarmDBCount; ++i)
        database.m_lpAlarmDBItem_Struct[static_cast<std::size_t>(i)].flags = kAlarmDBFlagMarked;
    return RemoveMarked(database);
}
