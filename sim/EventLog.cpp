#include "sim/EventLog.h"

#include <algorithm>
#include <cstring>

#include "sim/Responder.h"

namespace ormidon::sim {

namespace {

// The DVR family's kinds: power on, video loss (channel), remote login, DDNS, PPPoE, DHCP.
LogEvent DvrEvent(std::size_t i) {
    LogEvent event;
    switch (i % 7) {
        case 0:
            event.id = 0x1;
            break;
        case 1:
        case 4:
            event.id = 0x2;
            event.number = static_cast<uint8_t>(1 + i % 4);
            break;
        case 2:
            event.id = 0x100;
            event.text = i % 2 == 0 ? "admin" : "127.0.0.20";
            break;
        case 3:
            event.id = 0x4000;
            event.ddnsResult = static_cast<uint8_t>(i % 2);
            break;
        case 5:
            event.id = 0x8000;
            break;
        default:
            event.id = 0x10000;
            break;
    }
    return event;
}

// The video servers' kinds: power on, alarm inputs, login and logout, mail and FTP.
LogEvent ServerEvent(std::size_t i) {
    LogEvent event;
    switch (i % 7) {
        case 0:
            event.id = 0x1;
            break;
        case 1:
            event.id = 0x4;
            event.number = static_cast<uint8_t>(1U << (i % 4));
            break;
        case 2:
            event.id = 0x10;
            event.text = "admin";
            break;
        case 3:
            event.id = 0x20;
            event.text = "admin";
            break;
        case 4:
            event.id = 0x100;
            break;
        case 5:
            event.id = 0x20000;
            break;
        default:
            event.id = 0x40000;
            break;
    }
    return event;
}

}  // namespace

void EventLog::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession) {
    server.SetRoute("/Getlog.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (!refuseWithoutSession(r, w)) Answer(r, w);
                    });
    server.SetRoute("/ClearLog.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        {
                            std::lock_guard lock(m_mutex);
                            m_records.clear();
                            m_cursor.clear();
                            ++m_clears;
                        }
                        w.Reply(200);
                    });
}

std::string EventLog::Encode(const LogEvent& event) {
    std::string record(kRecordBytes, '\0');
    for (int i = 0; i < 4; ++i)
        record[static_cast<std::size_t>(i)] = static_cast<char>(event.id >> (8 * i));
    std::memcpy(record.data() + 4, event.time, 6);
    record[10] = static_cast<char>(event.number);
    std::memcpy(record.data() + 11, event.text.data(),
                std::min<std::size_t>(event.text.size(), 16));
    record[27] = static_cast<char>(event.ddnsResult);
    return record;
}

void EventLog::Reset(bool dvr, std::size_t count) {
    Generate(dvr, count);
    std::lock_guard lock(m_mutex);
    m_dvr = dvr;
    m_reportedCount.reset();
    m_countReply.reset();
    m_pageRecords = kDefaultPageRecords;
    m_trailingBytes = 0;
    m_failPage.reset();
    m_pagesServed = 0;
}

void EventLog::Generate(bool dvr, std::size_t count) {
    std::vector<LogEvent> events;
    events.reserve(count);
    // The newest on 2026-12-01 at 18:00:00, each older one 7 minutes and 13 seconds before.
    for (std::size_t i = 0; i < count; ++i) {
        LogEvent event = dvr ? DvrEvent(i) : ServerEvent(i);
        const long long seconds = 18LL * 3600 - static_cast<long long>(i) * 433;
        long long day = 1;
        long long inDay = seconds;
        while (inDay < 0) {
            inDay += 86400;
            --day;
        }
        // Older than the month's first day: late November (days 0, -1, ... become 30, 29, ...).
        const bool november = day < 1;
        const long long dayOfMonth = november ? 30 + day : day;
        event.time[0] = 26;
        event.time[1] = static_cast<uint8_t>(november ? 11 : 12);
        event.time[2] = static_cast<uint8_t>(std::max(1LL, dayOfMonth));
        event.time[3] = static_cast<uint8_t>(inDay / 3600);
        event.time[4] = static_cast<uint8_t>(inDay / 60 % 60);
        event.time[5] = static_cast<uint8_t>(inDay % 60);
        events.push_back(std::move(event));
    }
    SetEvents(events);
}

void EventLog::Generate(std::size_t count) {
    bool dvr = true;
    {
        std::lock_guard lock(m_mutex);
        dvr = m_dvr;
    }
    Generate(dvr, count);
}

void EventLog::SetEvents(const std::vector<LogEvent>& events) {
    std::lock_guard lock(m_mutex);
    m_records.clear();
    for (const LogEvent& event : events) m_records.push_back(Encode(event));
    m_cursor.clear();
}

std::size_t EventLog::Size() const {
    std::lock_guard lock(m_mutex);
    return m_records.size();
}

std::string EventLog::RecordBytes(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    return index < m_records.size() ? m_records[index] : std::string();
}

void EventLog::SetReportedCount(std::optional<long long> count) {
    std::lock_guard lock(m_mutex);
    m_reportedCount = count;
}

void EventLog::SetCountReply(std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_countReply = std::move(reply);
}

void EventLog::SetPageRecords(std::size_t records) {
    std::lock_guard lock(m_mutex);
    m_pageRecords = records;
}

void EventLog::SetTrailingBytes(std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    m_trailingBytes = std::min(bytes, kRecordBytes - 1);
}

void EventLog::FailPage(std::optional<int> page, int status) {
    std::lock_guard lock(m_mutex);
    m_failPage = page;
    m_failStatus = status;
    m_pagesServed = 0;
}

int EventLog::Clears() const {
    std::lock_guard lock(m_mutex);
    return m_clears;
}

void EventLog::Answer(const HttpRequest& request, Responder& responder) {
    const std::string* state = request.Param("STATE");
    const std::string* cookie = request.Param("Cookie");
    const std::string session = cookie != nullptr ? *cookie : std::string();
    std::string body;
    bool stall = false;
    int failStatus = 0;
    {
        std::lock_guard lock(m_mutex);
        if (state != nullptr && *state == "COUNT") {
            body = m_countReply ? *m_countReply
                                : "COUNT=" +
                                      std::to_string(m_reportedCount.value_or(
                                          static_cast<long long>(m_records.size()))) +
                                      ";";
        } else if (state != nullptr && (*state == "LAST" || *state == "PRE")) {
            const int page = m_pagesServed++;
            if (m_failPage && *m_failPage == page) {
                stall = m_failStatus == 0;
                failStatus = m_failStatus;
            }
            std::size_t& next = m_cursor[session];
            if (*state == "LAST") next = 0;
            const std::size_t first = std::min(next, m_records.size());
            const std::size_t last = std::min(first + m_pageRecords, m_records.size());
            for (std::size_t i = first; i < last; ++i) body += m_records[i];
            next = last;
            body.append(m_trailingBytes, '\x5a');
        } else {
            failStatus = 400;
        }
    }
    if (stall) {
        responder.Stall();
        return;
    }
    if (failStatus != 0) {
        responder.Reply(failStatus);
        return;
    }
    responder.Reply(200, body);
}

}  // namespace ormidon::sim
