#pragma once
// The alarm database: "AlarmData.dat" in the program folder, a 4-byte header (u16 magic
// 0x9987, u16 count) and up to 1024 entries of 316 bytes, oldest first. The alarm recorder
// assembles one pending entry per record file and appends it when the file is finished;
// the alarm list page loads the entries, marks some and has them removed.
//
// Every change rewrites the whole file through a temporary file and a rename, so a reader
// or a failure never sees half a file. The guard serialises the file work and the pending
// entry; the loaded entries belong to the alarm list page's thread.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "record/AlarmDBItem.h"

class SystemConfig {
  public:
    SystemConfig() = default;
    SystemConfig(const SystemConfig&) = delete;
    SystemConfig& operator=(const SystemConfig&) = delete;

    // Starts a new pending entry for the record file `path`. A path longer than an entry
    // holds is refused (0): that file gets no entry.
    int AlarmDB_SetRecordPath(std::string_view path);
    // The local date and time of the pending entry's first frame.
    int AlarmDB_SetRecordDate(const ormidon::LocalTime& date);
    // Appends the pending entry with `frames` and the device address `strSourceIP` (cut to
    // 31 characters) and empties it. Creates the file when there is none; at 1024 entries
    // or more the oldest is dropped. 0 when there is no pending entry, when the file has
    // another magic (it is left as it is), or when it cannot be written.
    int AlarmDB_AppendItem(uint32_t frames, std::string_view strSourceIP);

    // The alarm list page's load: m_strAlarmDBPath, the header image and the entries, each
    // flagged kAlarmDBFlagFileMissing when its record file cannot be opened. A count that
    // the file does not hold is cut to the entries it holds. No file: no entries, 1.
    // Another magic: no entries, 0.
    int AlarmDB_LoadItems();
    // Frees the loaded entries.
    int AlarmDB_FreeBuffer();
    // Frees the loaded entries and allocates m_wAlarmDBCount empty ones.
    int AlarmDB_AllocateBuffer();
    // When m_fItemsMarked is set: rewrites the file without every entry whose path is that
    // of a loaded entry with kAlarmDBFlagMarked (or, with no file, writes the unmarked
    // loaded entries), clears m_fItemsMarked and frees the loaded entries. 0 when the file
    // has another magic or cannot be written.
    int AlarmDB_RemoveMarkedItems();

    // The database file: the program folder's "AlarmData.dat".
    static std::filesystem::path AlarmDBFilePath();

    // Set by the alarm list page's load (and by every append).
    std::string m_strAlarmDBPath;
    // Set by the alarm list page after it marked entries.
    uint32_t m_fItemsMarked = 0;
    // Header image of the file the alarm list page loaded; m_wAlarmDBCount is the number of
    // loaded entries, apart from what appends do to the file.
    uint16_t m_wAlarmDBMagic = 0;
    uint16_t m_wAlarmDBCount = 0;
    std::unique_ptr<AlarmDBItem_Struct[]> m_lpAlarmDBItem_Struct;

  private:
    std::mutex m_Guard;
    AlarmDBItem_Struct m_PendingItem;
};

// The one alarm database of the process.
extern SystemConfig g_SystemConfig;
