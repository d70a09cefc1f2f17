#include "backup/DvrDateSetting.h"

#include <chrono>

#include "backup/DvrTextCommand.h"
#include "net/CgiCommand.h"
#include "net/DvrTextReply.h"

namespace {

template <typename Field>
void ReadInto(std::string_view reply, std::string_view key, Field& field) {
    if (const std::optional<int32_t> number = WholeKeyNumber(reply, key))
        field = static_cast<Field>(*number);
}

// Takes a chosen value when it differs from the one read; true when it did.
template <typename Field>
bool Take(const std::optional<int>& choice, Field& field) {
    if (!choice || static_cast<Field>(*choice) == field) return false;
    field = static_cast<Field>(*choice);
    return true;
}

template <typename Field, std::size_t N>
bool TakeAll(const std::optional<std::array<int, N>>& choice, std::array<Field*, N> fields) {
    if (!choice) return false;
    bool differs = false;
    for (std::size_t i = 0; i < N; ++i)
        differs = differs || static_cast<Field>((*choice)[i]) != *fields[i];
    if (!differs) return false;
    for (std::size_t i = 0; i < N; ++i) *fields[i] = static_cast<Field>((*choice)[i]);
    return true;
}

}  // namespace

void ReadDvrDateReply(std::string_view reply, DvrDateValues& v) {
    ReadInto(reply, "YEAR", v.wYear);
    ReadInto(reply, "MONTH", v.wMonth);
    ReadInto(reply, "DAY", v.wDay);
    ReadInto(reply, "HOUR", v.wHour);
    ReadInto(reply, "MINUTE", v.wMinute);
    ReadInto(reply, "SECOND", v.wSecond);
    ReadInto(reply, "FORMAT", v.byFormat);
    ReadInto(reply, "DAYLIGHTSAVING", v.byDaylightSaving);
    ReadInto(reply, "STARTWEEKINDEX", v.byStartWeekIndex);
    ReadInto(reply, "STARTDAYOFWEEK", v.byStartDayOfWeek);
    ReadInto(reply, "STARTMONTH", v.byStartMonth);
    ReadInto(reply, "STARTHOUR", v.byStartHour);
    ReadInto(reply, "STARTMINUTE", v.byStartMinute);
    ReadInto(reply, "ENDWEEKINDEX", v.byEndWeekIndex);
    ReadInto(reply, "ENDDAYOFWEEK", v.byEndDayOfWeek);
    ReadInto(reply, "ENDMONTH", v.byEndMonth);
    ReadInto(reply, "ENDHOUR", v.byEndHour);
    ReadInto(reply, "ENDMINUTE", v.byEndMinute);
    ReadInto(reply, "ADJUSTHOUR", v.byAdjustHour);
    ReadInto(reply, "ADJUSTMINUTE", v.byAdjustMinute);
}

int DayOfWeekOf(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (month < 1 || day < 1 || !date.ok()) return 0;
    return static_cast<int>(weekday(sys_days(date)).c_encoding());
}

DvrDateChange ComputeDvrDateChange(const DvrDateValues& read, const DvrDateChoices& choices) {
    DvrDateChange change;
    DvrDateValues& v = change.values;
    v = read;
    const bool date = TakeAll<uint16_t, 3>(choices.date, {&v.wYear, &v.wMonth, &v.wDay});
    const bool time = TakeAll<uint16_t, 3>(choices.time, {&v.wHour, &v.wMinute, &v.wSecond});
    change.bChDate = date || time;
    change.bChFormat = Take(choices.format, v.byFormat);
    change.bChDaylight = Take(choices.daylightSaving, v.byDaylightSaving);
    bool rule = false;
    rule |= Take(choices.startWeek, v.byStartWeekIndex);
    rule |= Take(choices.startDayOfWeek, v.byStartDayOfWeek);
    rule |= Take(choices.startMonth, v.byStartMonth);
    rule |= Take(choices.endWeek, v.byEndWeekIndex);
    rule |= Take(choices.endDayOfWeek, v.byEndDayOfWeek);
    rule |= Take(choices.endMonth, v.byEndMonth);
    rule |= TakeAll<uint8_t, 2>(choices.startTime, {&v.byStartHour, &v.byStartMinute});
    rule |= TakeAll<uint8_t, 2>(choices.endTime, {&v.byEndHour, &v.byEndMinute});
    rule |= TakeAll<uint8_t, 2>(choices.adjust, {&v.byAdjustHour, &v.byAdjustMinute});
    change.bChDaylightTime = rule;
    change.byDayOfWeek = static_cast<uint8_t>(DayOfWeekOf(v.wYear, v.wMonth, v.wDay));
    return change;
}

std::string SetDvrDateQuery(const DvrDateChange& change, const std::string& cookie) {
    CCgiRequest request(CGI_SETDVRDATE);
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    const DvrDateValues& v = change.values;
    const std::pair<const char*, int> params[] = {
        {"YEAR", v.wYear},
        {"MONTH", v.wMonth},
        {"DAY", v.wDay},
        {"DAYOFWEEK", change.byDayOfWeek},
        {"HOUR", v.wHour},
        {"MINUTE", v.wMinute},
        {"SECOND", v.wSecond},
        {"FORMAT", v.byFormat},
        {"DAYLIGHTSAVING", v.byDaylightSaving},
        {"CHDATE", change.bChDate},
        {"CHFORMAT", change.bChFormat},
        {"CHDAYLIGHT", change.bChDaylight},
        {"CHDAYLIGHTTIME", change.bChDaylightTime},
        {"STARTWEEKINDEX", v.byStartWeekIndex},
        {"STARTDAYOFWEEK", v.byStartDayOfWeek},
        {"STARTMONTH", v.byStartMonth},
        {"STARTHOUR", v.byStartHour},
        {"STARTMINUTE", v.byStartMinute},
        {"ENDWEEKINDEX", v.byEndWeekIndex},
        {"ENDDAYOFWEEK", v.byEndDayOfWeek},
        {"ENDMONTH", v.byEndMonth},
        {"ENDHOUR", v.byEndHour},
        {"ENDMINUTE", v.byEndMinute},
        {"ADJUSTHOUR", v.byAdjustHour},
        {"ADJUSTMINUTE", v.byAdjustMinute},
    };
    for (const auto& [name, value] : params) request.AddIntParam(name, value);
    return request.IsValid() ? request.GetText() : std::string();
}

int GetDvrDate(DvrDateValues& values) {
    std::string reply;
    if (!QueryDvrText(CGI_GETDVRDATE, reply)) return 0;
    ReadDvrDateReply(reply, values);
    return 1;
}

int SetDvrDate(const DvrDateChange& change) {
    return SendDvrText(CGI_SETDVRDATE, SetDvrDateQuery(change, DvrCookie()));
}
