#pragma once
// The recorder's event log: 32-byte records, newest first. "/Getlog.cgi" answers
// "STATE=COUNT" with "COUNT=<n>;", "STATE=LAST" with the newest page and "STATE=PRE" with the
// next older page after the session's last one (empty past the oldest); "/ClearLog.cgi"
// empties the log. Each family logs its own event codes. Tests script the count, the page
// size, a garbage COUNT answer, a partial record behind each page, and a failed or stalled
// page.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

struct LogEvent {
    uint32_t id = 0;
    // Year (two digits), month, day, hour, minute, second.
    uint8_t time[6] = {};
    uint8_t number = 0;
    std::string text = {};  // at most 16 bytes are kept
    uint8_t ddnsResult = 0;
};

class EventLog {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    static constexpr std::size_t kRecordBytes = 32;
    static constexpr std::size_t kDefaultPageRecords = 30;

    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    // The family's fresh log (`dvr`: the DVR family's codes, else the video servers') with
    // `count` events, the newest first; scripts go back to their defaults.
    void Reset(bool dvr, std::size_t count = 64);
    // Replaces the log, newest first.
    void SetEvents(const std::vector<LogEvent>& events);
    // `count` events of the family's kinds, for long logs; without `dvr` of the family of
    // the last Reset.
    void Generate(bool dvr, std::size_t count);
    void Generate(std::size_t count);
    std::size_t Size() const;
    std::string RecordBytes(std::size_t index) const;
    static std::string Encode(const LogEvent& event);

    // The number COUNT reports (nullopt: the log's size).
    void SetReportedCount(std::optional<long long> count);
    // The COUNT answer as it stands, instead of "COUNT=<n>;" (nullopt: back to normal).
    void SetCountReply(std::optional<std::string> reply);
    void SetPageRecords(std::size_t records);
    // Bytes of a partial record sent behind every page.
    void SetTrailingBytes(std::size_t bytes);
    // Page request `page` (0 the first since this call, LAST or PRE) answers `status`
    // with no body, or stalls until the test ends stalls (status 0).
    void FailPage(std::optional<int> page, int status);
    // Number of "/ClearLog.cgi" requests that emptied the log.
    int Clears() const;

  private:
    void Answer(const HttpRequest& request, Responder& responder);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_records;
    std::map<std::string, std::size_t> m_cursor;  // per session: index of the next older record
    std::optional<long long> m_reportedCount;
    std::optional<std::string> m_countReply;
    std::size_t m_pageRecords = kDefaultPageRecords;
    std::size_t m_trailingBytes = 0;
    std::optional<int> m_failPage;
    int m_failStatus = 0;
    int m_pagesServed = 0;
    int m_clears = 0;
    bool m_dvr = true;
};

}  // namespace ormidon::sim
