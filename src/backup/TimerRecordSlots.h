#pragma once
// The seven weekly timer-recording slots of a P5xK recorder in the DVRREC record: a day
// code (0 OFF ... 10 DAILY) and a start and an end time word (hour x 256 + minute, little
// endian) each. Headless: the Timer Record page holds the slots read and the operator's
// choices, and this decides what is written.
//
// A choice the operator did not make is empty and keeps the slot's stored value, so a day
// code above 10 or a time no picker holds (hour above 23, minute above 59) is written back
// unchanged and is no change.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct ApplyBaseline;

inline constexpr std::size_t kTimerSlots = 7;
inline constexpr uint8_t kLastTimerDay = 10;

struct TimerSlots {
    std::array<uint8_t, kTimerSlots> byDay{};
    std::array<uint16_t, kTimerSlots> wStart{};
    std::array<uint16_t, kTimerSlots> wEnd{};
    bool operator==(const TimerSlots&) const = default;
};

struct TimerChoices {
    std::array<std::optional<uint8_t>, kTimerSlots> day;
    std::array<std::optional<uint16_t>, kTimerSlots> start;
    std::array<std::optional<uint16_t>, kTimerSlots> end;
};

TimerSlots ReadTimerSlots(std::span<const uint8_t> dvrrec);
void WriteTimerSlots(std::span<uint8_t> dvrrec, const TimerSlots& slots);
// The slots as the sheet found them when it opened.
TimerSlots BaselineTimerSlots(const ApplyBaseline& baseline);

uint16_t TimerWord(int hour, int minute);
// True when a time picker can show the word.
bool IsShowableTimerWord(uint16_t word);

// The stored slots with the operator's choices taken over.
TimerSlots ChosenTimerSlots(const TimerSlots& stored, const TimerChoices& choices);
