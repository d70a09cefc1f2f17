// A network backup with "Copy to CD" against the simulated recorder: the download, then the
// burn on a stdio pseudo-drive in the download's worker, then the finished status; the
// disc image holds the download whole, and a second backup appends to it. Cancel aborts the
// burn; a drive that does not let go does not hold the window, and its burn reaches no later
// sheet.
#include <gtest/gtest.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "EndlessDiscBackend.h"
#include "IsoReadBack.h"
#include "backup/CCDBurner.h"
#include "backup/CDownloadProgressDlg.h"
#include "backup/DiscBurnPrompts.h"
#include "backup/DiscLayer.h"
#include "backup/LibburnDiscBackend.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Thread.h"
#include "platform/WaitAny.h"
#include "platform/window/testing/WindowTesting.h"
#include "sheet/ProgressSlot.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {
namespace {

// The operator cancels the image file's dialog.
class NoImageFile final : public DiscBurnPrompts {
  public:
    std::string AskImageFile(const std::string&, const std::string&, std::stop_token) override {
        return {};
    }
};

class DiscDownloadTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        scope.App().CSettingINI.m_wWebPort = device.Port();
        ASSERT_TRUE(SetSessionCookie(device.OpenSession("admin")));
        job.address = "127.0.0.1";
        job.port = device.Port();
        job.cookie = GetSessionCookie();
        job.hostAddress = "127.0.0.1";
        job.year = 2008, job.month = 5, job.day = 7, job.hour = 13;
        job.sizeMB = 1;
        disc = "stdio:" + (folder / "disc.iso").string();
        SetDiscBackendForTesting(std::make_shared<LibburnDiscBackend>(
            LibburnDiscBackend::Options{.scanDrives = false, .stdioDrives = {disc}}));
        UnloadDiscLibrary();
        SetMessageBoxSink(&boxes);
    }
    void TearDown() override {
        writer.reset();
        SetMessageBoxSink(nullptr);
        SetDiscBackendForTesting(nullptr);
        UnloadDiscLibrary();
        ClearSessionCookie();
    }

    // The writer set up for a backup into CH01_0001.dvr whose disc is written by `backend`,
    // a burn that runs until it is aborted.
    void WriteToEndlessDisc(const std::shared_ptr<EndlessDiscBackend>& backend) {
        SetDiscBackendForTesting(backend);
        UnloadDiscLibrary();
        job.file = folder / "CH01_0001.dvr";
        ASSERT_EQ(writer->Init(job.file.string(), WriteCDProgressCallback), 1);
        writer->SetTarget(0, false, folder.path().string() + "/", "CH01_0001.dvr");
    }

    // One backup into `name` with Copy to CD on drive row `drive`; the statuses the window
    // showed, in order. `note` is what it said under the last one.
    std::vector<int> Backup(const std::string& name, int drive = 0) {
        job.file = folder / name;
        EXPECT_EQ(writer->Init(job.file.string(), WriteCDProgressCallback), 1);
        writer->SetSourceSize(static_cast<uint64_t>(job.sizeMB) << 20);
        writer->SetTarget(drive, false, folder.path().string() + "/", name);
        EXPECT_EQ(writer->CheckTarget(), 1);
        CDownloadProgressDlg window(nullptr, job, false);
        window.SetDiscWriter(writer.get());
        EXPECT_TRUE(window.OnInitDialog());
        ormidon::testing::ProcessEventsUntil([&] { return window.LastStatus() == kBackupFinished; },
                                             20000);
        note = window.NoteText().toStdString();
        return window.Statuses();
    }

    AppRecordScope scope;
    sim::SimulatedRecorder device;
    TempFolder folder;
    NetworkBackupJob job;
    std::string disc;
    std::string note;
    RecordingMessageBoxSink boxes;
    std::unique_ptr<CCDBurner> writer = std::make_unique<CCDBurner>();
};

TEST_F(DiscDownloadTest, ABackupWithCopyToCdIsWrittenToTheDiscAndTheNextAppends) {
    EXPECT_EQ(Backup("CH01_0001.dvr"), (std::vector<int>{kBackupWritingDisc, kBackupFinished}));
    EXPECT_EQ(note, "The disc was written.");
    const std::string first = ReadFile(folder / "CH01_0001.dvr");
    ASSERT_EQ(first.size(), 1024u * 1024);
    auto back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back) << ::testing::PrintToString(boxes.Texts());
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);

    EXPECT_EQ(Backup("CH01_0002.dvr"), (std::vector<int>{kBackupWritingDisc, kBackupFinished}));
    back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->files.size(), 2u);
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);
    EXPECT_TRUE(back->files["CH01_0002.dvr"].content == ReadFile(folder / "CH01_0002.dvr"));
    EXPECT_TRUE(boxes.Texts().empty());

    // An image file whose name the operator does not give: the download is whole, the
    // disc is not written, and the window says so.
    NoImageFile prompts;
    writer->SetPrompts(&prompts);
    EXPECT_EQ(Backup("CH01_0003.dvr", 1), (std::vector<int>{kBackupWritingDisc, kBackupFinished}));
    EXPECT_EQ(note, "The disc was not written.");
    EXPECT_EQ(boxes.Texts().back(), "Write CD Error : user aborted");
}

