#include "sheet/AlarmDurations.h"

#include "core/DeviceIdentity.h"

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
