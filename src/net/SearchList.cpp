#include "net/SearchList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kReplyRoom = 2048;
constexpr uint16_t kWaitSeconds = 15;

struct ListType {
    int value;
    const char* title;
};
constexpr ListType kListTypes[kSearchListTypeCount] = {
    {8, "Full Record List"},  {3, "Manual Record List"}, {15, "System Record List"},
    {0, "Alarm Record List"}, {1, "Motion Record List"},
};

const ListType& ListTypeOf(int listType) {
    return listType >= 0 && listType < kSearchListTypeCount ? kListTypes[listType] : kListTypes[0];
}

}  // namespace

SearchListKind SearchListKindOf(uint8_t kind) {
    if (kind < 16) return SearchListKind::Alarm;
    if (kind < 32) return SearchListKind::Motion;
    if (kind == 32) return SearchListKind::Timer;
    if (kind == 48) return SearchListKind::Manual;
    if (kind == 240) return SearchListKind::System;
    return SearchListKind::Other;
}

int SearchListChannelOf(uint8_t kind) { return kind < 32 ? (kind & 0x0F) + 1 : 0; }

std::vector<SearchListEntry> SearchListEntriesOfReply(std::span<const uint8_t> body) {
    std::vector<SearchListEntry> entries;
    if (body.size() < 4) return entries;
    const std::size_t claimed = static_cast<std::size_t>(body[2] | body[3] << 8);
    const std::size_t count = std::min(claimed, body.size() - 4) / sizeof(SearchListEntry::bytes);
    entries.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(entries[i].bytes.data(), body.data() + 4 + i * entries[i].bytes.size(),
                    entries[i].bytes.size());
    }
    return entries;
}

std::size_t TakeSearchListEntries(std::vector<SearchListEntry>& list, std::span<const uint8_t> body,
                                  uint32_t maximum) {
    const std::vector<SearchListEntry> entries = SearchListEntriesOfReply(body);
    const std::size_t room = list.size() < maximum ? maximum - list.size() : 0;
    const std::size_t take = std::min(room, entries.size());
    list.insert(list.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(take));
    return entries.size();
}

int SearchListTypeValue(int listType) { return ListTypeOf(listType).value; }

const char* SearchListTitle(int listType) { return ListTypeOf(listType).title; }

std::string SearchListEventText(const SearchListEntry& entry) {
    switch (SearchListKindOf(entry.Kind())) {
        case SearchListKind::Alarm:
            return "ALARM";
        case SearchListKind::Motion:
            return "MOTION";
        case SearchListKind::Timer:
            return "TIMER";
        case SearchListKind::Manual:
            return "MANUAL";
        case SearchListKind::System:
            return "SYSTEM";
        case SearchListKind::Other:
            break;
    }
    return {};
}

std::string SearchListChannelText(const SearchListEntry& entry) {
    switch (SearchListKindOf(entry.Kind())) {
        case SearchListKind::Alarm:
        case SearchListKind::Motion: {
            char text[8];
            std::snprintf(text, sizeof text, "%2d", SearchListChannelOf(entry.Kind()));
            return text;
        }
        case SearchListKind::Other:
            return {};
        default:
            return "ALL";
    }
}

std::string SearchListTimeText(const SearchListEntry& entry) {
    char text[40];
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d  %.2d:%.2d:%.2d", 2000 + entry.Year(),
                  entry.Month(), entry.Day(), entry.Hour(), entry.Minute(), entry.Second());
    return text;
}

std::optional<std::vector<uint8_t>> FetchSearchListPage(bool last, int slot, int typeValue,
                                                        std::stop_token stop) {
    CCgiRequest request(CGI_GETSEARCHLIST);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    request.AddParam("STATE", last ? "LAST" : "PREV");
    request.AddIntParam("HDD", slot);
    request.AddIntParam("TYPE", typeValue);
    if (!request.IsValid()) return std::nullopt;
    std::vector<uint8_t> reply(kReplyRoom, 0);
    uint32_t length = 0;
    if (HalvoSendCommand(CGI_GETSEARCHLIST, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, reply.data(), kReplyRoom, &length, kWaitSeconds, kWaitSeconds,
                         0, stop) == 0) {
        return std::nullopt;
    }
    reply.resize(std::min(length, kReplyRoom));
    return reply;
}

SearchListDownload DownloadSearchList(int slot, int typeValue, uint32_t maximum,
                                      const SearchListProgress& progress, std::stop_token stop) {
    const auto report = [&progress](uint32_t command, uint32_t value = 0) {
        if (progress) progress(command, value);
    };
    SearchListDownload result;
    report(1);
    report(2, maximum);
    while (result.entries.size() < maximum) {
        if (stop.stop_requested()) {
            result.stopped = true;
            break;
        }
        const std::optional<std::vector<uint8_t>> page =
            FetchSearchListPage(result.entries.empty(), slot, typeValue, stop);
        if (!page) {
            result.stopped = stop.stop_requested();
            result.failed = !result.stopped;
            break;
        }
        const std::size_t pageEntries = TakeSearchListEntries(result.entries, *page, maximum);
        const bool claimed = page->size() >= 4 && ((*page)[2] | (*page)[3]) != 0;
        if (claimed) report(3, static_cast<uint32_t>(result.entries.size()));
        if (pageEntries < kSearchListFullPage) {
            if (!ormidon::Sleep(kSearchListEndPauseMs, stop)) result.stopped = true;
            break;
        }
    }
    report(4);
    return result;
}
