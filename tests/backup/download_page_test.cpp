// The Network Backup page in the settings sheet against the simulated recorder: the disk
// rows and the slot each sends, the size and channel edits, the file names it proposes, its
// refusals, the Full List's preset, and PLAY's hand-over of the downloaded file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "../support/TempFolder.h"
#include "FakeDiscBackend.h"
#include "PlayerWindow.h"
#include "backup/BackupPreset.h"
#include "backup/CCDBurner.h"
#include "backup/CDownloadProgressDlg.h"
#include "backup/DiscLayer.h"
#include "backup/DownloadFilePage.h"
#include "core/KernelMailbox.h"
#include "core/StringTable.h"
#include "platform/Thread.h"
#include "widgets/CDlgGetPath.h"

namespace ormidon::test {
namespace {

class DownloadPageTest : public SettingsSheetTest {
  protected:
    void SetUp() override {
        SettingsSheetTest::SetUp();
        app.CSettingINI.m_strNetworkFileDirectory = folder.path().string() + "/";
        // The download window runs to its end and closes with `answer`.
        DownloadFilePage::SetDownloadRunner([this](CDownloadProgressDlg& window) {
            ormidon::testing::ProcessEventsUntil([&] { return window.LastStatus() >= 0; });
            lastStatus = window.LastStatus();
            if (answer == CDownloadProgressDlg::kResultPlay)
                window.OnPlay();
            else
                window.OnCancel();
            ++downloads;
            return answer;
        });
    }
    void TearDown() override {
        DownloadFilePage::SetDownloadRunner({});
        SettingsSheetTest::TearDown();
    }

    DownloadFilePage* OpenPage(const SheetSetup& setup = {}) {
        OpenSheet(setup);
        EXPECT_TRUE(ShowPage("Network Backup"));
        return static_cast<DownloadFilePage*>(Page("Network Backup"));
    }
    void TypeSize(const char* megabytes) {
        auto* size = Control<QLineEdit>(DownloadFilePage::kIdSize);
        size->clear();
        QTest::keyClicks(size, megabytes);
    }
    void PressStart() {
        Button(DownloadFilePage::kIdStart)->click();
        ormidon::testing::ProcessEventsFor(5);
    }
    QString PathText() { return Control<QLineEdit>(DownloadFilePage::kIdPath)->text(); }
    std::string Named(const char* name) { return (folder / name).string(); }
    std::vector<std::string> BackupQueries() {
        std::vector<std::string> queries;
        for (const RecorderWrite& write : Writes("/NetworkBk.cgi")) queries.push_back(write.query);
        return queries;
    }

    TempFolder folder;
    int answer = CDownloadProgressDlg::kResultClosed;
    int downloads = 0;
    int lastStatus = -1;
};

TEST_F(DownloadPageTest, DiskRowsSendTheirSlotNumbers) {
    device.Disks().SetSlots({0, 2, 5});
    DownloadFilePage* page = OpenPage();
    auto* combo = Control<QComboBox>(DownloadFilePage::kIdHdd);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "MASTER1");
    EXPECT_EQ(combo->itemText(1), "MASTER2");
    EXPECT_EQ(combo->itemText(2), "EXT-02");
    ormidon::testing::SaveScreenshot(sheet.get(), "network-backup-page");

    combo->setCurrentIndex(2);
    auto* channel = Control<QLineEdit>(DownloadFilePage::kIdChannel);
    channel->clear();
    QTest::keyClicks(channel, "3");
    TypeSize("1");
    Control<QDateTimeEdit>(DownloadFilePage::kIdDate)->setDate(QDate(2008, 5, 7));
    Control<QDateTimeEdit>(DownloadFilePage::kIdTime)->setTime(QTime(13, 4, 9));
    PressStart();

