// The event log fetch against the simulated recorder's log: the requests it makes, the
// records it keeps, the progress it reports, the message it posts, and a cancel that ends
// it in its bound.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "../support/EngineHarness.h"
#include "backup/GetServerLogThread.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/ThreadSlot.h"
#include "sheet/ProgressSlot.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {
namespace {

constexpr WindowHandle kOwnerWindow = 77;

class ServerLogFetchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        scope.App().CSettingINI.m_wWebPort = device.Port();
        g_strLocalIPAddress.Set("127.0.0.1");
        ASSERT_TRUE(SetSessionCookie(device.OpenSession("admin")));
        SetProgressSlot(slot);
        owner.hWnd = kOwnerWindow;
        device.Server().ClearLog();
    }
    void TearDown() override {
        progress.Stop();
        ClearProgressSlot(slot.get());
        ClearSessionCookie();
    }

    // Runs one whole fetch on this thread and waits until the bar has its last command.
    void Fetch(int limit = 300) {
        owner.nLogLimit = limit;
        GetServerLogThread(owner, {});
        WaitUntil([this] { return ProgressSettled(); }, 2000);
    }
    bool ProgressSettled() {
        std::lock_guard lock(mutex);
        return commands.empty() || commands.back().first == PROGRESS_END;
    }
    std::vector<std::pair<uint32_t, uint32_t>> Commands() {
        std::lock_guard lock(mutex);
        return commands;
    }
    std::vector<std::string> States() {
        std::vector<std::string> states;
        for (const sim::HttpRequest& request : device.Server().Log()) {
            const std::string* state = request.Param("STATE");
            if (request.path == "/Getlog.cgi" && state != nullptr) states.push_back(*state);
        }
        return states;
    }
    std::vector<WParam> Outcomes() {
        std::vector<WParam> outcomes;
        for (const PostedMessage& post : router.PostsOf(WM_SERVERLOGDONE)) {
            EXPECT_EQ(post.window, kOwnerWindow);
            outcomes.push_back(post.wParam);
        }
        return outcomes;
    }
    std::string Stored(std::size_t index) {
        return std::string(reinterpret_cast<const char*>(owner.recordBuffer.data()) +
                               index * kServerLogRecordBytes,
                           kServerLogRecordBytes);
    }

    AppRecordScope scope;
    RecordingRouter router;
    sim::SimulatedRecorder device;
    ServerLogOwner owner;
    std::shared_ptr<ProgressSlot> slot = std::make_shared<ProgressSlot>();
    std::mutex mutex;
    std::vector<std::pair<uint32_t, uint32_t>> commands;
    ProgressThread progress{slot, [this](uint32_t command, uint32_t value) {
                                std::lock_guard lock(mutex);
                                commands.emplace_back(command, value);
                            }};
};

TEST_F(ServerLogFetchTest, AnEmptyLogAsksForNoPage) {
    device.Events().SetEvents({});
    Fetch();
    EXPECT_EQ(States(), std::vector<std::string>{"COUNT"});
    EXPECT_EQ(Outcomes(), std::vector<WParam>{kServerLogEmpty});
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(device.Server().Log().at(0).target,
              "/Getlog.cgi?Cookie=" + GetSessionCookie() + "&STATE=COUNT");
}

