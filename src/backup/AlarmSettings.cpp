#include "backup/AlarmSettings.h"

#include "core/ConfigRecords.h"
#include "sheet/ApplyBaseline.h"

uint8_t AlarmMethodAfterEmail(uint8_t method) {
    switch (method) {
        case 2:
            return 3;
        case 3:
            return 2;
        default:
            return 1;
    }
}

uint8_t AlarmMethodAfterFtp(uint8_t method) {
    switch (method) {
        case 1:
            return 3;
        case 3:
            return 1;
        default:
            return 2;
    }
}

bool ApplyAlarmValues(std::span<uint8_t> alarm, const ApplyBaseline& baseline,
                      const AlarmPageValues& values) {
    using namespace AlarmRecordLayout;
    bool changed = false;
    if (values.byAlarmMethod != baseline.byAlarmMethod) {
        WriteUInt(alarm, byAlarmMethod, values.byAlarmMethod);
        changed = true;
    }
    if (values.byResolution != baseline.byAlarmResolution) {
        WriteUInt(alarm, byAlarmResolution, values.byResolution);
        changed = true;
    }
    if (values.nPostNumberIndex >= 0 &&
        static_cast<uint8_t>(values.nPostNumberIndex) != baseline.nAlarmPostNumber) {
        WriteUInt(alarm, byPostNumber, static_cast<uint8_t>(values.nPostNumberIndex + 1));
        changed = true;
    }
    if (values.byVideoSource != baseline.byVideoSource) {
        WriteUInt(alarm, byVideoSource, values.byVideoSource);
        changed = true;
    }
    if (values.nDurationIndex >= 0 && values.nDurationIndex != baseline.nAlarmDuration) {
        WriteUInt(alarm, wAlarmDuration, AlarmDurationSeconds(values.nDurationIndex));
        changed = true;
    }
    return changed;
}
