#pragma once
// The schedule recorder: the table of ten schedule entries that the schedule page edits. It
// takes part in the ring's lock-step like the other recorders, but never records: it has no
// thread and never takes frames. The table lives in memory only.
#include <cstdint>

#include "record/RecorderBase.h"

struct ScheduleEntry {
    int32_t start = 0;  // seconds since 1 January 1970
    int32_t end = 0;
    uint32_t used = 0;  // 1: the entry is in use
};

constexpr uint32_t kScheduleEntryCount = 10;

class CSchRecord : public RecorderBase {
  public:
    // Nothing records here: 1.
    int StopRecord() { return 1; }

    // Written and read by the schedule page and its time-setting dialog only.
    uint32_t m_dwScheduleCount = 0;  // entries in use
    uint32_t m_dwEditFlag = 0;       // 1 while the page edits an entry (rather than adds one)
    ScheduleEntry m_Schedule[kScheduleEntryCount] = {};
};
