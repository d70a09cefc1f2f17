// The Dynamic Download's hand-off to the playback program, with the stand-in player started
// as "Tamburo": its command line and link, the mutex name, START, ACK, DATA notices by its
// buffer size with the file checked under the lock, END; a second download re-addressing
// the same player, a player closed between downloads, a player that stops the notices,
// never says HELLO, cannot be started, acknowledges with a foreign id or keeps the lock
// (and is then dropped, so PLAY stays offered).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <sstream>
#include <thread>

#include "../support/SettingsSheetHarness.h"
#include "../support/TempFolder.h"
#include "backup/BackupPlayerHandOff.h"
#include "backup/CDownloadProgressDlg.h"
#include "backup/DownloadFilePage.h"
#include "core/PlaybackProgram.h"
#include "platform/Paths.h"

namespace ormidon::test {
namespace {

struct LoggedFrame {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint64_t lParam = 0;
    std::string text;
};

class PlayerHandOffTest : public SettingsSheetTest {
  protected:
    void SetUp() override {
        SettingsSheetTest::SetUp();
        ormidon::SetProgramFolderForTesting(programFolder.path());
        std::filesystem::create_symlink(ORMIDON_STANDIN_PLAYER,
                                        programFolder / kPlaybackProgramName);
        app.CSettingINI.m_strNetworkFileDirectory = files.path().string();
        app.CSettingINI.m_dwDynamicDownloadOption = 1;
        DownloadFilePage::SetDownloadRunner([this](CDownloadProgressDlg& window) {
            ormidon::testing::ProcessEventsUntil([&] { return window.LastStatus() >= 0; }, 20000);
            lastStatus = window.LastStatus();
            playShown = ormidon::FindControl<QPushButton>(&window, CDownloadProgressDlg::kIdPlay)
                            ->isVisible();
            window.OnCancel();
            return CDownloadProgressDlg::kResultClosed;
        });
    }
    void TearDown() override {
        DownloadFilePage::SetDownloadRunner({});
        device.Backup().SetScript({});
        ForgetBackupPlayer();
        ormidon::SetProgramFolderForTesting({});
        SettingsSheetTest::TearDown();
    }

