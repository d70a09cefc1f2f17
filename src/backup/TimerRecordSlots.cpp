#include "backup/TimerRecordSlots.h"

#include "core/ConfigRecords.h"
#include "sheet/ApplyBaseline.h"

TimerSlots ReadTimerSlots(std::span<const uint8_t> dvrrec) {
    TimerSlots slots;
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        slots.byDay[i] = static_cast<uint8_t>(ReadUInt(dvrrec, DvrRecRecord::byTimerDay, i));
        slots.wStart[i] = static_cast<uint16_t>(ReadUInt(dvrrec, DvrRecRecord::wTimerStart, i));
        slots.wEnd[i] = static_cast<uint16_t>(ReadUInt(dvrrec, DvrRecRecord::wTimerEnd, i));
    }
    return slots;
}

void WriteTimerSlots(std::span<uint8_t> dvrrec, const TimerSlots& slots) {
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        WriteUInt(dvrrec, DvrRecRecord::byTimerDay, slots.byDay[i], i);
        WriteUInt(dvrrec, DvrRecRecord::wTimerStart, slots.wStart[i], i);
        WriteUInt(dvrrec, DvrRecRecord::wTimerEnd, slots.wEnd[i], i);
    }
}

TimerSlots BaselineTimerSlots(const ApplyBaseline& baseline) {
    TimerSlots slots;
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        slots.byDay[i] = baseline.byTimerDay[i];
        slots.wStart[i] = static_cast<uint16_t>(baseline.byTimerStart[2 * i] |
                                                baseline.byTimerStart[2 * i + 1] << 8);
        slots.wEnd[i] =
            static_cast<uint16_t>(baseline.byTimerEnd[2 * i] | baseline.byTimerEnd[2 * i + 1] << 8);
    }
    return slots;
}

uint16_t TimerWord(int hour, int minute) {
    return static_cast<uint16_t>((hour & 0xFF) << 8 | (minute & 0xFF));
}

bool IsShowableTimerWord(uint16_t word) { return (word >> 8) <= 23 && (word & 0xFF) <= 59; }

TimerSlots ChosenTimerSlots(const TimerSlots& stored, const TimerChoices& choices) {
    TimerSlots slots = stored;
    for (std::size_t i = 0; i < kTimerSlots; ++i) {
        if (choices.day[i]) slots.byDay[i] = *choices.day[i];
        if (choices.start[i]) slots.wStart[i] = *choices.start[i];
        if (choices.end[i]) slots.wEnd[i] = *choices.end[i];
    }
    return slots;
}
