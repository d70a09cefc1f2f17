// A network backup with "Copy to CD" against the simulated recorder: the download, then the
// burn on a stdio pseudo-drive in the download's worker, then the finished status; the
// disc image holds the download whole, and a second backup appends to it.
#include <gtest/gtest.h>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "IsoReadBack.h"
#include "backup/CCDBurner.h"
#include "backup/CDownloadProgressDlg.h"
#include "backup/DiscLayer.h"
#include "backup/LibburnDiscBackend.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {
namespace {

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

    // One backup into `name` with Copy to CD; the statuses the window showed, in order.
    std::vector<int> Backup(const std::string& name) {
        job.file = folder / name;
        EXPECT_TRUE(CreateBackupPartFile(job.file));
        EXPECT_EQ(writer->Init(job.file.string(), WriteCDProgressCallback), 1);
        writer->SetSourceSize(static_cast<uint64_t>(job.sizeMB) << 20);
        writer->SetTarget(0, false, folder.path().string() + "/", name);
        EXPECT_EQ(writer->CheckTarget(), 1);
        CDownloadProgressDlg window(nullptr, job, false);
        window.SetDiscWriter(writer.get());
        EXPECT_TRUE(window.OnInitDialog());
        std::vector<int> statuses;
        ormidon::testing::ProcessEventsUntil(
            [&] {
                const int status = window.LastStatus();
                if (status >= 0 && (statuses.empty() || statuses.back() != status)) {
                    statuses.push_back(status);
                }
                return status == kBackupFinished;
            },
            20000);
        return statuses;
    }

    AppRecordScope scope;
    sim::SimulatedRecorder device;
    TempFolder folder;
    NetworkBackupJob job;
    std::string disc;
    RecordingMessageBoxSink boxes;
    std::unique_ptr<CCDBurner> writer = std::make_unique<CCDBurner>();
};

TEST_F(DiscDownloadTest, ABackupWithCopyToCdIsWrittenToTheDiscAndTheNextAppends) {
    EXPECT_EQ(Backup("CH01_0001.dvr"), (std::vector<int>{kBackupWritingDisc, kBackupFinished}));
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
}

}  // namespace
}  // namespace ormidon::test
