// The network backup window against the simulated recorder: the finished download, the
// device's answers as texts with what the kept file holds, and Cancel (also Esc and the
// close button) as a request that ends the worker in its bound, keeps the bytes received
// and tells a device that can stop its side.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "backup/BackupPlayerHandOff.h"
#include "backup/CDownloadProgressDlg.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/Thread.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {
namespace {

class DownloadWindowTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        scope.App().CSettingINI.m_wWebPort = device.Port();
        g_strLocalIPAddress.Set("127.0.0.1");
        ASSERT_TRUE(SetSessionCookie(device.OpenSession("admin")));
        job.address = "127.0.0.1";
        job.port = device.Port();
        job.cookie = GetSessionCookie();
        job.hostAddress = "127.0.0.1";
        job.year = 2008, job.month = 5, job.day = 7, job.hour = 13, job.minute = 4;
        job.sizeMB = 1;
        job.file = folder / "CH01_0001.dvr";
    }
    void TearDown() override {
        BackupPlayerLink().h_BackupPlayerWnd = 0;
        ClearSessionCookie();
    }

    // Opens the window and runs its events until it shows a status.
    std::unique_ptr<CDownloadProgressDlg> Download(bool tellDevice = false) {
        auto window = std::make_unique<CDownloadProgressDlg>(nullptr, job, tellDevice);
        EXPECT_TRUE(window->OnInitDialog());
        window->show();
        ormidon::testing::ProcessEventsUntil([&] { return window->LastStatus() >= 0; });
        return window;
    }
    QPushButton* ButtonOf(QWidget* window, int id) {
        return ormidon::FindControl<QPushButton>(window, id);
    }
    uint64_t FileSize() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(job.file, error);
        return error ? 0 : size;
    }
    // A download whose device stalls after 100,000 bytes, open until the file holds the
    // 99,608 bytes of recording they carry.
    std::unique_ptr<CDownloadProgressDlg> StalledDownload(bool tellDevice) {
        std::filesystem::remove(job.file);
        device.Backup().SetScript({.cutAfter = 100'000, .stall = true});
        auto window = std::make_unique<CDownloadProgressDlg>(nullptr, job, tellDevice);
        EXPECT_TRUE(window->OnInitDialog());
        window->show();
        EXPECT_TRUE(
            ormidon::testing::ProcessEventsUntil([&] { return FileSize() == kStalledData; }));
        return window;
    }
    static constexpr uint64_t kStalledData = 99'608;

    AppRecordScope scope;
    sim::SimulatedRecorder device;
    TempFolder folder;
    NetworkBackupJob job;
};

TEST_F(DownloadWindowTest, AFinishedDownloadOffersPlayAndExit) {
    auto window = Download();
    EXPECT_EQ(window->LastStatus(), kBackupFinished);
    EXPECT_EQ(window->StatusText(), "Download process is finished");
    EXPECT_EQ(ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->text(), "Exit");
    EXPECT_TRUE(ButtonOf(window.get(), CDownloadProgressDlg::kIdPlay)->isVisible());
    EXPECT_EQ(std::filesystem::file_size(job.file), 1024u * 1024);
    ormidon::testing::SaveScreenshot(window.get(), "network-backup-done");
}

TEST_F(DownloadWindowTest, TheWindowsThreadAnswersAtTheEndOfTheDownload) {
    // From the moment the file is whole until the window shows the end, the window's
    // thread keeps answering: nothing on it waits for the end. The best of three downloads
    // is taken, so that a busy machine's pause is not counted as the window's.
    job.sizeMB = 5;
    const uint64_t whole = uint64_t(job.sizeMB) << 20;
    auto best = std::chrono::steady_clock::duration::max();
    for (int round = 0; round < 3; ++round) {
        std::filesystem::remove(job.file);
        std::atomic<int64_t> wholeAt{0};
        std::jthread watcher([&](std::stop_token stop) {
            while (!stop.stop_requested() && FileSize() < whole)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            wholeAt = std::chrono::steady_clock::now().time_since_epoch().count();
        });
        CDownloadProgressDlg window(nullptr, job, false);
        ASSERT_TRUE(window.OnInitDialog());
        window.show();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (window.LastStatus() < 0 && std::chrono::steady_clock::now() < limit)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const auto shown = std::chrono::steady_clock::now();
        watcher.join();
        ASSERT_EQ(window.LastStatus(), kBackupFinished);
        const auto atWhole =
            std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(wholeAt));
        best = std::min(best, shown - atWhole);
    }
    EXPECT_LT(best, std::chrono::milliseconds(100));
}