TEST_F(ServerLogFetchTest, PagesAreReadNewestFirstUntilTheCountOrAShortPage) {
    struct Case {
        const char* name;
        std::size_t records;
        std::optional<long long> reported;
        int limit;
        std::size_t trailing;
        std::size_t pages;
        int kept;
        std::vector<std::pair<uint32_t, uint32_t>> progress;
    };
    const Case cases[] = {
        {"45 as 30 + 15", 45, {}, 300, 0, 2, 45, {{1, 0}, {2, 45}, {3, 30}, {4, 0}}},
        {"45 as 30 + 30, cut to the count",
         60,
         45,
         300,
         0,
         2,
         45,
         {{1, 0}, {2, 45}, {3, 30}, {3, 60}, {4, 0}}},
        {"a partial record behind each page is ignored",
         45,
         {},
         300,
         7,
         2,
         45,
         {{1, 0}, {2, 45}, {3, 30}, {4, 0}}},
        {"a first page with nothing", 0, 10, 300, 0, 1, 0, {{1, 0}, {2, 10}, {4, 0}}},
        {"a count past 2048 digits long",
         40,
         99999999999LL,
         300,
         0,
         2,
         40,
         {{1, 0}, {2, 300}, {3, 30}, {4, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.Events().Generate(false, c.records);
        device.Events().SetReportedCount(c.reported);
        device.Events().SetTrailingBytes(c.trailing);
        device.Server().ClearLog();
        {
            std::lock_guard lock(mutex);
            commands.clear();
        }
        const std::size_t before = Outcomes().size();
        Fetch(c.limit);
        const std::vector<std::string> states = States();
        ASSERT_EQ(states.size(), c.pages + 1);
        EXPECT_EQ(states[0], "COUNT");
        EXPECT_EQ(states[1], "LAST");
        for (std::size_t i = 2; i < states.size(); ++i) EXPECT_EQ(states[i], "PRE");
        EXPECT_EQ(owner.nRecordCount.load(), c.kept);
        ASSERT_EQ(Outcomes().size(), before + 1);
        EXPECT_EQ(Outcomes().back(), kServerLogFetched);
        EXPECT_EQ(Commands(), c.progress);
        for (int i = 0; i < c.kept; ++i)
            ASSERT_EQ(Stored(static_cast<std::size_t>(i)),
                      device.Events().RecordBytes(static_cast<std::size_t>(i)));
    }
}

TEST_F(ServerLogFetchTest, TheLimitAndTheBufferBoundTheFetch) {
    // 5000 reported, a limit of 300: ten pages, 300 records.
    device.Events().Generate(true, 400);
    device.Events().SetReportedCount(5000);
    Fetch(300);
    EXPECT_EQ(States().size(), 11u);
    EXPECT_EQ(owner.nRecordCount.load(), 300);
    EXPECT_EQ(Commands().at(1), std::make_pair(uint32_t{PROGRESS_SET_TOTAL}, uint32_t{300}));

    // 3000 with a limit of 2048: 68 full pages bring 2040, the 69th crosses 2048; the
    // buffer keeps the first 2048 and nothing runs past it.
    device.Events().Generate(true, 3000);
    device.Events().SetReportedCount({});
    device.Server().ClearLog();
    Fetch(2048);
    EXPECT_EQ(States().size(), 70u);
    EXPECT_EQ(owner.nRecordCount.load(), 2048);
    EXPECT_EQ(owner.recordBuffer.size(), kServerLogBufferBytes);
    EXPECT_EQ(Stored(2047), device.Events().RecordBytes(2047));
    EXPECT_EQ(Outcomes().back(), kServerLogFetched);
}

TEST_F(ServerLogFetchTest, AnUnreadableCountOrAFailedRequestPostsFailure) {
    const char* garbage[] = {"COUNT=-5;", "COUNT=x;", "COUNT=12",  "TOTAL=12;",
                             "COUNT;",    "COUNT=;",  "COUNT=1 2;"};
    for (const char* reply : garbage) {
        SCOPED_TRACE(reply);
        device.Events().SetCountReply(std::string(reply));
        device.Server().ClearLog();
        Fetch();
        EXPECT_EQ(States(), std::vector<std::string>{"COUNT"});
        EXPECT_EQ(Outcomes().back(), kServerLogFailed);
    }
    EXPECT_TRUE(Commands().empty());
    device.Events().SetCountReply(std::nullopt);

    // The COUNT request refused.
    device.Server().AddFault(sim::Fault::Status(500, "/Getlog.cgi"));
    const std::size_t before = Outcomes().size();
    Fetch();
    EXPECT_EQ(Outcomes().size(), before + 1);
    EXPECT_EQ(Outcomes().back(), kServerLogFailed);
    EXPECT_TRUE(Commands().empty());

    // The second page refused: the bar ends, failure is posted, no window's worth of count.
    device.Events().Generate(false, 90);
    device.Events().FailPage(1, 500);
    Fetch();
    EXPECT_EQ(Outcomes().back(), kServerLogFailed);
    EXPECT_EQ(Commands().back().first, uint32_t{PROGRESS_END});
    EXPECT_EQ(owner.nRecordCount.load(), 30);
}

TEST_F(ServerLogFetchTest, ACancelDuringAStalledPageEndsTheBarAndPostsNothing) {
    device.Events().Generate(false, 90);
    device.Events().FailPage(1, 0);
    ThreadSlot fetch;
    ASSERT_TRUE(fetch.Start([this](std::stop_token stop) { GetServerLogThread(owner, stop); }));
    // COUNT, LAST and the stalled PRE have arrived.
    ASSERT_TRUE(device.Server().WaitForLogSize(3, std::chrono::seconds(10)));
    EXPECT_TRUE(fetch.IsRunning());
    const uint32_t overruns = ThreadSlot::OverrunCount();
    EXPECT_TRUE(fetch.Stop(110));
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
    EXPECT_FALSE(fetch.IsOccupied());
    WaitUntil([this] { return ProgressSettled(); }, 2000);
    EXPECT_EQ(Commands().back().first, uint32_t{PROGRESS_END});
    EXPECT_TRUE(Outcomes().empty());
    device.Server().EndStalls();
}

}  // namespace
}  // namespace ormidon::test
