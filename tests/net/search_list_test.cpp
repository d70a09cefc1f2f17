// The recording list of a DVR disk: pages read only as far as their bodies go, and the
// download's requests, stop rules and progress against the simulated recorder.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../support/SimulatedLogin.h"
#include "net/SearchList.h"
#include "sim/Fault.h"

namespace {

using ormidon::sim::Recording;
using ormidon::sim::SearchListPage;

std::vector<uint8_t> Page(uint16_t count, std::size_t entryBytes) {
    std::vector<uint8_t> body = {0xAA, 0xBB, static_cast<uint8_t>(count & 0xFF),
                                 static_cast<uint8_t>(count >> 8)};
    for (std::size_t i = 0; i < entryBytes; ++i) body.push_back(static_cast<uint8_t>(i));
    return body;
}

TEST(SearchListReplyTest, OnlyWholeEntriesInsideTheBodyCount) {
    const struct {
        const char* name;
        std::vector<uint8_t> body;
        std::size_t entries;
    } cases[] = {
        {"two entries", Page(32, 32), 2},
        {"count below the body", Page(16, 48), 1},
        {"count over the body", Page(0xFFFF, 48), 3},
        {"count not a multiple of 16", Page(39, 39), 2},
        {"ragged body", Page(0xFFFF, 47), 2},
        {"no entries", Page(0, 64), 0},
        {"count bytes only", Page(16, 0), 0},
        {"three bytes", {1, 2, 3}, 0},
        {"empty", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<SearchListEntry> entries = SearchListEntriesOfReply(c.body);
        ASSERT_EQ(entries.size(), c.entries);
        for (std::size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(entries[i].bytes[0], static_cast<uint8_t>(16 * i));
    }
}

TEST(SearchListReplyTest, TextsAndTypesByKind) {
    const struct {
        uint8_t kind;
        const char* event;
        const char* channel;
    } cases[] = {
        {0x00, "ALARM", " 1"}, {0x0F, "ALARM", "16"},  {0x13, "MOTION", " 4"}, {32, "TIMER", "ALL"},
        {48, "MANUAL", "ALL"}, {240, "SYSTEM", "ALL"}, {33, "", ""},           {0xFF, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        SearchListEntry entry;
        entry.bytes[7] = c.kind;
        EXPECT_EQ(SearchListEventText(entry), c.event);
        EXPECT_EQ(SearchListChannelText(entry), c.channel);
    }
    SearchListEntry entry;
    entry.bytes = {0, 0, 0, 0, 0, 0, 0, 48, 8, 5, 7, 13, 4, 9, 0, 0};
    EXPECT_EQ(SearchListTimeText(entry), "2008-05-07  13:04:09");

    const int values[] = {8, 3, 15, 0, 1};
    for (int type = 0; type < kSearchListTypeCount; ++type)
        EXPECT_EQ(SearchListTypeValue(type), values[type]);
    for (int outside : {-1, 5, 255}) {
        EXPECT_EQ(SearchListTypeValue(outside), 8);
        EXPECT_STREQ(SearchListTitle(outside), "Full Record List");
    }
    EXPECT_STREQ(SearchListTitle(4), "Motion Record List");
}

class SearchListDownloadTest : public ormidon::test::SimulatedLoginTest {
  protected:
    // n manual recordings on MASTER1, one minute apart, the newest first on the device.
    void Recordings(int n) {
        std::vector<Recording> list;
        for (int i = 0; i < n; ++i) list.push_back({48, 8, 5, 7, 10, i, 0});
        device.Recordings().SetRecordings(0, list);
    }
    // Runs the download on a thread as the page does; the end pause passes on the test clock.
    SearchListDownload Download(uint32_t maximum, int type = 8) {
        std::atomic<bool> done{false};
        SearchListDownload result;
        std::thread worker([&] {
            result = DownloadSearchList(0, type, maximum, [this](uint32_t c, uint32_t v) {
                progress.push_back({c, v});
            });
            done = true;
        });
        while (!done) {
            if (clock.WaitForWaiters(1, 5)) {
                paused = true;
                clock.Advance(kSearchListEndPauseMs);
            }
        }
        worker.join();
        return result;
    }
    std::vector<std::string> Targets() {
        return ormidon::test::RequestTargets(device.Server(), "/GetSearchList.cgi");
    }
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    bool paused = false;
};

TEST_F(SearchListDownloadTest, StopsAtTheMaximumAcrossFullPages) {
    LogInForStream(0);
    Recordings(40);
    const SearchListDownload result = Download(25);
    EXPECT_FALSE(result.failed);
    ASSERT_EQ(result.entries.size(), 25u);
    // Newest first: minute 39 down to minute 15.
    EXPECT_EQ(result.entries.front().Minute(), 39);
    EXPECT_EQ(result.entries.back().Minute(), 15);
    const std::string head = "/GetSearchList.cgi?Cookie=" + GetSessionCookie() + "&STATE=";
    EXPECT_EQ(Targets(),
              (std::vector<std::string>{head + "LAST&HDD=0&TYPE=8", head + "PREV&HDD=0&TYPE=8",
                                        head + "PREV&HDD=0&TYPE=8"}));
    EXPECT_FALSE(paused);
    EXPECT_EQ(progress, (std::vector<std::pair<uint32_t, uint32_t>>{
                            {1, 0}, {2, 25}, {3, 10}, {3, 20}, {3, 25}, {4, 0}}));
}

TEST_F(SearchListDownloadTest, AShortPageEndsTheListAfterThePause) {
    LogInForStream(0);
    Recordings(14);
    const SearchListDownload result = Download(128, 3);
    EXPECT_EQ(result.entries.size(), 14u);
    EXPECT_EQ(Targets().size(), 2u);
    EXPECT_TRUE(paused);
    EXPECT_EQ(progress.back(), (std::pair<uint32_t, uint32_t>{4, 0}));

    // Only the list's kind comes, and an empty page claims nothing.
    progress.clear();
    device.Recordings().SetRecordings(0, {{0x13, 8, 1, 1}, {48, 8, 1, 2}, {240, 8, 1, 3}});
    const SearchListDownload motion = Download(128, 1);
    ASSERT_EQ(motion.entries.size(), 1u);
    EXPECT_EQ(motion.entries[0].Kind(), 0x13);
    progress.clear();
    EXPECT_TRUE(Download(128, 0).entries.empty());
    EXPECT_EQ(progress, (std::vector<std::pair<uint32_t, uint32_t>>{{1, 0}, {2, 128}, {4, 0}}));
}

TEST_F(SearchListDownloadTest, BadPagesGiveOnlyTheEntriesTheyHold) {
    LogInForStream(0);
    const struct {
        SearchListPage page;
        std::size_t entries;
    } cases[] = {
        {SearchListPage::kOversizeCount, 3},
        {SearchListPage::kRaggedCount, 2},
        {SearchListPage::kTinyBody, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        device.Recordings().ScriptPage(c.page);
        const SearchListDownload result = Download(128);
        EXPECT_FALSE(result.failed);
        EXPECT_EQ(result.entries.size(), c.entries);
    }
    device.Recordings().ScriptPage(SearchListPage::kGarbage);
    EXPECT_LE(Download(2048).entries.size(), 6u);
}

TEST_F(SearchListDownloadTest, AFailureMidwayKeepsWhatCameAndEndsTheProgress) {
    LogInForStream(0);
    Recordings(30);
    // The first page comes, the second fails.
    const SearchListDownload result = DownloadSearchList(0, 8, 100, [this](uint32_t c, uint32_t v) {
        if (c == 3)
            device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetSearchList.cgi"));
        progress.push_back({c, v});
    });
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.entries.size(), 10u);
    EXPECT_EQ(Targets().size(), 2u);
    EXPECT_EQ(progress.back(), (std::pair<uint32_t, uint32_t>{4, 0}));
}

TEST_F(SearchListDownloadTest, AStopEndsTheDownloadWithoutAFailure) {
    LogInForStream(0);
    Recordings(30);
    std::stop_source stop;
    const SearchListDownload result = DownloadSearchList(
        0, 8, 100,
        [&stop](uint32_t c, uint32_t) {
            if (c == 3) stop.request_stop();
        },
        stop.get_token());
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.entries.size(), 10u);
    EXPECT_EQ(Targets().size(), 1u);
}

}  // namespace