TEST_F(DownloadWindowTest, TheWindowTakesTheKeyboardWhenItOpensAndAtTheEndOnly) {
    // Another window takes the keyboard while the download runs, as the player's window of a
    // Dynamic Download does: the reports leave the keyboard with it. Those of a download a
    // player follows bring the window back over it, on a display without a window manager
    // as on one (where the window stays above the player's). The end brings the window to
    // the front with the keyboard.
    struct Raises : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::ZOrderChange ? 1 : 0;
            return false;
        }
    };
    for (bool playerFollows : {false, true}) {
        SCOPED_TRACE(playerFollows ? "a player follows" : "no player");
        std::filesystem::remove(job.file);
        BackupPlayerLink().h_BackupPlayerWnd = playerFollows ? 1 : 0;
        // The reply waits for the other window, and holds its second half until the test
        // has seen the reports of the first.
        std::atomic<bool> covered{false}, release{false};
        device.Backup().SetScript({.beforeWrite = [&](uint64_t sent) {
            if (sent == 0) WaitUntil([&] { return covered.load(); }, 5000);
            if (sent >= 512 * 1024) WaitUntil([&] { return release.load(); }, 5000);
        }});
        QWidget other;
        other.setGeometry(100, 100, 500, 300);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return QApplication::activeWindow() == &other; }));

        CDownloadProgressDlg window(nullptr, job, false);
        ASSERT_TRUE(window.OnInitDialog());
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), playerFollows);
        window.show();
        EXPECT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return QApplication::activeWindow() == &window; }));

        other.activateWindow();
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return QApplication::activeWindow() == &other; }));
        Raises raises;
        window.installEventFilter(&raises);
        covered = true;
        auto* progress =
            ormidon::FindControl<QProgressBar>(&window, CDownloadProgressDlg::kIdProgress);
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return progress->value() >= 40; }));
        ormidon::testing::ProcessEventsFor(10);
        EXPECT_EQ(QApplication::activeWindow(), &other);
        EXPECT_EQ(raises.count > 0, playerFollows);

        raises.count = 0;
        release = true;
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return window.LastStatus() >= 0; }));
        ormidon::testing::ProcessEventsFor(10);
        EXPECT_EQ(window.LastStatus(), kBackupFinished);
        EXPECT_GE(raises.count, 1);
        EXPECT_EQ(QApplication::activeWindow(), &window);
        window.removeEventFilter(&raises);
    }
    BackupPlayerLink().h_BackupPlayerWnd = 0;
}