    EXPECT_EQ(page->HddSlot(), 5);
    ASSERT_EQ(BackupQueries().size(), 1u);
    EXPECT_EQ(BackupQueries()[0],
              "/NetworkBk.cgi?Cookie=" + GetSessionCookie() +
                  "&Year=2008&Month=5&Day=7&Hour=13&Minute=4&Second=9&Num=5&CH=2&Size=1");
    EXPECT_EQ(lastStatus, kBackupFinished);
    EXPECT_EQ(std::filesystem::file_size(Named("CH03_0001.dvr")), 1024u * 1024);
    // The next free name is proposed at once.
    EXPECT_EQ(PathText().toStdString(), Named("CH03_0002.dvr"));
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(DownloadPageTest, SlotOfRowCountsSetBits) {
    DvrHddBitmap bitmap;
    bitmap.bySlotMap[0] = 0b0010'0101;  // slots 0, 2, 5
    bitmap.bySlotMap[31] = 0x80;        // slot 255
    const struct {
        int row;
        uint8_t slot;
    } cases[] = {{0, 0}, {1, 2}, {2, 5}, {3, 255}, {4, 0}, {-1, 0}};
    for (const auto& c : cases) EXPECT_EQ(DownloadFilePage::SlotOfRow(bitmap, c.row), c.slot);
}

TEST_F(DownloadPageTest, StartRefusesWhatCannotBeDownloaded) {
    device.Disks().SetSlots({});
    OpenPage();
    EXPECT_FALSE(Control<QComboBox>(DownloadFilePage::kIdHdd)->isEnabled());
    PressStart();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{DownloadFilePage::kMsgNoRecordData});
    EXPECT_TRUE(BackupQueries().empty());
    EXPECT_EQ(downloads, 0);
}

TEST_F(DownloadPageTest, TheEditsKeepTheirRanges) {
    DownloadFilePage* page = OpenPage();
    auto* size = Control<QLineEdit>(DownloadFilePage::kIdSize);
    const struct {
        const char* typed;
        int size;
    } cases[] = {{"12a3", 123}, {"900", 500}, {"", 500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        size->selectAll();
        QTest::keyClick(size, Qt::Key_Delete);
        QTest::keyClicks(size, c.typed);
        page->UpdateData(true);
        EXPECT_EQ(page->BackupSize(), c.size);
    }

    // Size 0 and channels 0 and 17 are refused before anything is made.
    const struct {
        const char* size;
        const char* channel;
        uint32_t message;
    } refusals[] = {{"0", "1", DownloadFilePage::kMsgSizeWrong},
                    {"1", "0", DownloadFilePage::kMsgNoRecordData},
                    {"1", "17", DownloadFilePage::kMsgNoRecordData}};
    auto* channel = Control<QLineEdit>(DownloadFilePage::kIdChannel);
    for (const auto& r : refusals) {
        SCOPED_TRACE(std::string(r.size) + " MB, channel " + r.channel);
        size->clear();
        QTest::keyClicks(size, r.size);
        channel->clear();
        QTest::keyClicks(channel, r.channel);
        const std::size_t shown = boxes.Ids().size();
        PressStart();
        ASSERT_EQ(boxes.Ids().size(), shown + 1);
        EXPECT_EQ(boxes.Ids().back(), r.message);
    }
    EXPECT_EQ(downloads, 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(DownloadPageTest, NamesInUseAreSkippedAndNeverOverwritten) {
    WriteFile(folder / "CH01_0001.dvr", "kept");
    std::filesystem::create_directory(folder / "CH01_0002.dvr");  // a folder has the name
    DownloadFilePage* page = OpenPage();
    EXPECT_EQ(page->FilePath(), Named("CH01_0003.dvr"));

    // A name taken after it was proposed is refused, and the file is left as it is.
    WriteFile(folder / "CH01_0003.dvr", "also kept");
    PressStart();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{DownloadFilePage::kMsgPathInvalid});
    EXPECT_EQ(ReadFile(folder / "CH01_0003.dvr"), "also kept");
    EXPECT_EQ(ReadFile(folder / "CH01_0001.dvr"), "kept");
    EXPECT_EQ(downloads, 0);
}

TEST_F(DownloadPageTest, WithoutAFolderThePathAsksForOne) {
    app.CSettingINI.m_strNetworkFileDirectory.clear();
    OpenPage();
    const QString noFolder = QString::fromUtf8(LoadResourceString(DownloadFilePage::kMsgNoFolder));
    EXPECT_EQ(PathText(), noFolder);
    // Another channel still has no folder to name a file in.
    auto* channel = Control<QLineEdit>(DownloadFilePage::kIdChannel);
    channel->clear();
    QTest::keyClicks(channel, "2");
    EXPECT_EQ(PathText(), noFolder);
    PressStart();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{DownloadFilePage::kMsgPathInvalid});
    EXPECT_FALSE(std::filesystem::exists("/CH02_0001.dvr"));

    // A folder picked with File Path names the file there.
    CDlgGetPath::SetModalAnswer([&](CDlgGetPath& picker) {
        EXPECT_TRUE(picker.SelectPath(folder.path().string()));
        return CDlgGetPath::kIdOk;
    });
    CDlgGetPath::SetVolumeSource([&] {
        return std::vector<ormidon::Volume>{{"temp", folder.path(), ormidon::Volume::Kind::Home}};
    });
    Button(DownloadFilePage::kIdFilePath)->click();
    CDlgGetPath::SetModalAnswer({});
    CDlgGetPath::SetVolumeSource({});
    EXPECT_EQ(PathText().toStdString(), Named("CH02_0001.dvr"));
    EXPECT_TRUE(sheet->LocalSettings().bNetworkFileDirectoryChanged);
    EXPECT_EQ(sheet->LocalSettings().strNetworkFileDirectory, folder.path().string());
}

TEST_F(DownloadPageTest, APresetIsAppliedOnceAndAnUnsoundOneIsDropped) {
    device.Disks().SetSlots({0, 1, 2});
    DownloadFilePage* page = OpenPage();
    auto* channel = Control<QLineEdit>(DownloadFilePage::kIdChannel);
    channel->clear();
    QTest::keyClicks(channel, "4");
    ShowPage("Network");

    // Channel 0 keeps the page's channel; disk, date and time are taken.
    g_BackupPreset = {.valid = 1,
                      .kind = 3,
                      .year = 8,
                      .month = 2,
                      .day = 29,
                      .hour = 23,
                      .minute = 59,
                      .second = 58,
                      .hddIndex = 2,
                      .channel = 0};
    sheet->OnGotoNetworkBackup();
    ormidon::testing::ProcessEventsFor(5);
    EXPECT_EQ(page->Channel(), 4);
    EXPECT_EQ(Control<QComboBox>(DownloadFilePage::kIdHdd)->currentIndex(), 2);
    EXPECT_EQ(Control<QDateTimeEdit>(DownloadFilePage::kIdDate)->date(), QDate(2008, 2, 29));
    EXPECT_EQ(Control<QDateTimeEdit>(DownloadFilePage::kIdTime)->time(), QTime(23, 59, 58));
    EXPECT_EQ(g_BackupPreset.valid, 0);

    // An impossible date, disk row or channel: nothing changes, and the preset is gone.
    const BackupPreset unsound[] = {
        {.valid = 1, .year = 9, .month = 2, .day = 29, .hddIndex = 0, .channel = 1},
        {.valid = 1, .year = 9, .month = 1, .day = 1, .hour = 24, .hddIndex = 0, .channel = 1},
        {.valid = 1, .year = 9, .month = 1, .day = 1, .hddIndex = 3, .channel = 1},
        {.valid = 1, .year = 9, .month = 1, .day = 1, .hddIndex = 0, .channel = 17},
    };
    for (const BackupPreset& preset : unsound) {
        ShowPage("Network");
        g_BackupPreset = preset;
        sheet->OnGotoNetworkBackup();
        ormidon::testing::ProcessEventsFor(5);
        EXPECT_EQ(page->Channel(), 4);
        EXPECT_EQ(Control<QComboBox>(DownloadFilePage::kIdHdd)->currentIndex(), 2);
        EXPECT_EQ(Control<QDateTimeEdit>(DownloadFilePage::kIdDate)->date(), QDate(2008, 2, 29));
        EXPECT_EQ(g_BackupPreset.valid, 0);
    }

    // A channel in the preset names the file after it.
    ShowPage("Network");
    g_BackupPreset = {.valid = 1, .year = 9, .month = 1, .day = 1, .hddIndex = 0, .channel = 7};
    sheet->OnGotoNetworkBackup();
    ormidon::testing::ProcessEventsFor(5);
    EXPECT_EQ(page->Channel(), 7);
    EXPECT_EQ(page->FilePath(), Named("CH07_0001.dvr"));
}

TEST_F(DownloadPageTest, ACancelEndsTheBarAndThePageTellsWhatTheFileKept) {
    // The device stalls after 100,000 bytes, which carry 99,608 bytes of recording.
    device.Backup().SetScript({.cutAfter = 100'000, .stall = true});
    DownloadFilePage* page = OpenPage();
    TypeSize("1");
    const std::filesystem::path file = page->FilePath();
    bool barShown = false;
    DownloadFilePage::SetDownloadRunner([&](CDownloadProgressDlg& window) {
        ormidon::testing::ProcessEventsUntil([&] {
            std::error_code error;
            return std::filesystem::file_size(file, error) == 99'608;
        });
        barShown = ormidon::testing::ProcessEventsUntil([&] { return sheet->ProgressShown(); });
        window.OnCancel();
        return int(CDownloadProgressDlg::kResultClosed);
    });
    PressStart();
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !sheet->ProgressShown(); }));
    EXPECT_EQ(page->NoteText().toStdString(),
              "Download cancelled: incomplete file kept: CH01_0001.dvr (99608 bytes)");
    // The next Start begins without the old note.
    device.Backup().SetScript({});
    DownloadFilePage::SetDownloadRunner([](CDownloadProgressDlg& window) {
        ormidon::testing::ProcessEventsUntil([&] { return window.LastStatus() >= 0; });
        window.OnCancel();
        return int(CDownloadProgressDlg::kResultClosed);
    });
    PressStart();
    EXPECT_TRUE(page->NoteText().isEmpty());
}

TEST_F(DownloadPageTest, ADownloadWhoseWorkerCannotStartAsksNothingAndSaysSo) {
    DownloadFilePage* page = OpenPage();
    const std::string file = page->FilePath();
    ormidon::FailThreadStartsForTesting(1);
    PressStart();
    ormidon::FailThreadStartsForTesting(0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{DownloadFilePage::kDownloadNotStarted});
    EXPECT_EQ(downloads, 0);
    EXPECT_TRUE(BackupQueries().empty());
    EXPECT_FALSE(std::filesystem::exists(file));
    // Nothing was made, so the same name is still proposed.
    EXPECT_EQ(page->FilePath(), file);
}

TEST_F(DownloadPageTest, CopyToCdIsDroppedWithItsMessageAndTheDownloadGoesOn) {
    // A writer that cannot start: its own message, then 4119; the download goes on.
    auto backend = std::make_shared<FakeDiscBackend>();
    backend->initResult = 3;
    SetDiscBackendForTesting(backend);
    UnloadDiscLibrary();
    app.CSettingINI.m_dwWriteCDOption = 1;
    DownloadFilePage* page = OpenPage();
    auto* copy = Control<QCheckBox>(DownloadFilePage::kIdCopyToCD);
    EXPECT_TRUE(copy->isChecked());
    TypeSize("1");
    PressStart();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{0, DownloadFilePage::kMsgBurnerFailed}));
    EXPECT_FALSE(copy->isChecked());
    EXPECT_FALSE(page->CopyToCD());
    EXPECT_EQ(app.CSettingINI.m_dwWriteCDOption, 1);
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(lastStatus, kBackupFinished);
    SetDiscBackendForTesting(nullptr);
    UnloadDiscLibrary();
}

