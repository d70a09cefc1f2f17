#include "sim/DvrSettings.h"

#include "sim/Responder.h"

namespace ormidon::sim {

namespace {

std::optional<std::string> ValueOf(const DvrSettings::Items& items, const std::string& key) {
    for (const auto& item : items)
        if (item.first == key) return item.second;
    return std::nullopt;
}

}  // namespace

DvrSettings::DvrSettings() : m_date(DefaultDateItems()), m_record(DefaultRecordItems()) {}

DvrSettings::Items DvrSettings::DefaultDateItems() {
    return {{"YEAR", "2026"},        {"MONTH", "12"},         {"DAY", "10"},
            {"HOUR", "14"},          {"MINUTE", "35"},        {"SECOND", "20"},
            {"FORMAT", "0"},         {"DAYLIGHTSAVING", "0"}, {"STARTWEEKINDEX", "4"},
            {"STARTDAYOFWEEK", "0"}, {"STARTMONTH", "2"},     {"STARTHOUR", "2"},
            {"STARTMINUTE", "0"},    {"ENDWEEKINDEX", "4"},   {"ENDDAYOFWEEK", "0"},
            {"ENDMONTH", "9"},       {"ENDHOUR", "3"},        {"ENDMINUTE", "0"},
            {"ADJUSTHOUR", "1"},     {"ADJUSTMINUTE", "0"}};
}

DvrSettings::Items DvrSettings::DefaultRecordItems() {
    return {{"MANUAL", "1"},         {"EVENT", "1"},         {"TIMER", "0"},
            {"VIDEOTYPE", "0"},      {"RECMODE", "0"},       {"MANUALRATETYPE", "1"},
            {"MOTIONRATETYPE", "2"}, {"TIMERRATETYPE", "0"}, {"OVERWRITE", "1"},
            {"QUALITY", "8"},        {"RECORDFIX", "0"},     {"SUPPORTMODE", "7"},
            {"SUPPORTIPSSHARE", "3"}};
}

void DvrSettings::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession) {
    server.SetRoute("/GetDvrDate.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        std::string reply;
                        {
                            std::lock_guard lock(m_mutex);
                            reply = m_dateOverride ? *m_dateOverride : Join(m_date);
                        }
                        w.Reply(200, reply);
                    });
    server.SetRoute("/GetRecordSetting.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        std::string reply;
                        {
                            std::lock_guard lock(m_mutex);
                            reply = m_recordOverride ? *m_recordOverride : Join(m_record);
                        }
                        w.Reply(200, reply);
                    });
    server.SetRoute(
        "/SetDvrDate.cgi", [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
            if (refuseWithoutSession(r, w)) return;
            {
                std::lock_guard lock(m_mutex);
                Take(m_date, r, "CHDATE", {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"});
                Take(m_date, r, "CHFORMAT", {"FORMAT"});
                Take(m_date, r, "CHDAYLIGHT", {"DAYLIGHTSAVING"});
                Take(m_date, r, "CHDAYLIGHTTIME",
                     {"STARTWEEKINDEX", "STARTDAYOFWEEK", "STARTMONTH", "STARTHOUR", "STARTMINUTE",
                      "ENDWEEKINDEX", "ENDDAYOFWEEK", "ENDMONTH", "ENDHOUR", "ENDMINUTE",
                      "ADJUSTHOUR", "ADJUSTMINUTE"});
            }
            w.Reply(200);
        });
    server.SetRoute("/SetRecordSetting.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        {
                            std::lock_guard lock(m_mutex);
                            Take(m_record, r, "CHMANUALREC", {"MANUAL"});
                            Take(m_record, r, "CHEVENTREC", {"EVENT"});
                            Take(m_record, r, "CHTIMERREC", {"TIMER"});
                            Take(m_record, r, "CHOV", {"OVERWRITE"});
                            Take(m_record, r, "CHQT", {"QUALITY"});
                            Take(m_record, r, "CHRECMODE", {"RECMODE"});
                            Take(m_record, r, "CHMOTIONRATE", {"MOTIONRATETYPE"});
                            Take(m_record, r, "CHMANUALRATE", {"MANUALRATETYPE"});
                            Take(m_record, r, "CHTIMERRATE", {"TIMERRATETYPE"});
                            Take(m_record, r, "CHIPSSHARE", {"RECORDFIX"});
                        }
                        w.Reply(200);
                    });
}

std::string DvrSettings::Join(const Items& items) {
    std::string reply;
    for (const auto& [key, value] : items) reply += key + "=" + value + ";";
    return reply;
}

void DvrSettings::Take(Items& items, const HttpRequest& request, const char* flag,
                       std::initializer_list<const char*> keys) {
    const std::string* set = request.Param(flag);
    if (set == nullptr || *set != "1") return;
    for (const char* key : keys) {
        const std::string* value = request.Param(key);
        if (value == nullptr) continue;
        bool found = false;
        for (auto& item : items) {
            if (item.first == key) {
                item.second = *value;
                found = true;
                break;
            }
        }
        if (!found) items.emplace_back(key, *value);
    }
}

void DvrSettings::SetDateItems(Items items) {
    std::lock_guard lock(m_mutex);
    m_date = std::move(items);
}

void DvrSettings::SetRecordItems(Items items) {
    std::lock_guard lock(m_mutex);
    m_record = std::move(items);
}

DvrSettings::Items DvrSettings::DateItems() const {
    std::lock_guard lock(m_mutex);
    return m_date;
}

DvrSettings::Items DvrSettings::RecordItems() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

std::optional<std::string> DvrSettings::DateValue(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    return ValueOf(m_date, key);
}

std::optional<std::string> DvrSettings::RecordValue(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    return ValueOf(m_record, key);
}

void DvrSettings::SetDateReplyOverride(std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_dateOverride = std::move(reply);
}

void DvrSettings::SetRecordReplyOverride(std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_recordOverride = std::move(reply);
}

}  // namespace ormidon::sim