TEST_F(DiscDownloadTest, CancelWhileTheDiscIsWrittenAbortsTheBurnWithinTheBound) {
    auto backend = std::make_shared<EndlessDiscBackend>();
    ASSERT_NO_FATAL_FAILURE(WriteToEndlessDisc(backend));
    CDownloadProgressDlg window(nullptr, job, false);
    window.SetDiscWriter(writer.get());
    ASSERT_TRUE(window.OnInitDialog());
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return backend->burning.load() && window.LastStatus() == kBackupWritingDisc; },
        20000));
    const auto asked = std::chrono::steady_clock::now();
    window.OnCancel();
    EXPECT_TRUE(window.WorkerEnded());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000));
    EXPECT_EQ(window.result(), CDownloadProgressDlg::kResultClosed);
    // Nothing of the burn outlives the test's writer.
    EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
}

TEST_F(DiscDownloadTest, WritingTheDiscLeavesTheKeyboardWhereItIs) {
    // Another window took the keyboard while the download ran: "Writing cd ..." is no end,
    // and leaves it there.
    auto backend = std::make_shared<EndlessDiscBackend>();
    ASSERT_NO_FATAL_FAILURE(WriteToEndlessDisc(backend));
    std::atomic<bool> covered{false};
    device.Backup().SetScript({.beforeWrite = [&](uint64_t sent) {
        if (sent == 0) WaitUntil([&] { return covered.load(); }, 5000);
    }});
    CDownloadProgressDlg window(nullptr, job, false);
    window.SetDiscWriter(writer.get());
    ASSERT_TRUE(window.OnInitDialog());
    window.show();
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return QApplication::activeWindow() == &window; }));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return QApplication::activeWindow() == &other; }));
    covered = true;
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return window.LastStatus() == kBackupWritingDisc; }, 20000));
    ormidon::testing::ProcessEventsFor(10);
    EXPECT_EQ(QApplication::activeWindow(), &other);
    window.OnCancel();
    EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
}

TEST_F(DiscDownloadTest, TheWindowClosesWithoutWaitingForADriveThatDoesNotLetGo) {
    // The keeper's thread starts, or cannot start at the window's Cancel.
    for (bool keeperStartFails : {false, true}) {
        SCOPED_TRACE(keeperStartFails ? "the keeper's thread cannot start" : "threads start");
        auto backend = std::make_shared<EndlessDiscBackend>();
        backend->ignoresAbort = true;
        SetDiscBackendForTesting(backend);
        UnloadDiscLibrary();
        writer = std::make_unique<CCDBurner>();
        const std::string name = keeperStartFails ? "CH01_0002.dvr" : "CH01_0001.dvr";
        job.file = folder / name;
        ASSERT_EQ(writer->Init(job.file.string(), WriteCDProgressCallback), 1);
        writer->SetTarget(0, false, folder.path().string() + "/", name);
        auto window = std::make_unique<CDownloadProgressDlg>(nullptr, job, false);
        window->SetDiscWriter(writer.get());
        ASSERT_TRUE(window->OnInitDialog());
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return backend->burning.load() && window->LastStatus() == kBackupWritingDisc; },
            20000));
        if (keeperStartFails) FailThreadStartsForTesting(1);
        EXPECT_NO_THROW(window->OnCancel());
        FailThreadStartsForTesting(0);
        EXPECT_TRUE(window->WorkerKept());
        window.reset();
        // The window is gone while the burn still holds the drive; the keeper has its worker
        // (and starts its thread again when asked).
        EXPECT_TRUE(backend->burning.load());
        EXPECT_FALSE(backend->ranOut.load());
        EXPECT_EQ(KeptDiscWork(), 1u);
        // A sheet opened since gets nothing of the kept burn.
        auto later = std::make_shared<ProgressSlot>();
        SetProgressSlot(later);
        backend->letGo = true;
        EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
        EXPECT_FALSE(backend->ranOut.load());
        EXPECT_EQ(ormidon::WaitAny({&later->m_hCommandReady}, 0).status,
                  ormidon::WaitStatus::TimedOut);
        later->m_Closed.Set();
        ClearProgressSlot(later.get());
    }
}

}  // namespace
}  // namespace ormidon::test