    void Conf(const std::string& text) { WriteFile(programFolder / "standin.conf", text); }
    // Holds the reply until the player acknowledged, so the notices cover the download.
    void ReplyAfterAck() {
        device.Backup().SetScript({.beforeWrite = [](uint64_t sent) {
            if (sent == 0)
                WaitUntil([&] { return BackupPlayerLink().f_BackupPlayerAck.load() != 0; }, 5000);
        }});
    }
    DownloadFilePage* Open() {
        OpenSheet();
        EXPECT_TRUE(ShowPage("Network Backup"));
        auto* size = Control<QLineEdit>(DownloadFilePage::kIdSize);
        size->clear();
        QTest::keyClicks(size, "1");
        return static_cast<DownloadFilePage*>(Page("Network Backup"));
    }
    // The Start awaits a new player's HELLO on the test clock, which moves only when a test
    // moves it: a Start still waiting for it after some real seconds gets the wait's whole
    // bound, so it goes on without the player (and the test fails) instead of hanging.
    void PressStart() {
        lastStatus = -1;
        std::atomic<bool> returned{false};
        std::thread guard([&] {
            if (!WaitUntil([&] { return returned.load(); }, kHelloGuardMs) &&
                BackupPlayerLink().dw_BackupPlayerProcessId.load() != 0 &&
                BackupPlayerLink().h_BackupPlayerWnd.load() == 0)
                clock.Advance(kPlayerHelloWaitMs);
        });
        Button(DownloadFilePage::kIdStart)->click();
        returned = true;
        guard.join();
        ormidon::testing::ProcessEventsFor(5);
    }
    std::vector<std::string> LogLines() {
        std::istringstream in(ReadFile(programFolder / "standin.log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Everything sent to the player so far has reached its log once a marker frame has.
    void Flush(const std::string& marker) {
        ASSERT_TRUE(BackupPlayerLink().Send(ormidon::kLinkCopyData, 0,
                                            ormidon::COPYDATA_BACKUP_PATH, marker));
        ASSERT_TRUE(WaitUntil([&] {
            return ReadFile(programFolder / "standin.log").find(marker) != std::string::npos;
        }));
    }
    std::vector<LoggedFrame> Frames() {
        std::vector<LoggedFrame> frames;
        for (const std::string& line : LogLines()) {
            if (line.rfind("FRAME ", 0) != 0) continue;
            LoggedFrame f;
            std::istringstream in(line.substr(6));
            unsigned long long lParam = 0;
            in >> std::hex >> f.message >> std::dec >> f.wParam >> lParam;
            f.lParam = lParam;
            std::getline(in, f.text);
            frames.push_back(f);
        }
        return frames;
    }
    static std::vector<LoggedFrame> Of(const std::vector<LoggedFrame>& frames, uint32_t message) {
        std::vector<LoggedFrame> of;
        for (const LoggedFrame& f : frames)
            if (f.message == message) of.push_back(f);
        return of;
    }
    int Count(const std::string& prefix) {
        int n = 0;
        for (const std::string& line : LogLines()) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    static constexpr uint32_t kHelloGuardMs = 10'000;
    TempFolder programFolder;
    TempFolder files;
    int lastStatus = -1;
    bool playShown = false;
};

TEST_F(PlayerHandOffTest, ThePlayerFollowsTheDownloadByItsBufferSize) {
    const struct {
        const char* kb;
        uint64_t buffer;
    } cases[] = {{"0", 102'400}, {"64", 65'536}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kb);
        if (BackupPlayerLink().dw_BackupPlayerProcessId.load() != 0) {
            // The player of the previous case leaves once its link closes.
            ForgetBackupPlayer();
            ASSERT_TRUE(WaitUntil([&] { return Count("EXIT") == 1; }));
        }
        std::filesystem::remove(programFolder / "standin.log");
        Conf(std::string("ack_kb=") + c.kb + "\n");
        ReplyAfterAck();
        DownloadFilePage* page =
            sheet ? static_cast<DownloadFilePage*>(Page("Network Backup")) : Open();
        const std::string file = page->FilePath();
        PressStart();
        EXPECT_TRUE(boxes.Ids().empty());
        EXPECT_EQ(lastStatus, kBackupFinished);
        EXPECT_FALSE(playShown);  // the player plays it already
        Flush(std::string("marker-") + c.kb);

        const std::vector<std::string> lines = LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "ARGS " + file + "|DYNAMICLOAD=1");
        const std::vector<LoggedFrame> frames = Frames();
        const auto mutex = Of(frames, ormidon::kLinkCopyData);
        ASSERT_GE(mutex.size(), 1u);
        EXPECT_EQ(mutex[0].lParam, ormidon::COPYDATA_BACKUP_MUTEX);
        EXPECT_EQ(mutex[0].text, " " + BackupPlayerLink().MutexName() + " len=32");
        EXPECT_EQ(BackupPlayerLink().MutexName().rfind("NETWORKBK_", 0), 0u);
        ASSERT_EQ(Of(frames, ormidon::WM_DOWNLOADSTART).size(), 1u);
        const auto data = Of(frames, ormidon::WM_DOWNLOADDATA);
        ASSERT_FALSE(data.empty());
        uint64_t total = 0;
        for (std::size_t i = 0; i < data.size(); ++i) {
            if (i + 1 < data.size()) {
                EXPECT_GT(data[i].lParam, c.buffer);
            }
            total += data[i].lParam;
        }
        EXPECT_EQ(total, 1024u * 1024);
        const auto end = Of(frames, ormidon::WM_DOWNLOADEND);
        ASSERT_EQ(end.size(), 1u);
        EXPECT_EQ(end[0].wParam, 0u);
        EXPECT_EQ(Count("CHECK ok"), static_cast<int>(data.size()));
        EXPECT_EQ(Count("CHECK bad"), 0);
        EXPECT_EQ(std::filesystem::file_size(file), 1024u * 1024);
    }
}

TEST_F(PlayerHandOffTest, ASecondDownloadReAddressesTheOpenPlayerAndAClosedOneIsReplaced) {
    Conf("ack_kb=0\n");
    ReplyAfterAck();
    DownloadFilePage* page = Open();
    PressStart();
    const uint32_t firstPid = BackupPlayerLink().dw_BackupPlayerProcessId.load();
    const std::string firstMutex = BackupPlayerLink().MutexName();
    ASSERT_NE(firstPid, 0u);

    // Still open: only the new path goes, to the same process, with the same mutex.
    const std::string second = page->FilePath();
    PressStart();
    EXPECT_EQ(lastStatus, kBackupFinished);
    Flush("marker-second");
    EXPECT_EQ(Count("ARGS"), 1);
    EXPECT_EQ(BackupPlayerLink().dw_BackupPlayerProcessId.load(), firstPid);
    EXPECT_EQ(BackupPlayerLink().MutexName(), firstMutex);
    const auto copies = Of(Frames(), ormidon::kLinkCopyData);
    ASSERT_GE(copies.size(), 2u);
    EXPECT_EQ(copies[1].lParam, ormidon::COPYDATA_BACKUP_PATH);
    EXPECT_EQ(copies[1].text, " " + second + " len=1024");
    EXPECT_EQ(Of(Frames(), ormidon::WM_DOWNLOADSTART).size(), 2u);

    // The operator closes the player: the next Start starts a new one with a new mutex.
    ASSERT_EQ(::kill(static_cast<pid_t>(firstPid), SIGTERM), 0);
    ASSERT_TRUE(WaitUntil([&] { return !BackupPlayerLink().PlayerConnected(); }));
    clock.Advance(1);  // a new tick count, so a new mutex name
    PressStart();
    EXPECT_EQ(lastStatus, kBackupFinished);
    EXPECT_EQ(Count("ARGS"), 2);
    EXPECT_NE(BackupPlayerLink().dw_BackupPlayerProcessId.load(), firstPid);
    EXPECT_NE(BackupPlayerLink().MutexName(), firstMutex);
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(PlayerHandOffTest, APlayerThatStopsGetsNoMoreNoticesAndPlayIsOffered) {
    Conf("ack_kb=1\nstop_after_data=1\n");
    // The rest of the reply waits for the player's STOP, so it comes during the transfer.
    device.Backup().SetScript({.beforeWrite = [](uint64_t sent) {
        if (sent == 0)
            WaitUntil([&] { return BackupPlayerLink().f_BackupPlayerAck.load() != 0; }, 5000);
        if (sent >= 256 * 1024)
            WaitUntil([&] { return BackupPlayerLink().f_BackupPlayerStop.load() != 0; }, 5000);
    }});
    Open();
    PressStart();
    EXPECT_EQ(lastStatus, kBackupFinished);
    EXPECT_TRUE(playShown);
    Flush("marker-stop");
    EXPECT_EQ(BackupPlayerLink().f_BackupPlayerStop.load(), 1u);
    const auto frames = Frames();
    EXPECT_TRUE(Of(frames, ormidon::WM_DOWNLOADEND).empty());
    // DATA notices end once the STOP arrived; a few may cross it on the way.
    EXPECT_LT(Of(frames, ormidon::WM_DOWNLOADDATA).size(), 1024u * 1024 / 2048);
}

TEST_F(PlayerHandOffTest, AForeignAckIsIgnored) {
    Conf("ack_id=wrong\n");
    Open();
    PressStart();
    EXPECT_EQ(lastStatus, kBackupFinished);
    EXPECT_TRUE(playShown);
    Flush("marker-foreign");
    EXPECT_EQ(BackupPlayerLink().f_BackupPlayerAck.load(), 0u);
    EXPECT_TRUE(Of(Frames(), ormidon::WM_DOWNLOADDATA).empty());
    EXPECT_TRUE(Of(Frames(), ormidon::WM_DOWNLOADEND).empty());
}

TEST_F(PlayerHandOffTest, APlayerThatFailsIsShownAndTheDownloadGoesOn) {
    const struct {
        const char* name;
        bool removeProgram;
        uint32_t message;
    } cases[] = {{"no HELLO", false, kMsgPlayerNoWindow},
                 {"cannot start", true, kMsgExecutePlayerFailed}};
    Conf("hello=never\n");
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetBackupPlayer();
        if (c.removeProgram) std::filesystem::remove(programFolder / kPlaybackProgramName);
        const std::size_t shown = boxes.Ids().size();
        // The HELLO wait passes on the test clock (once: the download's waits run on it too).
        std::atomic<bool> done{false};
        std::thread advancer([&] {
            while (!done && !c.removeProgram) {
                if (clock.WaitForWaiters(2, 5)) {
                    clock.Advance(kPlayerHelloWaitMs);
                    break;
                }
            }
        });
        PressStart();
        done = true;
        advancer.join();
        ASSERT_EQ(boxes.Ids().size(), shown + 1);
        EXPECT_EQ(boxes.Ids().back(), c.message);
        EXPECT_EQ(lastStatus, kBackupFinished);
        EXPECT_TRUE(playShown);
        EXPECT_EQ(BackupPlayerLink().dw_BackupPlayerProcessId.load(), 0u);
    }
}

TEST_F(PlayerHandOffTest, APlayerKeepingTheLockIsDroppedFromTheDownload) {
    Conf("ack_kb=1\nhold_lock=1\n");
    // The rest of the reply waits until the player holds the lock, so the download meets the
    // held lock however fast the transfer runs.
    device.Backup().SetScript({.beforeWrite = [this](uint64_t sent) {
        if (sent == 0)
            WaitUntil([&] { return BackupPlayerLink().f_BackupPlayerAck.load() != 0; }, 5000);
        if (sent >= 256 * 1024) {
            WaitUntil(
                [&] {
                    return ReadFile(programFolder / "standin.log").find("HOLDING") !=
                           std::string::npos;
                },
                5000);
        }
    }});
    Open();
    std::atomic<bool> done{false};
    std::thread advancer([&] {
        WaitUntil([&] {
            return done ||
                   ReadFile(programFolder / "standin.log").find("HOLDING") != std::string::npos;
        });
        // Until the player is dropped: the writer may start its wait after any one advance.
        // Small steps, so a read of the download that happens to wait meanwhile (10 s on the
        // same clock) does not run out on a slow machine.
        while (!done && BackupPlayerLink().PlayerConnected()) {
            clock.Advance(1'000);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    PressStart();
    done = true;
    advancer.join();
    EXPECT_EQ(lastStatus, kBackupFinished);
    EXPECT_FALSE(BackupPlayerLink().PlayerConnected());
    // The dropped player got no end notice: PLAY is offered although it had acknowledged.
    EXPECT_EQ(BackupPlayerLink().f_BackupPlayerAck.load(), 1u);
    EXPECT_TRUE(playShown);
    EXPECT_EQ(std::filesystem::file_size(files / "CH01_0001.dvr"), 1024u * 1024);
}

}  // namespace
}  // namespace ormidon::test
