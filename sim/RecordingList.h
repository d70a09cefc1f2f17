#pragma once
// The DVR's recording lists: "/GetSearchList.cgi" pages through the recordings of one disk
// and kind, newest first. "STATE=LAST" starts a session's cursor at the newest recording,
// "PREV" goes on from where its last page ended. A page is 2 bytes the client does not read,
// a 16-bit little-endian byte count and 16-byte entries (kind at byte 7, start time at 8-13;
// the other bytes are filled, never zero). Tests script whole pages of bad shape.
// "/SearchPlayBack.cgi" answers 200 and is reported to a listener.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

struct Recording {
    int kind =
        48;  // 0-15 alarm, 16-31 motion (low bits: channel - 1), 32 timer, 48 manual, 240 system
    int year = 8;  // minus 2000
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// A page answered instead of the real one.
enum class SearchListPage {
    kOversizeCount,  // three entries under a count of 0xFFFF
    kRaggedCount,    // a count 7 bytes past two whole entries, the body as long as the count
    kTinyBody,       // a body of 3 bytes
    kGarbage,        // 100 bytes of no particular shape
};

class RecordingList {
  public:
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;
    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    // The recordings of a disk slot, in any order (pages list them newest first). By
    // default MASTER1 holds 25 recordings of every kind and MASTER2 four.
    void SetRecordings(int slot, std::vector<Recording> recordings);
    void ClearRecordings();
    // Entries per page (default 10).
    void SetPageSize(int entries);
    // The next pages of "/GetSearchList.cgi" take these shapes, one each.
    void ScriptPage(SearchListPage page);
    // Called with the target of each "/SearchPlayBack.cgi" request.
    void SetPlaybackSearchListener(std::function<void(const std::string&)> listener);

    // The entry bytes of a recording.
    static std::string EntryBytes(const Recording& recording, int index);

  private:
    void Serve(const HttpRequest& request, Responder& responder);
    std::string ScriptedBody(SearchListPage page) const;

    mutable std::mutex m_mutex;
    std::map<int, std::vector<Recording>> m_recordings = DefaultRecordings();
    int m_pageSize = 10;
    std::deque<SearchListPage> m_script;
    // Per session cookie: how many recordings of its list its pages gave so far.
    std::map<std::string, std::size_t> m_cursor;
    std::function<void(const std::string&)> m_playbackListener;

    static std::map<int, std::vector<Recording>> DefaultRecordings();
};

}  // namespace ormidon::sim
