#pragma once
// The DVR's clock and recording settings: "/GetDvrDate.cgi" and "/GetRecordSetting.cgi"
// answer their items as "KEY=value;" in order; "/SetDvrDate.cgi" and "/SetRecordSetting.cgi"
// take the values behind each change flag that is 1, so the next query shows them. Tests
// script the items (order, values, missing or extra keys) and refuse the queries.
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

class DvrSettings {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    using Items = std::vector<std::pair<std::string, std::string>>;

    DvrSettings();
    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    // The items of each answer, in the order they are sent.
    void SetDateItems(Items items);
    void SetRecordItems(Items items);
    Items DateItems() const;
    Items RecordItems() const;
    // One item's value; nothing when the answer lacks it.
    std::optional<std::string> DateValue(const std::string& key) const;
    std::optional<std::string> RecordValue(const std::string& key) const;
    // Replaces an answer with these bytes as they stand (nullopt: back to the items).
    void SetDateReplyOverride(std::optional<std::string> reply);
    void SetRecordReplyOverride(std::optional<std::string> reply);

    static Items DefaultDateItems();
    static Items DefaultRecordItems();

  private:
    static std::string Join(const Items& items);
    static void Take(Items& items, const HttpRequest& request, const char* flag,
                     std::initializer_list<const char*> keys);

    mutable std::mutex m_mutex;
    Items m_date;
    Items m_record;
    std::optional<std::string> m_dateOverride;
    std::optional<std::string> m_recordOverride;
};

}  // namespace ormidon::sim
