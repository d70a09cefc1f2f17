#pragma once
// The DVR's clock as "/GetDvrDate.cgi" reports it and "/SetDvrDate.cgi" sets it: the date
// and time, the date format, and the daylight-saving rule. Headless: the Date page holds
// the values read and the operator's choices, and this decides what is sent.
//
// A choice the operator did not make is empty and leaves the value read standing, so a
// value the page cannot show (a FORMAT or month index outside its list, a time no picker
// holds) is sent back unchanged and never counts as a change.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct DvrDateValues {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint8_t byFormat = 0;
    uint8_t byDaylightSaving = 0;
    uint8_t byStartWeekIndex = 0;
    uint8_t byStartDayOfWeek = 0;
    uint8_t byStartMonth = 0;
    uint8_t byStartHour = 0;
    uint8_t byStartMinute = 0;
    uint8_t byEndWeekIndex = 0;
    uint8_t byEndDayOfWeek = 0;
    uint8_t byEndMonth = 0;
    uint8_t byEndHour = 0;
    uint8_t byEndMinute = 0;
    uint8_t byAdjustHour = 0;
    uint8_t byAdjustMinute = 0;
    bool operator==(const DvrDateValues&) const = default;
};

// Takes the reply's items into `values` (keys matched whole, net/DvrTextReply.h; the low
// 16 or 8 bits of each number); a missing key leaves its member.
void ReadDvrDateReply(std::string_view reply, DvrDateValues& values);

using DateTriple = std::array<int, 3>;  // year, month, day or hour, minute, second
using HourMinute = std::array<int, 2>;

struct DvrDateChoices {
    std::optional<DateTriple> date;
    std::optional<DateTriple> time;
    std::optional<int> format;
    std::optional<int> daylightSaving;  // 1 ON, 0 OFF
    std::optional<int> startWeek;
    std::optional<int> startDayOfWeek;
    std::optional<int> startMonth;
    std::optional<HourMinute> startTime;
    std::optional<int> endWeek;
    std::optional<int> endDayOfWeek;
    std::optional<int> endMonth;
    std::optional<HourMinute> endTime;
    std::optional<HourMinute> adjust;
};

struct DvrDateChange {
    DvrDateValues values;     // every value sent
    uint8_t byDayOfWeek = 0;  // of the date sent, 0 Sunday
    bool bChDate = false;
    bool bChFormat = false;
    bool bChDaylight = false;
    bool bChDaylightTime = false;
    bool Any() const { return bChDate || bChFormat || bChDaylight || bChDaylightTime; }
};

DvrDateChange ComputeDvrDateChange(const DvrDateValues& read, const DvrDateChoices& choices);

// The day of the week of a date, 0 Sunday to 6 Saturday; 0 for a date that does not exist.
int DayOfWeekOf(int year, int month, int day);

// The "/SetDvrDate.cgi" request text of a change, "Cookie" first when `cookie` is not empty.
std::string SetDvrDateQuery(const DvrDateChange& change, const std::string& cookie);

// Asks the device (cookie only, 15 s waits, 1024 bytes of room) and reads the reply into
// `values`; 0 when the request failed.
int GetDvrDate(DvrDateValues& values);
// Sends the change; 1 when the device answered status 200.
int SetDvrDate(const DvrDateChange& change);