TEST_F(DownloadPageTest, CopyToCdWritesTheFinishedDownloadAfterItsDialog) {
    auto backend = std::make_shared<FakeDiscBackend>();
    SetDiscBackendForTesting(backend);
    UnloadDiscLibrary();
    AppDiscWriter().Cleanup();
    std::vector<int> statuses;
    DownloadFilePage::SetDownloadRunner([&](CDownloadProgressDlg& window) {
        ormidon::testing::ProcessEventsUntil(
            [&] { return window.LastStatus() == kBackupFinished; });
        statuses = window.Statuses();
        window.OnCancel();
        return int(CDownloadProgressDlg::kResultClosed);
    });
    int dialogs = 0;
    DownloadFilePage::SetDiscSetupRunner([&](CWriteCDSettingDlg&) {
        ++dialogs;
        return CWriteCDSettingDlg::kResultOk;
    });
    app.CSettingINI.m_dwWriteCDOption = 1;
    DownloadFilePage* page = OpenPage();
    TypeSize("1");
    const std::string file = page->FilePath();
    PressStart();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(page->CopyToCD());
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_EQ(statuses, (std::vector<int>{kBackupWritingDisc, kBackupFinished}));
    ASSERT_EQ(backend->burns.size(), 1u);
    ASSERT_EQ(backend->burns[0].items.size(), 1u);
    EXPECT_EQ(backend->burns[0].items[0].name, std::filesystem::path(file).filename().string());
    DownloadFilePage::SetDiscSetupRunner({});
    AppDiscWriter().Cleanup();
    SetDiscBackendForTesting(nullptr);
    UnloadDiscLibrary();
}

