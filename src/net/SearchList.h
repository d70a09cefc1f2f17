#pragma once
// The recording list of a DVR disk: "/GetSearchList.cgi" answers one page of 16-byte entries
// at a time, newest first ("STATE=LAST" restarts at the newest page, "PREV" goes on to the
// next older one). A page is 2 unread bytes, a 16-bit little-endian byte count `wBuffeSize`
// and the entries. The count is the device's word only: just the whole entries inside the
// body that arrived are read.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

struct SearchListEntry {
    std::array<uint8_t, 16> bytes{};

    // 0-15 alarm, 16-31 motion (channel = low four bits + 1), 32 timer, 48 manual, 240 system.
    uint8_t Kind() const { return bytes[7]; }
    // Start time: year - 2000, month, day, hour, minute, second.
    uint8_t Year() const { return bytes[8]; }
    uint8_t Month() const { return bytes[9]; }
    uint8_t Day() const { return bytes[10]; }
    uint8_t Hour() const { return bytes[11]; }
    uint8_t Minute() const { return bytes[12]; }
    uint8_t Second() const { return bytes[13]; }
    bool operator==(const SearchListEntry&) const = default;
};

enum class SearchListKind { Alarm, Motion, Timer, Manual, System, Other };
SearchListKind SearchListKindOf(uint8_t kind);
// The camera channel (1-16) of an alarm or motion entry; 0 for the other kinds.
int SearchListChannelOf(uint8_t kind);

// The entries of one page: min(wBuffeSize, body - 4) / 16 of them; none for a body under
// 4 bytes.
std::vector<SearchListEntry> SearchListEntriesOfReply(std::span<const uint8_t> body);

// Appends the entries of one page to `list` while it holds fewer than `maximum`; returns the
// number of entries the page held (taken or not).
std::size_t TakeSearchListEntries(std::vector<SearchListEntry>& list, std::span<const uint8_t> body,
                                  uint32_t maximum);

// The list types of the Search List page, by index: ALL, MANUAL, SYSTEM, ALARM, MOTION.
inline constexpr int kSearchListTypeCount = 5;
// The "TYPE" value sent for a list type; an index outside the table means ALL.
int SearchListTypeValue(int listType);
// The Full List window's title of a list type ("Full Record List" for ALL and unknown ones).
const char* SearchListTitle(int listType);

// The Full List window's texts of an entry: "ALARM"/"MOTION"/"TIMER"/"MANUAL"/"SYSTEM" or
// empty; "%2d" of the channel, "ALL" or empty; "%.4d-%.2d-%.2d  %.2d:%.2d:%.2d".
std::string SearchListEventText(const SearchListEntry& entry);
std::string SearchListChannelText(const SearchListEntry& entry);
std::string SearchListTimeText(const SearchListEntry& entry);

// One page from the device (cookie, "STATE", "HDD", "TYPE"; 2048-byte room, 15 s waits):
// the reply body, or nothing when the request failed.
std::optional<std::vector<uint8_t>> FetchSearchListPage(bool last, int slot, int typeValue,
                                                        std::stop_token stop = {});

// Downloads up to `maximum` entries of a disk's list: the newest page first, then older
// ones, until the maximum or a page of fewer than 10 entries (followed by a 500 ms pause on
// the clock). `progress` gets (1), (2, maximum), (3, count) after each page that claimed
// entries, and (4) at the end, also after a failure.
struct SearchListDownload {
    std::vector<SearchListEntry> entries;
    bool failed = false;   // a request failed; `entries` holds what came before
    bool stopped = false;  // the stop was requested
};
using SearchListProgress = std::function<void(uint32_t command, uint32_t value)>;
SearchListDownload DownloadSearchList(int slot, int typeValue, uint32_t maximum,
                                      const SearchListProgress& progress,
                                      std::stop_token stop = {});

// Pages of fewer entries than this end the list.
inline constexpr std::size_t kSearchListFullPage = 10;
inline constexpr uint32_t kSearchListEndPauseMs = 500;
inline constexpr uint32_t kSearchListMaximum = 2048;
