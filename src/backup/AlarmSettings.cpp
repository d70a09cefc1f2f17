#include "backup/AlarmSettings.h"

#include "core/ConfigRecords.h"
#include "core/DeviceIdentity.h"
#include "settings/ApplyBaseline.h"

namespace {

constexpr AlarmDuration kCameraDurations[] = {{"3      SEC", 3},    {"15     SEC", 15},
                                              {"30     SEC", 30},   {"1      MIN", 60},
                                              {"30     MIN", 1800}, {"AUTO", 0xFFFF}};
constexpr AlarmDuration kDvrDurations[] = {
    {"5      SEC", 5}, {"10     SEC", 10}, {"20     SEC", 20}, {"40     SEC", 40}};

}  // namespace

std::span<const AlarmDuration> AlarmDurations() {
    if (IsP62KModel() || IsN2xVModel() || IsT18DModel()) return kCameraDurations;
    if (IsP5xKModel()) return kDvrDurations;
    return {};
}

int AlarmDurationIndex(uint16_t seconds) {
    const std::span<const AlarmDuration> durations = AlarmDurations();
    for (std::size_t i = 0; i < durations.size(); ++i)
        if (durations[i].seconds == seconds) return static_cast<int>(i);
    return 0;
}

uint16_t AlarmDurationSeconds(int index) {
    const std::span<const AlarmDuration> durations = AlarmDurations();
    if (durations.empty()) return 0;
    if (index < 0 || static_cast<std::size_t>(index) >= durations.size()) index = 0;
    return durations[static_cast<std::size_t>(index)].seconds;
}

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
