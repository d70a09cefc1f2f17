#pragma once
// The alarm durations the Alarm page offers, by device family. The apply baseline keeps the
// page's entry of the stored duration, so the table sits below both.
#include <cstdint>
#include <span>

struct AlarmDuration {
    const char* text;  // as the list shows it, blanks included
    uint16_t seconds;
};

// The durations of the connected device's family (empty for no family).
std::span<const AlarmDuration> AlarmDurations();
// The entry of a stored duration; 0 for one outside the list.
int AlarmDurationIndex(uint16_t seconds);
// The seconds written for an entry; an index past the list writes the first entry.
uint16_t AlarmDurationSeconds(int index);
