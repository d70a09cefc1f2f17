// The link to the playback program, with this test process as the player: who may connect,
// what the player's frames change, a player that stops reading, and the shared lock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/PlayerLink.h"
#include "platform/Thread.h"

namespace ormidon {
namespace {

template <typename Condition>
bool WaitFor(Condition done, int limitMs = 5000) {
    for (int waited = 0; !done(); waited += 2) {
        if (waited >= limitMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class PlayerLinkTest : public ::testing::Test {
  protected:
    // Connects this process as the expected player.
    int Connect(uint64_t id = 77) {
        link.ExpectPlayer(::getpid());
        const int fd = ConnectPlayerLink(link.LinkPath(), id);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(Hello(), id);
        return fd;
    }
    // The HELLO wait runs on the test clock, which nobody advances: a stop after some real
    // seconds ends it when the HELLO never comes.
    uint64_t Hello() {
        std::stop_source giveUp;
        std::mutex mutex;
        std::condition_variable_any wake;
        std::jthread guard([&](std::stop_token done) {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, done, std::chrono::seconds(5), [] { return false; });
            if (!done.stop_requested()) giveUp.request_stop();
        });
        const uint64_t id = link.WaitHello(10'000, giveUp.get_token());
        guard.request_stop();
        return id;
    }

    TestClock clock;
    ScopedClockOverride useClock{clock};
    PlayerLink link;
};

TEST_F(PlayerLinkTest, TheFolderIsPrivateAndOnlyTheStartedProcessIsHeard) {
    const std::filesystem::path path = link.LinkPath();
    ASSERT_FALSE(path.empty());
    struct stat st {};
    ASSERT_EQ(::stat(link.Folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another process was started: this one's connection is not taken.
    link.ExpectPlayer(::getpid() + 1);
    const int stranger = ConnectPlayerLink(path, 5);
    ASSERT_GE(stranger, 0);
    char byte;
    EXPECT_LE(::read(stranger, &byte, 1), 0);  // closed by the link
    EXPECT_FALSE(link.PlayerConnected());
    ::close(stranger);

    const int fd = Connect();
    EXPECT_TRUE(link.PlayerConnected());
    EXPECT_EQ(link.h_BackupPlayerWnd.load(), 77u);
    ::close(fd);
    EXPECT_TRUE(WaitFor([&] { return !link.PlayerConnected(); }));
}

TEST_F(PlayerLinkTest, ALinkWithoutItsThreadStaysClosedAndOpensNextTime) {
    ormidon::FailThreadStartsForTesting(1);
    EXPECT_TRUE(link.LinkPath().empty());
    EXPECT_TRUE(link.Folder().empty());
    // The next use opens it whole.
    const int fd = Connect();
    EXPECT_TRUE(link.PlayerConnected());
    ::close(fd);
}

TEST_F(PlayerLinkTest, APlayerConnectingWhileHeldIsTakenOnceItsProcessIsKnown) {
    ASSERT_FALSE(link.LinkPath().empty());
    // The service thread now sits in a wait that includes new connections.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    link.HoldConnections();
    // A quick player connects before its start has returned its pid ...
    const int fd = ConnectPlayerLink(link.LinkPath(), 77);
    ASSERT_GE(fd, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // ... and is heard once it is.
    link.ExpectPlayer(::getpid());
    EXPECT_EQ(Hello(), 77u);
    EXPECT_TRUE(link.PlayerConnected());
    ::close(fd);
}

TEST_F(PlayerLinkTest, OnlyTheRecordedPlayersAckCounts) {
    const int fd = Connect(77);
    const struct {
        uint32_t kb;
        uint64_t id;
        bool counts;
        uint64_t bytes;
    } cases[] = {
        {64, 78, false, 0},
        {0, 77, true, 102'400},
        {64, 77, true, 65'536},
        {0xFFFFFFFF, 77, true, uint64_t{0xFFFFFFFF} * 1024},
    };
    for (const auto& c : cases) {
        link.f_BackupPlayerAck = 0;
        link.dw_BackupPlayerBufferSize = 0;
        ASSERT_TRUE(WriteLinkFrame(fd, {WM_PLAYERACK, c.kb, c.id, {}}));
        // A STOP behind it shows the ACK was read.
        link.f_BackupPlayerStop = 0;
        ASSERT_TRUE(WriteLinkFrame(fd, {WM_DOWNLOADSTOP, 0, 0, {}}));
        ASSERT_TRUE(WaitFor([&] { return link.f_BackupPlayerStop.load() == 1; }));
        EXPECT_EQ(link.f_BackupPlayerAck.load(), c.counts ? 1u : 0u);
        EXPECT_EQ(link.dw_BackupPlayerBufferSize.load(), c.bytes);
    }
    ::close(fd);
}

TEST_F(PlayerLinkTest, FramesReachThePlayerWholeAndABrokenStreamDropsIt) {
    const int fd = Connect();
    ASSERT_TRUE(link.Send(kLinkCopyData, 9, COPYDATA_BACKUP_PATH,
                          PaddedText("/tmp/CH01_0001.dvr.part", kBackupPathBytes)));
    ASSERT_TRUE(link.Send(WM_DOWNLOADDATA, 0, 5'000'000'000ULL));
    LinkFrameReader reader;
    std::vector<LinkFrame> frames;
    char buffer[512];
    while (frames.size() < 2) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        ASSERT_GT(got, 0);
        reader.Feed(buffer, static_cast<std::size_t>(got),
                    [&](const LinkFrame& f) { frames.push_back(f); });
    }
    EXPECT_EQ(frames[0].data.size(), kBackupPathBytes);
    EXPECT_EQ(TextOfPadded(frames[0].data), "/tmp/CH01_0001.dvr.part");
    EXPECT_EQ(frames[1].lParam, 5'000'000'000ULL);

    // A frame longer than any of the hand-off's: the player is dropped.
    const std::string header =
        EncodeLinkFrame({WM_PLAYERACK, 0, 77, std::string(kLinkMaxData + 1, 'x')});
    ASSERT_EQ(::write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
    EXPECT_TRUE(WaitFor([&] { return !link.PlayerConnected(); }));
    EXPECT_EQ(link.f_BackupPlayerAck.load(), 0u);
    EXPECT_FALSE(link.Send(WM_DOWNLOADDATA, 0, 1));
    ::close(fd);
}

TEST_F(PlayerLinkTest, APlayerThatStopsReadingIsDroppedAndSendsNeverWait) {
    const int fd = Connect();
    const std::string path(kBackupPathBytes, 'p');
    // Fill everything the socket takes; each send returns at once.
    const auto started = std::chrono::steady_clock::now();
    while (link.QueuedBytes() == 0 || link.QueuedBytes() < 64 * 1024) {
        ASSERT_TRUE(link.Send(kLinkCopyData, 0, COPYDATA_BACKUP_PATH, path));
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_TRUE(link.PlayerConnected());
    clock.Advance(PlayerLink::kSendStallMs - 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_TRUE(link.PlayerConnected());
    clock.Advance(1);
    EXPECT_TRUE(WaitFor([&] { return !link.PlayerConnected(); }));
    ::close(fd);
}

TEST_F(PlayerLinkTest, TheMutexIsALockFileWithBoundedWaits) {
    EXPECT_EQ(link.LockMutex(10'000), PlayerLink::LockResult::NoMutex);
    EXPECT_FALSE(link.CreateMutex("../escape"));
    ASSERT_TRUE(link.CreateMutex("NETWORKBK_1234"));
    const std::filesystem::path file = link.Folder() / "NETWORKBK_1234";
    ASSERT_TRUE(std::filesystem::exists(file));

    EXPECT_EQ(link.LockMutex(10'000), PlayerLink::LockResult::Locked);
    link.UnlockMutex();

    // The player holds it: the wait ends at its bound, or at a stop request.
    const int player = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(player, LOCK_EX), 0);
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    });
    EXPECT_EQ(link.LockMutex(10'000, stop.get_token()), PlayerLink::LockResult::Stopped);
    stopper.join();
    std::thread advancer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        clock.Advance(10'000);
    });
    EXPECT_EQ(link.LockMutex(10'000), PlayerLink::LockResult::TimedOut);
    advancer.join();
    ::close(player);
    EXPECT_EQ(link.LockMutex(10'000), PlayerLink::LockResult::Locked);
    link.UnlockMutex();

    link.CloseMutex();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(link.LockMutex(10'000), PlayerLink::LockResult::NoMutex);
}

}  // namespace
}  // namespace ormidon
