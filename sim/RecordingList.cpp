#include "sim/RecordingList.h"

#include <algorithm>
#include <tuple>

#include "sim/Responder.h"

namespace ormidon::sim {

namespace {

constexpr std::size_t kEntrySize = 16;

auto TimeKey(const Recording& r) {
    return std::make_tuple(r.year, r.month, r.day, r.hour, r.minute, r.second);
}

// The "TYPE" value whose list holds a kind: 0 alarm, 1 motion, 3 manual, 15 system; timer
// recordings only appear in the full list (8).
bool InList(int kind, int type) { return type == 8 || (kind >> 4) == type; }

void AppendCount(std::string& body, uint16_t count) {
    body.push_back(static_cast<char>(0x5A));
    body.push_back(static_cast<char>(0xA5));
    body.push_back(static_cast<char>(count & 0xFF));
    body.push_back(static_cast<char>(count >> 8));
}

}  // namespace

std::map<int, std::vector<Recording>> RecordingList::DefaultRecordings() {
    // MASTER1: a day of recordings of every kind, newest last; MASTER2: a short list.
    static const int kKinds[] = {48, 0x13, 2, 240, 32, 0x10, 0x05, 48, 0x1F, 0};
    std::vector<Recording> master1;
    for (int i = 0; i < 25; ++i) {
        master1.push_back({kKinds[i % 10], 8, 5, 7, i % 24, (i * 7) % 60, (i * 13) % 60});
    }
    std::vector<Recording> master2 = {{48, 8, 5, 6, 9, 0, 0},
                                      {0x11, 8, 5, 6, 10, 30, 5},
                                      {3, 8, 5, 6, 11, 45, 10},
                                      {240, 8, 5, 6, 12, 0, 1}};
    return {{0, std::move(master1)}, {2, std::move(master2)}};
}

void RecordingList::InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession) {
    server.SetRoute("/GetSearchList.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (!refuseWithoutSession(r, w)) Serve(r, w);
                    });
    server.SetRoute("/SearchPlayBack.cgi",
                    [this, refuseWithoutSession](const HttpRequest& r, Responder& w) {
                        if (refuseWithoutSession(r, w)) return;
                        std::function<void(const std::string&)> listener;
                        {
                            std::lock_guard lock(m_mutex);
                            listener = m_playbackListener;
                        }
                        if (listener) listener(r.target);
                        w.Reply(200);
                    });
}

void RecordingList::SetRecordings(int slot, std::vector<Recording> recordings) {
    std::lock_guard lock(m_mutex);
    m_recordings[slot] = std::move(recordings);
}

void RecordingList::ClearRecordings() {
    std::lock_guard lock(m_mutex);
    m_recordings.clear();
}

void RecordingList::SetPageSize(int entries) {
    std::lock_guard lock(m_mutex);
    m_pageSize = std::clamp(entries, 0, 127);
}

void RecordingList::ScriptPage(SearchListPage page) {
    std::lock_guard lock(m_mutex);
    m_script.push_back(page);
}

void RecordingList::SetPlaybackSearchListener(std::function<void(const std::string&)> listener) {
    std::lock_guard lock(m_mutex);
    m_playbackListener = std::move(listener);
}

std::string RecordingList::EntryBytes(const Recording& r, int index) {
    std::string entry(kEntrySize, '\0');
    for (std::size_t i = 0; i < 7; ++i) entry[i] = static_cast<char>(0x80 | (index + i) % 0x7F);
    entry[7] = static_cast<char>(r.kind);
    const int time[] = {r.year, r.month, r.day, r.hour, r.minute, r.second};
    for (std::size_t i = 0; i < 6; ++i) entry[8 + i] = static_cast<char>(time[i]);
    entry[14] = static_cast<char>(0xEE);
    entry[15] = static_cast<char>(0xFF);
    return entry;
}

std::string RecordingList::ScriptedBody(SearchListPage page) const {
    std::string body;
    const Recording sample{0x12, 8, 5, 7, 13, 4, 9};
    switch (page) {
        case SearchListPage::kOversizeCount:
            AppendCount(body, 0xFFFF);
            for (int i = 0; i < 3; ++i) body += EntryBytes(sample, i);
            break;
        case SearchListPage::kRaggedCount:
            AppendCount(body, 2 * kEntrySize + 7);
            for (int i = 0; i < 2; ++i) body += EntryBytes(sample, i);
            body.append(7, '\x11');
            break;
        case SearchListPage::kTinyBody:
            body = "\x01\x02\x03";
            break;
        case SearchListPage::kGarbage:
            for (int i = 0; i < 100; ++i) body.push_back(static_cast<char>(i * 37 + 11));
            break;
    }
    return body;
}

void RecordingList::Serve(const HttpRequest& request, Responder& responder) {
    const std::string* state = request.Param("STATE");
    const std::optional<int> slot = request.NumberParam("HDD", 0, 255);
    const std::optional<int> type = request.NumberParam("TYPE", 0, 255);
    if (state == nullptr || (*state != "LAST" && *state != "PREV") || !slot || !type) {
        responder.Reply(400);
        return;
    }
    const std::string* cookie = request.Param("Cookie");
    const std::string session = cookie != nullptr ? *cookie : std::string();
    std::string body;
    {
        std::lock_guard lock(m_mutex);
        if (!m_script.empty()) {
            body = ScriptedBody(m_script.front());
            m_script.pop_front();
        } else {
            std::vector<Recording> list;
            if (auto found = m_recordings.find(*slot); found != m_recordings.end()) {
                for (const Recording& r : found->second)
                    if (InList(r.kind, *type)) list.push_back(r);
            }
            std::stable_sort(list.begin(), list.end(), [](const Recording& a, const Recording& b) {
                return TimeKey(a) > TimeKey(b);
            });
            std::size_t& cursor = m_cursor[session];
            if (*state == "LAST") cursor = 0;
            const std::size_t from = std::min(cursor, list.size());
            const std::size_t to =
                std::min(from + static_cast<std::size_t>(m_pageSize), list.size());
            cursor = to;
            AppendCount(body, static_cast<uint16_t>((to - from) * kEntrySize));
            for (std::size_t i = from; i < to; ++i)
                body += EntryBytes(list[i], static_cast<int>(i));
        }
    }
    responder.Reply(200, body);
}

}  // namespace ormidon::sim
