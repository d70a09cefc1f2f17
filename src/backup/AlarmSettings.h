#pragma once
// The alarm reaction of the "ALARM" section as the Alarm page edits it: the family's alarm
// durations (sheet/AlarmDurations.h), the report-method buttons, and the applier's
// comparison with the baseline.
#include <cstdint>
#include <span>

#include "sheet/AlarmDurations.h"

struct ApplyBaseline;

// Methods: 0 off, 1 e-mail, 2 FTP, 3 both. "Email" and "FTP" toggle their bit but never
// switch the last remaining method off.
uint8_t AlarmMethodAfterEmail(uint8_t method);
uint8_t AlarmMethodAfterFtp(uint8_t method);

// What the page holds of the section.
struct AlarmPageValues {
    int nDurationIndex = -1;
    int nPostNumberIndex = -1;  // pictures per alarm minus one; -1 none chosen
    uint8_t byResolution = 3;   // the page offers no other
    uint8_t byAlarmMethod = 1;
    uint8_t byVideoSource = 0;
};

// Writes the fields where the page differs from the baseline into `alarm`; true when any
// did. A negative index changes nothing.
bool ApplyAlarmValues(std::span<uint8_t> alarm, const ApplyBaseline& baseline,
                      const AlarmPageValues& values);
