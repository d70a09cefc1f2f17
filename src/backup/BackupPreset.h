// The one-shot hand-over of a chosen recording from the Full List window to the Network
// Backup page: the list fills it and posts WM_GOTONETWORKBACKUP, the page applies it once and
// clears it, and the sheet clears it whenever it is built.
#pragma once

#include <cstdint>

struct BackupPreset {
    uint8_t valid = 0;     // 1 while a preset waits for the page
    uint8_t kind = 0;      // 0 alarm, 1 motion, 3 manual, 15 system
    uint8_t year = 0;      // year minus 2000
    uint8_t month = 0;     // 1..12
    uint8_t day = 0;       // 1..31
    uint8_t hour = 0;      // 0..23
    uint8_t minute = 0;    // 0..59
    uint8_t second = 0;    // 0..59
    uint8_t hddIndex = 0;  // row of the disk list to select
    uint8_t channel = 0;   // 1..16, or 0 to leave the page's channel as it is
    uint8_t reserved[2] = {0, 0};
};
static_assert(sizeof(BackupPreset) == 12, "one byte per field");

extern BackupPreset g_BackupPreset;
