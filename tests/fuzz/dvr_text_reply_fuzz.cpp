// The whole-key reader of the DVR's date and record-setting replies over arbitrary text:
// every value equals that of a plain item-by-item reference, within its 255 characters and
// its field's type, and a page filled from any reply and left untouched sends no change.
#include <optional>
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "backup/DvrDateSetting.h"
#include "backup/DvrRecordSetting.h"
#include "net/DvrTextReply.h"
#include "net/LoginReply.h"

namespace {

constexpr std::string_view kKeys[] = {"YEAR",           "MONTH",          "DAY",
                                      "HOUR",           "MINUTE",         "SECOND",
                                      "FORMAT",         "DAYLIGHTSAVING", "STARTWEEKINDEX",
                                      "STARTDAYOFWEEK", "STARTMONTH",     "STARTHOUR",
                                      "STARTMINUTE",    "ENDWEEKINDEX",   "ENDDAYOFWEEK",
                                      "ENDMONTH",       "ENDHOUR",        "ENDMINUTE",
                                      "ADJUSTHOUR",     "ADJUSTMINUTE",   "MANUAL",
                                      "EVENT",          "TIMER",          "VIDEOTYPE",
                                      "RECMODE",        "MANUALRATETYPE", "MOTIONRATETYPE",
                                      "TIMERRATETYPE",  "OVERWRITE",      "QUALITY",
                                      "RECORDFIX",      "SUPPORTMODE",    "SUPPORTIPSSHARE"};

// The reply cut at every ";", each item's leading blanks and line ends dropped, the first
// item that reads key "=" wins.
std::optional<std::string> Reference(std::string_view reply, std::string_view key) {
    std::size_t start = 0;
    while (true) {
        const std::size_t semicolon = reply.find(';', start);
        std::string_view item =
            reply.substr(start, semicolon == std::string_view::npos ? std::string_view::npos
                                                                    : semicolon - start);
        while (!item.empty() &&
               (item[0] == ' ' || item[0] == '\t' || item[0] == '\r' || item[0] == '\n'))
            item.remove_prefix(1);
        if (item.size() > key.size() && item.substr(0, key.size()) == key &&
            item[key.size()] == '=') {
            std::string value(item.substr(key.size() + 1));
            if (value.size() > kReplyValueMax) value.resize(kReplyValueMax);
            return value;
        }
        if (semicolon == std::string_view::npos) return std::nullopt;
        start = semicolon + 1;
    }
}

template <typename Field>
Field Expected(std::string_view reply, std::string_view key) {
    const std::optional<std::string> value = Reference(reply, key);
    return value ? static_cast<Field>(ReplyNumber(*value)) : Field{0};
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string_view replies[] = {
        "YEAR=2026;MONTH=12;DAY=10;HOUR=14;MINUTE=35;SECOND=20;FORMAT=0;DAYLIGHTSAVING=0;"
        "STARTWEEKINDEX=4;STARTDAYOFWEEK=0;STARTMONTH=2;STARTHOUR=2;STARTMINUTE=0;"
        "ENDWEEKINDEX=4;ENDDAYOFWEEK=0;ENDMONTH=9;ENDHOUR=3;ENDMINUTE=0;ADJUSTHOUR=1;"
        "ADJUSTMINUTE=0;",
        "STARTHOUR=2;\r\nENDHOUR=3;\r\nHOUR=7;DAYLIGHTSAVING=1;DAY=31;MONTH=2;STARTMONTH=12",
        "MANUALRATETYPE=3;MANUAL=1;EVENT=0;TIMER=1;VIDEOTYPE=4;RECMODE=7;MOTIONRATETYPE=9;"
        "TIMERRATETYPE=2;OVERWRITE=1;QUALITY=12;RECORDFIX=0;SUPPORTMODE=5;SUPPORTIPSSHARE=3;",
        "HOUR=-1;MINUTE=99999999999;YEAR=70000;QUALITY=;=;;;HOUR",
    };
    std::vector<FuzzBytes> seeds;
    for (std::string_view reply : replies) {
        seeds.push_back(fuzz::Seed().U8(0).Append(reply));
        seeds.push_back(fuzz::Seed().U8(7).Append(reply));
    }
    seeds.push_back(fuzz::Seed().U8(1).Append("HOUR=" + std::string(300, '9') + ";MINUTE=5"));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const uint8_t options = in.U8();
    const std::string_view reply = in.RestText();

    for (std::string_view key : kKeys) {
        const std::optional<std::string> value = FindWholeKeyValue(reply, key);
        FUZZ_CHECK(value == Reference(reply, key));
        if (value) {
            FUZZ_CHECK(value->size() <= kReplyValueMax);
            FUZZ_CHECK(value->find(';') == std::string::npos);
        }
    }

    DvrDateValues date;
    ReadDvrDateReply(reply, date);
    FUZZ_CHECK(date.wYear == Expected<uint16_t>(reply, "YEAR"));
    FUZZ_CHECK(date.wHour == Expected<uint16_t>(reply, "HOUR"));
    FUZZ_CHECK(date.wSecond == Expected<uint16_t>(reply, "SECOND"));
    FUZZ_CHECK(date.byDaylightSaving == Expected<uint8_t>(reply, "DAYLIGHTSAVING"));
    FUZZ_CHECK(date.byStartHour == Expected<uint8_t>(reply, "STARTHOUR"));
    FUZZ_CHECK(date.byEndMonth == Expected<uint8_t>(reply, "ENDMONTH"));
    FUZZ_CHECK(date.byAdjustMinute == Expected<uint8_t>(reply, "ADJUSTMINUTE"));
    const DvrDateChange untouched = ComputeDvrDateChange(date, {});
    FUZZ_CHECK(!untouched.Any());
    FUZZ_CHECK(untouched.values == date);
    FUZZ_CHECK(untouched.byDayOfWeek <= 6);
    FUZZ_CHECK(!SetDvrDateQuery(untouched, "C0FFEE").empty());

    DvrRecordValues record;
    ReadDvrRecordReply(reply, record);
    FUZZ_CHECK(record.byManual == Expected<uint8_t>(reply, "MANUAL"));
    FUZZ_CHECK(record.byManualRateType == Expected<uint8_t>(reply, "MANUALRATETYPE"));
    FUZZ_CHECK(record.byQuality == Expected<uint8_t>(reply, "QUALITY"));
    FUZZ_CHECK(record.bySupportIpsShare == Expected<uint8_t>(reply, "SUPPORTIPSSHARE"));
    DvrRecordForm form(record);
    const std::string query = form.Query("");
    FUZZ_CHECK(query ==
               "/SetRecordSetting.cgi?CHMANUALREC=0&CHEVENTREC=0&CHTIMERREC=0&CHOV=0&CHQT=0&"
               "CHRECMODE=0&CHMOTIONRATE=0&CHMANUALRATE=0&CHTIMERRATE=0&CHIPSSHARE=1&RECORDFIX=" +
                   std::to_string(record.byRecordFix));
    // Any walk over the size buttons keeps the rates inside their lists.
    for (int step = 0; step < 3; ++step) {
        form.ChooseMode((options >> (2 * step)) % 4);
        for (int rate : {form.manualRate, form.eventRate, form.timerRate})
            FUZZ_CHECK(rate >= -1 && rate <= 3);
        for (int number : IpsNumbers(options % 4, record.byVideoType, form.ListMode()))
            FUZZ_CHECK(number > 0);
    }
    return 0;
}
