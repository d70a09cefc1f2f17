#pragma once
// The backup preset of a recording chosen from the Full List: its kind as the Network Backup
// page's event type (0 alarm, 1 motion, 3 manual, 15 system, 0 otherwise), its channel (alarm
// and motion recordings only), its start time and the disk's row in the list.
#include "backup/BackupPreset.h"
#include "net/SearchList.h"

inline BackupPreset BackupPresetOf(const SearchListEntry& entry, uint8_t hddIndex) {
    BackupPreset preset;
    preset.hddIndex = hddIndex;
    switch (SearchListKindOf(entry.Kind())) {
        case SearchListKind::Alarm:
            preset.kind = 0;
            break;
        case SearchListKind::Motion:
            preset.kind = 1;
            break;
        case SearchListKind::Manual:
            preset.kind = 3;
            break;
        case SearchListKind::System:
            preset.kind = 15;
            break;
        default:
            preset.kind = 0;
            break;
    }
    preset.channel = static_cast<uint8_t>(SearchListChannelOf(entry.Kind()));
    preset.year = entry.Year();
    preset.month = entry.Month();
    preset.day = entry.Day();
    preset.hour = entry.Hour();
    preset.minute = entry.Minute();
    preset.second = entry.Second();
    preset.valid = 1;
    return preset;
}