TEST_F(DownloadWindowTest, TheDevicesAnswersShowTheirTexts) {
    const struct {
        sim::NetworkBackupScript script;
        int sizeMB;
        const char* text;
        const char* note;
        uint64_t kept;
    } cases[] = {
        {{}, 0, "DVR doesn't contain the record data.", "Empty file kept: CH01_0001.dvr", 0},
        {{.refuse = true},
         1,
         "Wait a monent and retry again.",
         "Empty file kept: CH01_0001.dvr",
         0},
        // 10,000 bytes of frames carry 9,960 bytes of recording.
        {{.cutAfter = 10'000},
         1,
         "Download file is failed!",
         "Incomplete file kept: CH01_0001.dvr (9960 bytes)",
         9'960},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::filesystem::remove(job.file);
        device.Backup().SetScript(c.script);
        job.sizeMB = c.sizeMB;
        auto window = Download();
        EXPECT_EQ(window->StatusText(), c.text);
        EXPECT_EQ(window->NoteText().toStdString(), c.note);
        EXPECT_EQ(FileSize(), c.kept);
        if (c.kept > 0) ormidon::testing::SaveScreenshot(window.get(), "network-backup-incomplete");
        EXPECT_FALSE(ButtonOf(window.get(), CDownloadProgressDlg::kIdPlay)->isVisible());
        EXPECT_EQ(ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->text(), "Exit");
    }
}

TEST_F(DownloadWindowTest, TheKeptCountIsWhatTheFileHolds) {
    // The disk takes 5,000 bytes: the write that reaches them ends part way, after the last
    // count the download reported, and the next fails.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 5'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    auto window = Download();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(window->LastStatus(), kBackupFileFailed);
    EXPECT_EQ(FileSize(), 5'000u);
    EXPECT_EQ(window->NoteText().toStdString(), "Incomplete file kept: CH01_0001.dvr (5000 bytes)");
    ormidon::testing::SaveScreenshot(window.get(), "network-backup-disk-full");
}

TEST_F(DownloadWindowTest, AFileThatCannotBeMadeAfterTheRequestTellsTheDeviceOnce) {
    // The folder passes the check before the request and is gone when the file is made: the
    // path reaches the removed folder through a descriptor that holds it.
    const std::filesystem::path gone = folder / "gone";
    std::filesystem::create_directory(gone);
    const int held = ::open(gone.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    std::filesystem::remove(gone);
    job.file = std::filesystem::path("/proc/self/fd") / std::to_string(held) / "CH01_0001.dvr";
    const int cancelsBefore = device.Backup().Cancels();
    const int answeredBefore = device.Backup().CancelsAnswered();
    auto window = Download(true);
    EXPECT_EQ(window->LastStatus(), kBackupFileFailed);
    EXPECT_TRUE(window->NoteText().isEmpty());  // no file was made
    int requests = 0;
    for (const auto& request : device.Server().Log()) requests += request.path == "/NetworkBk.cgi";
    EXPECT_EQ(requests, 1);
    // Exit adds nothing to what the download's end sent.
    ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->click();
    window.reset();
    EXPECT_TRUE(WaitUntil([&] { return device.Backup().CancelsAnswered() >= answeredBefore + 1; }));
    ormidon::testing::ProcessEventsFor(100);
    EXPECT_EQ(device.Backup().Cancels(), cancelsBefore + 1);
    ::close(held);
}

TEST_F(DownloadWindowTest, CancelInAStallEndsTheWorkerAndTellsTheDevice) {
    for (bool tellDevice : {false, true}) {
        SCOPED_TRACE(tellDevice ? "device stops its side" : "older device");
        const int cancelsBefore = device.Backup().Cancels();
        auto window = StalledDownload(tellDevice);
        if (!tellDevice) ormidon::testing::SaveScreenshot(window.get(), "network-backup-running");
        const auto asked = std::chrono::steady_clock::now();
        ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->click();
        EXPECT_TRUE(window->WorkerEnded());
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000));
        EXPECT_EQ(window->result(), CDownloadProgressDlg::kResultClosed);
        window.reset();
        // The device is told from a worker of its own, once the download's worker ended.
        if (tellDevice)
            EXPECT_TRUE(WaitUntil([&] { return device.Backup().Cancels() - cancelsBefore == 1; }));
        else
            EXPECT_EQ(device.Backup().Cancels() - cancelsBefore, 0);
        EXPECT_EQ(FileSize(), kStalledData);  // what came is kept
    }
}

TEST_F(DownloadWindowTest, EscAndTheCloseButtonAreCancel) {
    // A DVR from firmware 1043 on is told to stop its side.
    scope.App().str_ProductID.Set("P51K");
    scope.App().str_FWVersion.Set("1043");
    const struct {
        const char* name;
        void (*close)(CDownloadProgressDlg&);
    } ways[] = {
        {"Esc", [](CDownloadProgressDlg& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"close button", [](CDownloadProgressDlg& w) { w.close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        const int cancelsBefore = device.Backup().Cancels();
        auto window = StalledDownload(CDownloadProgressDlg::DeviceStopsBackupOnCancel());
        way.close(*window);
        EXPECT_TRUE(window->WorkerEnded());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), CDownloadProgressDlg::kResultClosed);
        window.reset();
        EXPECT_TRUE(WaitUntil([&] { return device.Backup().Cancels() - cancelsBefore == 1; }));
        EXPECT_EQ(FileSize(), kStalledData);
    }
}

TEST_F(DownloadWindowTest, ADeviceLeftSendingIsToldAndItsAnswerWaitedForAfterTheWindowWent) {
    // The device's answer to "/CancelNB.cgi" comes late, as over a slow link.
    std::atomic<bool> release{false};
    const struct {
        const char* name;
        sim::NetworkBackupScript script;
        bool cancel;
    } ends[] = {
        {"cancelled in a stall", {.cutAfter = 100'000, .stall = true}, true},
        {"a stream not read to its end", {.firstLength = 0x7FFFFFFF}, false},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        std::filesystem::remove(job.file);
        auto script = end.script;
        script.beforeCancelReply = [&] { WaitUntil([&] { return release.load(); }); };
        device.Backup().SetScript(script);
        release = false;
        const int answeredBefore = device.Backup().CancelsAnswered();
        auto window = std::make_unique<CDownloadProgressDlg>(nullptr, job, true);
        ASSERT_TRUE(window->OnInitDialog());
        window->show();
        if (end.cancel) {
            ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return FileSize() > 0; }));
            ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->click();
        } else {
            ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
                [&] { return window->LastStatus() == kBackupReceiveFailed; }));
        }
        const auto closing = std::chrono::steady_clock::now();
        window.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::milliseconds(500));
        // Longer than any bound the window may keep: the device's answer is still awaited.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        release = true;
        EXPECT_TRUE(
            WaitUntil([&] { return device.Backup().CancelsAnswered() == answeredBefore + 1; }));
    }
}

TEST_F(DownloadWindowTest, ACancelWhoseSenderCannotStartIsSentByTheDownloadsWorker) {
    const int cancelsBefore = device.Backup().Cancels();
    auto window = StalledDownload(true);
    ormidon::FailThreadStartsForTesting(1);
    ButtonOf(window.get(), CDownloadProgressDlg::kIdCancel)->click();
    ormidon::FailThreadStartsForTesting(0);
    EXPECT_EQ(window->result(), CDownloadProgressDlg::kResultClosed);
    window.reset();
    EXPECT_TRUE(WaitUntil([&] { return device.Backup().Cancels() == cancelsBefore + 1; }));
    EXPECT_EQ(FileSize(), kStalledData);
}

TEST_F(DownloadWindowTest, OnlyADvrFrom1043StopsItsSideOnCancel) {
    const struct {
        const char* product;
        const char* firmware;
        bool stops;
    } cases[] = {{"P51K", "1042", false}, {"P51K", "1043", true}, {"P62K", "1050", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        scope.App().str_ProductID.Set(c.product);
        scope.App().str_FWVersion.Set(c.firmware);
        EXPECT_EQ(CDownloadProgressDlg::DeviceStopsBackupOnCancel(), c.stops);
    }
}

}  // namespace
}  // namespace ormidon::test