TEST_F(DownloadPageTest, CopyToCdWhileTheLastDiscIsStillWrittenSaysSoAndStartsNothing) {
    auto backend = std::make_shared<FakeDiscBackend>();
    backend->hangBurns = true;
    SetDiscBackendForTesting(backend);
    UnloadDiscLibrary();
    AppDiscWriter().Cleanup();
    // A burn that a closed download window left to the keeper, still inside the writer.
    CCDBurner& writer = AppDiscWriter();
    ASSERT_EQ(writer.Init(Named("CH01_0001.dvr"), WriteCDProgressCallback), 1);
    writer.SetTarget(0, false, folder.path().string() + "/", "CH01_0001.dvr");
    ormidon::Thread burn([&writer](std::stop_token stop) { writer.Burn(stop); });
    ASSERT_TRUE(WaitUntil([&] { return backend->burning.load(); }));
    KeepDiscWorker(std::move(burn));
    const int scans = backend->scans.load();
    int dialogs = 0;
    DownloadFilePage::SetDiscSetupRunner([&](CWriteCDSettingDlg&) {
        ++dialogs;
        return CWriteCDSettingDlg::kResultOk;
    });
    app.CSettingINI.m_dwWriteCDOption = 1;
    DownloadFilePage* page = OpenPage();
    PressStart();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{CCDBurner::kStillFinishingText});
    EXPECT_EQ(backend->scans.load(), scans);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(downloads, 0);
    EXPECT_TRUE(BackupQueries().empty());
    EXPECT_TRUE(page->CopyToCD());
    EXPECT_TRUE(Control<QCheckBox>(DownloadFilePage::kIdCopyToCD)->isChecked());
    // The burn ends on its own; the writer is then free.
    backend->letGo = true;
    EXPECT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
    EXPECT_FALSE(writer.InUse());
    EXPECT_EQ(backend->burns.size(), 1u);  // the kept burn's, and no other
    DownloadFilePage::SetDiscSetupRunner({});
    AppDiscWriter().Cleanup();
    SetDiscBackendForTesting(nullptr);
    UnloadDiscLibrary();
}

