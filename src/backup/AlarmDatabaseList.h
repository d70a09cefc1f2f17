#pragma once
// The alarm database as the Alarm List page shows it, headless: loading it into the
// database object (creating a missing file, moving a rejected one aside), the rows'
// texts, which loaded entry a row stands for, and the removal of entries.
//
// The page never keeps entries across a removal: SystemConfig::AlarmDB_RemoveMarkedItems
// releases them, so every removal is followed by a load.
#include <cstdint>
#include <filesystem>
#include <string>

#include "record/AlarmDBItem.h"

class SystemConfig;

enum class AlarmListLoad {
    Loaded,            // the entries of the file (none when it was missing and is now made)
    HeaderUnreadable,  // the file was too short for its header: moved aside
    WrongMagic,        // another file: moved aside
};

AlarmListLoad LoadAlarmList(SystemConfig& database);

// Renames a rejected database file to "AlarmData.dat.bad", or ".bad.2", ".bad.3", ... when
// that name is taken, so an older rejected file is never replaced. The new path; empty when
// the file could not be moved.
std::filesystem::path MoveAlarmDBAside(const std::filesystem::path& file);

// The loaded entry shown in `row`: the row-th of the entries not marked for removal; -1
// for none.
int AlarmEntryOfRow(const SystemConfig& database, int row);
// The number of entries not marked for removal.
int AlarmListRowCount(const SystemConfig& database);

// The path text of an entry, with " (File not found)" when its file cannot be opened now.
std::string AlarmPathText(const AlarmDBItem_Struct& item);
// "2026.12.10 14:35:20".
std::string AlarmTimeText(const ormidon::LocalTime& time);

// Marks the entry of `row` (or every entry) and has the file rewritten without it; the
// loaded entries are released. False when the rewrite failed (the file is left as it was).
bool RemoveAlarmRow(SystemConfig& database, int row);
bool RemoveAllAlarmRows(SystemConfig& database);