TEST_F(DownloadPageTest, PlayHandsTheDownloadedFileOverASecondLater) {
    DownloadFilePage* page = OpenPage();
    TypeSize("1");
    answer = CDownloadProgressDlg::kResultPlay;
    const std::string file = page->FilePath();
    PressStart();
    ormidon::testing::ProcessEventsFor(20);
    ASSERT_TRUE(page->PlayPending());
    EXPECT_EQ(page->DownloadedFile(), file);

    // The timer's end posts kernel code 7 with the file (the mailbox stands open here
    // without its thread).
    app.h_KernelMailboxClosedEvent.Reset();
    app.h_KernelMessageSlotSem.Release();
    page->PlayDownloadedFile();
    EXPECT_FALSE(page->PlayPending());
    EXPECT_TRUE(app.h_KernelMessagePostSem.Wait(0));
    EXPECT_EQ(app.dw_KernelMessage, kKernelPlayBackupFile);
    EXPECT_EQ(app.str_KernelMessageFilePath, file);

    // The player shows it: every frame the recorder wrote for the request it got.
    const std::vector<RecorderWrite> requests = Writes("/NetworkBk.cgi");
    ASSERT_EQ(requests.size(), 1u);
    const std::optional<sim::HttpRequest> request = [&]() -> std::optional<sim::HttpRequest> {
        for (const sim::HttpRequest& r : device.Server().Log())
            if (r.path == "/NetworkBk.cgi") return r;
        return std::nullopt;
    }();
    ASSERT_TRUE(request.has_value());
    const auto number = [&](const char* name) {
        return request->NumberParam(name, 0, 9999).value();
    };
    const sim::BackupRecording written(number("CH"),
                                       {number("Year"), number("Month"), number("Day"),
                                        number("Hour"), number("Minute"), number("Second")},
                                       1024 * 1024);
    PlayerWindow player;
    ASSERT_TRUE(player.Load(app.str_KernelMessageFilePath)) << player.ErrorText().toStdString();
    EXPECT_EQ(static_cast<uint64_t>(player.FrameCount()), written.FrameCount());
    EXPECT_TRUE(player.StatusText().isEmpty());
    player.Play();
    EXPECT_TRUE(player.Playing());
    player.show();
    ormidon::testing::SaveScreenshot(&player, "player-downloaded-file");
}

}  // namespace
}  // namespace ormidon::test
