// The disc writer on a scripted backend: the set-up, the target checks, the burn with its
// import and newer-wins merge, the texts of every result, the image file asked during the
// burn, the setting dialog that starts fresh each time and offers Append Player only with a
// player package and names long drives whole in their tooltip and busy drives with why,
// drives read off the UI thread and given up on Cancel or without a thread, a burn stopped
// inside a drive call, a device kept until its writer is idle, a keeper whose thread cannot
// start, and exit's bounded wait.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <thread>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "FakeDiscBackend.h"
#include "backup/CCDBurner.h"
#include "backup/CDriveWaitDlg.h"
#include "backup/CWriteCDSettingDlg.h"
#include "backup/DiscBurnPrompts.h"
#include "backup/DiscLayer.h"
#include "platform/Event.h"
#include "platform/Paths.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Thread.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon::test {
namespace {

std::vector<std::pair<int, int>> g_hookCalls;
void RecordHook(int kind, int value, std::stop_token) { g_hookCalls.emplace_back(kind, value); }

class AnsweringPrompts final : public DiscBurnPrompts {
  public:
    std::string answer;
    int asked = 0;
    std::string AskImageFile(const std::string& suggested, const std::string& filter,
                             std::stop_token) override {
        ++asked;
        EXPECT_EQ(suggested, "Image.iso");
        EXPECT_EQ(filter, "Image Files (*.iso)|*.iso|All Files (*.*)|*.*");
        return answer;
    }
};

DiscIsoItem OnDisc(const std::string& name, int64_t time) {
    return DiscIsoItem{.name = name, .isReference = true, .entryTime = time};
}

constexpr int64_t k2007 = 1'180'000'000;  // 2007-05-24
constexpr int64_t k2008 = 1'210'000'000;  // 2008-05-05

class DiscWriterTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        backend = std::make_shared<FakeDiscBackend>();
        SetDiscBackendForTesting(backend);
        UnloadDiscLibrary();
        SetMessageBoxSink(&boxes);
        g_hookCalls.clear();
        source = (folder / "CH01_0001.dvr").string();
        WriteFile(source, "recording");
        writer = std::make_unique<CCDBurner>();
        writer->SetPrompts(&prompts);
        SetProgramFolderForTesting(folder.path());
    }
    void TearDown() override {
        writer.reset();
        SetMessageBoxSink(nullptr);
        SetDiscBackendForTesting(nullptr);
        UnloadDiscLibrary();
        SetProgramFolderForTesting({});
    }
    // Init and a target on the drive of `row`.
    void Ready(const std::string& name = "CH01_0001.dvr", int row = 0, bool closeDisc = false) {
        ASSERT_EQ(writer->Init(source, RecordHook), 1);
        writer->SetSourceSize(5 * 1024 * 1024);
        writer->SetTarget(row, closeDisc, folder.path().string() + "/", name);
    }
    std::vector<std::string> Texts() const { return boxes.Texts(); }
    // Answers the drive-wait window with Cancel once it shows (the UI thread answering
    // meanwhile is what lets this run at all); the window's text.
    void CancelTheDriveWaitWhenShown() {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* wait = qobject_cast<CDriveWaitDlg*>(widget);
                if (wait == nullptr || !wait->isVisible()) continue;
                waitText = FindControl<QLabel>(wait, CDriveWaitDlg::kIdText)->text();
                if (waitShown++ == 0) ormidon::testing::SaveScreenshot(wait, "drive-wait");
                FindControl<QPushButton>(wait, CDriveWaitDlg::kIdCancel)->click();
                poll->deleteLater();
                return;
            }
        });
        poll->start(5);
    }

    AppRecordScope scope;
    TempFolder folder;
    std::shared_ptr<FakeDiscBackend> backend;
    RecordingMessageBoxSink boxes;
    AnsweringPrompts prompts;
    std::string source;
    std::unique_ptr<CCDBurner> writer;
    int waitShown = 0;
    QString waitText;
};

TEST(DiscLayerTest, AnUnloadedLayerGivesItsFallbacks) {
    UnloadDiscLibrary();
    EXPECT_EQ(DiscInit(), 1);
    EXPECT_EQ(DiscDone(), 1);
    EXPECT_EQ(DiscOpenDevice("Image Recorder"), nullptr);
    EXPECT_FALSE(DiscGetCDInfo(nullptr, 0));
    EXPECT_FALSE(DiscGetAvailableDrivesEx(1));
    EXPECT_EQ(DiscCreateIsoTrackEx({}, "ODBackup", 11), nullptr);
    EXPECT_EQ(DiscBurn(nullptr, DiscWriteDesc{}, 4, DiscProgress{}), 1);
    EXPECT_FALSE(DiscImportDataTrack(nullptr, 0).imported);
}

TEST(DiscLayerTest, AKeeperWhoseThreadCannotStartHoldsItsWorkAndStartsLater) {
    // The keeper's last thread has ended, so the next work kept must start one.
    ASSERT_TRUE(WaitUntil([] { return !DiscKeeperRunning(); }));
    auto release = std::make_shared<std::atomic<bool>>(false);
    // A worker inside a drive call that does not see its stop.
    ormidon::Thread worker([release](std::stop_token) {
        while (!release->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    FailThreadStartsForTesting(1);
    EXPECT_NO_THROW(KeepDiscWorker(std::move(worker)));
    FailThreadStartsForTesting(0);
    // The keeper met the failure: it holds the worker without a thread.
    EXPECT_FALSE(DiscKeeperRunning());
    // Still held; the count starts the keeper's thread again.
    EXPECT_EQ(KeptDiscWork(), 1u);
    EXPECT_TRUE(DiscKeeperRunning());
    release->store(true);
    EXPECT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
}

TEST_F(DiscWriterTest, InitRefusesWithItsText) {
    const struct {
        int initResult;
        std::optional<std::vector<std::string>> drives;
        const char* text;
    } cases[] = {
        {1, std::vector<std::string>{"a"}, "The arguments are not valid."},
        {3, std::vector<std::string>{"a"},
         "An error occured. The type of error cannot be determined."},
        {0, std::nullopt, "No available devices."},
        {0, std::vector<std::string>{}, "The number of available devices is 0."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        backend->initResult = c.initResult;
        backend->drives = c.drives;
        CCDBurner fresh;
        EXPECT_EQ(fresh.Init(source, RecordHook), 0);
        ASSERT_FALSE(Texts().empty());
        EXPECT_EQ(Texts().back(), c.text);
        EXPECT_FALSE(fresh.Initialised());
    }
    CCDBurner empty;
    EXPECT_EQ(empty.Init("", RecordHook), 0);
    EXPECT_EQ(Texts().back(), "File name is not valid");
}

TEST_F(DiscWriterTest, CheckTargetTestsNameSpaceMediaAndTheLastSession) {
    const std::string longName = std::string(61, 'x') + ".dvr";
    const struct {
        const char* name;
        uint64_t freeBlocks;
        uint32_t flags;
        const char* onDisc;
        const char* text;  // nullptr: accepted
    } cases[] = {
        {"backup.avi", 2'295'104, kDiscMediaDvd, "", "The extension of file name should be (dvr)"},
        {"CH01_0001.DVR", 2'295'104, kDiscMediaDvd, "", nullptr},
        {".dvr", 2'295'104, kDiscMediaDvd, "", "Filename is not valid!"},
        {"a/b.dvr", 2'295'104, kDiscMediaDvd, "", "Filename is not valid!"},
        {longName.c_str(), 2'295'104, kDiscMediaDvd, "", "Filename is not valid!"},
        {"CH01_0001.dvr", 2'295'104, kDiscMediaDvd, "CH01_0001.dvr.bak",
         "FileName is tha same as other existed file,please modify it"},
        {"CH01_0001.dvr", 2'295'104, kDiscMediaDvd, "CH01_0002.dvr", nullptr},
        // 2,295,104 free blocks hold 500 MB; counted in 32 bits they would not.
        {"CH01_0001.dvr", 2'295'104, kDiscMediaCd, "", nullptr},
        {"CH01_0001.dvr", 200'000, kDiscMediaDvd, "", "No available space for writing CD."},
        {"CH01_0001.dvr", 2'295'104, 0, "", "NO DISC"},
        {"CH01_0001.dvr", 2'295'104, kDiscMediaNotWritable, "", "Disc is non writable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + std::string(" ") + c.onDisc);
        auto& disc = backend->discs["Fake Writer"];
        disc.info = DiscInfo{
            .freeBlocks = c.freeBlocks, .mediaFlags = c.flags, .trackCount = *c.onDisc ? 1u : 0u};
        disc.session = DiscImport{.imported = *c.onDisc != 0};
        if (*c.onDisc) disc.session.items = {OnDisc(c.onDisc, k2007)};
        Ready(c.name);
        writer->SetSourceSize(500ull * 1024 * 1024);
        const size_t shown = Texts().size();
        EXPECT_EQ(writer->CheckTarget(), c.text ? 0 : 1);
        if (c.text) {
            ASSERT_EQ(Texts().size(), shown + 1);
            EXPECT_EQ(Texts().back(), c.text);
        } else {
            EXPECT_EQ(Texts().size(), shown);
        }
        EXPECT_EQ(backend->openDevices.load(), 0);
    }
    // The image recorder has no disc to check.
    Ready("CH01_0001.dvr", 1);
    backend->discs[kImageRecorderName].info.reset();
    EXPECT_EQ(writer->CheckTarget(), 1);
}

TEST_F(DiscWriterTest, ABlankDiscGetsTheNewItemsAndCloseDiscPicksTheFlags) {
    for (bool closeDisc : {false, true}) {
        Ready("CH01_0001.dvr", 0, closeDisc);
        g_hookCalls.clear();
        EXPECT_EQ(writer->Burn(), 1);
        ASSERT_FALSE(backend->burns.empty());
        const auto& burn = backend->burns.back();
        EXPECT_EQ(burn.flags, closeDisc ? 0x4u : 0x14u);
        EXPECT_FALSE(burn.appends);
        ASSERT_EQ(burn.items.size(), 1u);
        EXPECT_EQ(burn.items[0].name, "CH01_0001.dvr");
        EXPECT_EQ(burn.items[0].sourcePath, source);
        EXPECT_EQ(backend->imports, 0);
        EXPECT_EQ(g_hookCalls,
                  (std::vector<std::pair<int, int>>{{0, 0}, {1, 50}, {1, 100}, {2, 0}}));
    }
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(backend->openDevices.load(), 0);
}

TEST_F(DiscWriterTest, TheLastSessionIsKeptAndTheNewerOfTwoNamesWins) {
    WriteFile(folder / "Tamburo_setup.exe", "player");
    const struct {
        int64_t discTime;
        bool newWins;
    } cases[] = {{k2007, true}, {INT64_MAX / 2, false}};
    for (const auto& c : cases) {
        auto& disc = backend->discs["Fake Writer"];
        disc.info->trackCount = 2;
        disc.session = DiscImport{
            .imported = true,
            .items = {OnDisc("TAMBURO_SETUP.EXE", c.discTime), OnDisc("CH02_0001.dvr", k2007)}};
        Ready();
        writer->SetAppendPlayer(true);
        EXPECT_EQ(writer->Burn(), 1);
        const auto& burn = backend->burns.back();
        EXPECT_TRUE(burn.appends);
        ASSERT_EQ(burn.items.size(), 3u);
        EXPECT_EQ(burn.items[0].name, "CH01_0001.dvr");
        EXPECT_EQ(burn.items[1].isReference, !c.newWins);
        EXPECT_EQ(burn.items[1].name, c.newWins ? "Tamburo_setup.exe" : "TAMBURO_SETUP.EXE");
        EXPECT_EQ(burn.items[2].name, "CH02_0001.dvr");
    }
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DiscWriterTest, MergingKeepsEachNameOnceAndTheNewer) {
    auto fresh = [](int64_t time) {
        return DiscIsoItem{.name = "Tamburo_setup.exe", .sourcePath = "/x", .entryTime = time};
    };
    DiscIsoItemList items{fresh(k2008)};
    ASSERT_TRUE(CCDBurner::MergeIsoTrees(items, {OnDisc("tamburo_setup.exe", k2007)}));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].entryTime, k2008);
    items = {fresh(k2007)};
    ASSERT_TRUE(CCDBurner::MergeIsoTrees(items, {OnDisc("tamburo_setup.exe", k2008)}));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].entryTime, k2008);
    EXPECT_TRUE(items[0].isReference);
    items = {fresh(k2007)};
    ASSERT_TRUE(CCDBurner::MergeIsoTrees(items, {OnDisc("tamburo_setup.exe", k2007)}));
    EXPECT_FALSE(items[0].isReference);  // equal times keep the new item
    EXPECT_FALSE(CCDBurner::MergeIsoTrees(items, {}));
    // A new item whose file is gone loses to the disc's, with the file's name shown.
    items = {DiscIsoItem{.name = "a.dvr", .sourcePath = (folder / "gone").string()}};
    ASSERT_TRUE(CCDBurner::MergeIsoTrees(items, {OnDisc("a.dvr", 0)}));
    EXPECT_TRUE(items[0].isReference);
    EXPECT_EQ(Texts().back(), "Could not open file: " + (folder / "gone").string() + ".");
}

TEST_F(DiscWriterTest, EachResultAndImportErrorShowsItsText) {
    const std::pair<int, const char*> results[] = {
        {1, "Write CD Error : unknown CD format"}, {2, "Write CD Error : invalid drive"},
        {3, "Write CD Error : burn failed"},       {4, "Write CD Error : function not allowed"},
        {5, "Write CD Error : drive not allowed"}, {6, "Write CD Error : user aborted"},
        {7, "Write CD Error : bad message file"},  {99, "Write CD Error : unknown error"},
    };
    for (const auto& [result, text] : results) {
        backend->discs["Fake Writer"].burnResult = result;
        Ready();
        EXPECT_EQ(writer->Burn(), 1);
        EXPECT_EQ(Texts().back(), text);
    }
    backend->discs["Fake Writer"].burnResult = kDiscBurnOk;
    const std::pair<int, const char*> imports[] = {
        {1, "a generic error"},    {2, "a drive error"},           {3, "a read error"},
        {4, "a filesystem error"}, {5, "an invalid track number"}, {9, "an unknown error"},
    };
    const size_t burns = backend->burns.size();
    for (const auto& [error, what] : imports) {
        auto& disc = backend->discs["Fake Writer"];
        disc.info->trackCount = 1;
        disc.session = DiscImport{.error = error};
        Ready();
        EXPECT_EQ(writer->Burn(), 1);
        EXPECT_EQ(Texts().back(), std::string("There was ") + what + " while importing the track!");
    }
    EXPECT_EQ(CCDBurner::ImportErrorText(0),
              "There was an unknown error while importing the track!");
    EXPECT_EQ(backend->burns.size(), burns);  // nothing written after a failed import
}

TEST_F(DiscWriterTest, AbortEndsTheBurnAsUserAborted) {
    Ready();
    writer->Abort();
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_EQ(Texts().back(), "Write CD Error : user aborted");
    // The flag is clear for the next burn.
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_EQ(Texts().size(), 1u);
}

TEST_F(DiscWriterTest, TheImageRecorderAsksForTheFileOnTheBurnsBehalf) {
    Ready("CH01_0001.dvr", 1);
    prompts.answer = (folder / "backup.iso").string();
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_EQ(prompts.asked, 1);
    EXPECT_EQ(backend->burns.back().imageFile, prompts.answer);
    EXPECT_TRUE(Texts().empty());
    prompts.answer.clear();  // cancelled
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_EQ(Texts().back(), "Write CD Error : user aborted");
}

TEST_F(DiscWriterTest, AMissingPlayerSetupIsLeftOutAndTheBackupStillWritten) {
    Ready();
    writer->SetAppendPlayer(true);
    EXPECT_EQ(writer->Burn(), 1);
    ASSERT_EQ(backend->burns.size(), 1u);
    EXPECT_EQ(backend->burns[0].items.size(), 1u);
    EXPECT_EQ(Texts().back(),
              "Could not open file: " + (folder / "Tamburo_setup.exe").string() + ".");
}

TEST_F(DiscWriterTest, ADriveThatDoesNotOpenEndsTheBurnWithItsText) {
    Ready();
    backend->discs["Fake Writer"].opens = false;
    g_hookCalls.clear();
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_TRUE(backend->burns.empty());
    EXPECT_EQ(Texts().back(), "Device could not be opened: Fake Writer");
    EXPECT_EQ(g_hookCalls, (std::vector<std::pair<int, int>>{{2, 0}}));
    // Without a disc the burn gives 0.
    backend->discs["Fake Writer"].opens = true;
    backend->discs["Fake Writer"].info.reset();
    EXPECT_EQ(writer->Burn(), 0);
    EXPECT_EQ(Texts().back(), "NO DISC");
}

TEST_F(DiscWriterTest, ARefusedCheckReopensAFreshSettingDialog) {
    scope.App().CSettingINI.m_dwWriteCDCloseOption = 1;
    int dialogs = 0;
    auto result = RunWriteCDSetup(*writer, source, 500, nullptr, [&](CWriteCDSettingDlg& dialog) {
        ++dialogs;
        auto* name = FindControl<QLineEdit>(&dialog, CWriteCDSettingDlg::kIdFileName);
        auto* append = FindControl<QCheckBox>(&dialog, CWriteCDSettingDlg::kIdAppendPlayer);
        auto* close = FindControl<QCheckBox>(&dialog, CWriteCDSettingDlg::kIdCloseDisc);
        auto* drives = FindControl<QComboBox>(&dialog, CWriteCDSettingDlg::kIdDrives);
        EXPECT_EQ(name->text(), "CH01_0001.dvr");
        EXPECT_FALSE(append->isChecked());
        EXPECT_TRUE(close->isChecked());
        EXPECT_EQ(drives->count(), 2);
        EXPECT_EQ(
            FindControl<QLineEdit>(&dialog, CWriteCDSettingDlg::kIdSource)->text().toStdString(),
            source);
        if (dialogs == 1) {
            dialog.show();
            ormidon::testing::SaveScreenshot(&dialog, "write-cd-setting");
            name->setText("backup.avi");
            append->setChecked(true);
            close->setChecked(false);  // written through to the setting
            EXPECT_EQ(scope.App().CSettingINI.m_dwWriteCDCloseOption, 0);
            scope.App().CSettingINI.m_dwWriteCDCloseOption = 1;
            return CWriteCDSettingDlg::kResultOk;
        }
        if (dialogs == 2) {
            drives->setCurrentIndex(1);
            name->setText("CH01_0009.dvr");
            return CWriteCDSettingDlg::kResultOk;
        }
        return CWriteCDSettingDlg::kResultCancel;
    });
    EXPECT_EQ(result, DiscSetupResult::Ready);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"The extension of file name should be (dvr)"}));
    EXPECT_EQ(writer->TargetName(), folder.path().string() + "/CH01_0009.dvr");
    EXPECT_EQ(writer->SourceSize(), 500ull * 1024 * 1024);
    EXPECT_FALSE(writer->AppendPlayer());

    result = RunWriteCDSetup(*writer, source, 5, nullptr,
                             [](CWriteCDSettingDlg&) { return CWriteCDSettingDlg::kResultCancel; });
    EXPECT_EQ(result, DiscSetupResult::Cancelled);
    backend->drives.reset();
    EXPECT_EQ(RunWriteCDSetup(*writer, source, 5, nullptr, {}), DiscSetupResult::InitFailed);
}

TEST_F(DiscWriterTest, AWriterRunningOnAfterTheAbortIsFreedOnlyOnceIdle) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    backend->runsAfterAbortMs = 3000;
    Ready();
    writer->Abort();
    EXPECT_EQ(writer->Burn(), 1);
    EXPECT_EQ(Texts().back(), "Write CD Error : user aborted");
    // The burn gave up on the writer; the drive is kept, not freed under it.
    EXPECT_EQ(backend->openDevices.load(), 1);
    EXPECT_EQ(KeptDiscWork(), 1u);
    clock.Advance(2999);
    // Two more looks of the keeper, the second begun after the clock moved (or its letting go).
    const uint64_t polls = DiscKeeperPolls();
    ASSERT_TRUE(
        WaitUntil([&] { return DiscKeeperPolls() >= polls + 2 || backend->openDevices == 0; }));
    EXPECT_EQ(backend->openDevices.load(), 1);
    EXPECT_EQ(KeptDiscWork(), 1u);
    clock.Advance(1);
    EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
    EXPECT_EQ(backend->openDevices.load(), 0);
    EXPECT_FALSE(backend->freedWhileBusy.load());
}

TEST_F(DiscWriterTest, ABurnStoppedInsideADriveCallEndsOnceTheCallReturns) {
    WriteFile(folder / "Tamburo_setup.exe", "player");
    auto& disc = backend->discs["Fake Writer"];
    disc.info->trackCount = 1;
    disc.session = DiscImport{.imported = true, .items = {OnDisc("CH02_0001.dvr", k2007)}};
    for (const char* call : {"open", "info", "import", "burn"}) {
        SCOPED_TRACE(call);
        Ready();
        writer->SetAppendPlayer(true);
        backend->letGo = false;
        backend->hangIn = call;
        ormidon::Thread burn([this](std::stop_token stop) { writer->Burn(stop); });
        ASSERT_TRUE(WaitUntil([&] { return backend->hanging.load(); }));
        const size_t hooked = g_hookCalls.size();
        // Its window went: the worker is kept and asked to stop; then the drive answers.
        KeepDiscWorker(std::move(burn));
        backend->letGo = true;
        ASSERT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
        // Nothing more was asked of the backend, shown or reported; the drive was let go.
        EXPECT_EQ(backend->Calls().back(), call);
        EXPECT_TRUE(Texts().empty());
        EXPECT_EQ(g_hookCalls.size(), hooked);
        EXPECT_EQ(backend->openDevices.load(), 0);
        EXPECT_FALSE(writer->InUse());
        backend->hangIn.clear();
    }
}

TEST_F(DiscWriterTest, AScanThatDoesNotEndIsReadOffTheUiThreadAndEndsOnCancel) {
    backend->scanUntilStopped = true;
    CancelTheDriveWaitWhenShown();
    int dialogs = 0;
    const auto result = RunWriteCDSetup(*writer, source, 5, nullptr, [&](CWriteCDSettingDlg&) {
        ++dialogs;
        return CWriteCDSettingDlg::kResultCancel;
    });
    EXPECT_EQ(result, DiscSetupResult::Cancelled);
    EXPECT_EQ(waitShown, 1);
    EXPECT_EQ(waitText, CDriveWaitDlg::kText);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(Texts().empty());
    // The scan sees the stop and its worker is joined.
    EXPECT_TRUE(WaitUntil([&] { return !backend->scanning.load() && KeptDiscWork() == 0; }));
}

TEST_F(DiscWriterTest, ACheckOnADriveThatDoesNotAnswerIsGivenUpOnCancel) {
    CancelTheDriveWaitWhenShown();
    const auto result = RunWriteCDSetup(*writer, source, 5, nullptr, [&](CWriteCDSettingDlg&) {
        backend->hangOpens = true;  // from the check on
        return CWriteCDSettingDlg::kResultOk;
    });
    EXPECT_EQ(result, DiscSetupResult::Cancelled);
    EXPECT_EQ(waitShown, 1);
    EXPECT_TRUE(Texts().empty());
    // The worker inside the drive was not waited for: the keeper holds it until the drive
    // answers.
    EXPECT_EQ(backend->hangingOpens.load(), 1);
    EXPECT_EQ(KeptDiscWork(), 1u);
    backend->letGo = true;
    EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
    EXPECT_EQ(backend->openDevices.load(), 0);
    // The check ended with the open: nothing more was asked of the drive.
    EXPECT_EQ(backend->Calls().back(), "open");
}

TEST_F(DiscWriterTest, AppendPlayerIsOfferedOnlyWithAPlayerPackage) {
    ASSERT_EQ(writer->Init(source, RecordHook), 1);
    for (bool package : {false, true}) {
        SCOPED_TRACE(package ? "with the package" : "without");
        if (package) WriteFile(folder / "Tamburo_setup.exe", "player");
        CWriteCDSettingDlg dialog;
        ASSERT_EQ(dialog.Prepare(source, writer->DriveNames(), 1, 1024, *writer), 1);
        auto* append = FindControl<QCheckBox>(&dialog, CWriteCDSettingDlg::kIdAppendPlayer);
        EXPECT_EQ(append->isEnabled(), package);
        EXPECT_EQ(append->toolTip(),
                  package ? QString() : QString(CWriteCDSettingDlg::kNoPlayerSetupTip));
        EXPECT_FALSE(append->isChecked());
    }
}

TEST_F(DiscWriterTest, ADriveReadThatFindsNoThreadEndsWithItsMessage) {
    // The scan of Init: the writer's failure path, its reason shown.
    FailThreadStartsForTesting(1);
    DiscSetupResult result = DiscSetupResult::Ready;
    EXPECT_NO_THROW(result = RunWriteCDSetup(*writer, source, 5, nullptr, [](CWriteCDSettingDlg&) {
                        return CWriteCDSettingDlg::kResultCancel;
                    }));
    FailThreadStartsForTesting(0);
    EXPECT_EQ(result, DiscSetupResult::InitFailed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{CCDBurner::kNoWorkerText}));
    EXPECT_EQ(backend->scans.load(), 0);
    // The check of the target: its reason, then a fresh setting dialog.
    int dialogs = 0;
    EXPECT_NO_THROW(result = RunWriteCDSetup(*writer, source, 5, nullptr, [&](CWriteCDSettingDlg&) {
                        if (++dialogs > 1) return CWriteCDSettingDlg::kResultCancel;
                        FailThreadStartsForTesting(1);
                        return CWriteCDSettingDlg::kResultOk;
                    }));
    FailThreadStartsForTesting(0);
    EXPECT_EQ(result, DiscSetupResult::Cancelled);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(Texts().back(), CCDBurner::kNoWorkerText);
    EXPECT_EQ(backend->openDevices.load(), 0);
    EXPECT_EQ(KeptDiscWork(), 0u);
}

TEST_F(DiscWriterTest, ADriveTheKeeperHoldsIsNamedBusyInTheDriveBox) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    // As libburn does: no scan finds a drive while one is held.
    backend->refuseScansWhileOpen = true;
    backend->runsAfterAbortMs = 3000;
    Ready();
    writer->Abort();
    EXPECT_EQ(writer->Burn(), 1);
    ASSERT_EQ(KeptDiscWork(), 1u);

    ASSERT_EQ(writer->Init(source, RecordHook), 1);
    EXPECT_EQ(writer->DriveNames(), (std::vector<std::string>{kImageRecorderName}));
    EXPECT_EQ(writer->BusyDriveNames(), (std::vector<std::string>{"Fake Writer"}));
    EXPECT_TRUE(writer->DrivesHeldBack());
    {
        CWriteCDSettingDlg dialog;
        ASSERT_EQ(dialog.Prepare(source, writer->DriveNames(), 1, 1024, *writer), 1);
        auto* drives = FindControl<QComboBox>(&dialog, CWriteCDSettingDlg::kIdDrives);
        ASSERT_EQ(drives->count(), 3);
        EXPECT_EQ(drives->currentIndex(), 0);
        EXPECT_EQ(drives->itemText(0), kImageRecorderName);
        EXPECT_EQ(drives->itemText(1), QString("Fake Writer") + CWriteCDSettingDlg::kBusyDriveNote);
        // Other burners the system would not list meanwhile are not left out without a word.
        EXPECT_EQ(drives->itemText(2), CWriteCDSettingDlg::kHeldBackRow);
        auto* model = qobject_cast<QStandardItemModel*>(drives->model());
        ASSERT_NE(model, nullptr);
        EXPECT_TRUE(model->item(0)->isEnabled());
        EXPECT_FALSE(model->item(1)->isEnabled());
        EXPECT_FALSE(model->item(2)->isEnabled());
        EXPECT_EQ(dialog.DriveRow(), 0);
    }
    // Once the drive is idle the keeper lets it go, and the next scan finds it again.
    clock.Advance(3000);
    ASSERT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
    ASSERT_EQ(writer->Init(source, RecordHook), 1);
    EXPECT_EQ(writer->DriveNames(), (std::vector<std::string>{"Fake Writer", kImageRecorderName}));
    EXPECT_TRUE(writer->BusyDriveNames().empty());
    EXPECT_FALSE(writer->DrivesHeldBack());
}

TEST_F(DiscWriterTest, ALongDriveNameIsCutInTheMiddleAndShownWholeAsItsTooltip) {
    const std::string longName = "stdio:/home/operator/ormidon/build/demo/disc.iso";
    backend->drives = std::vector<std::string>{longName, "Fake Writer", kImageRecorderName};
    ASSERT_EQ(writer->Init(source, RecordHook), 1);
    CWriteCDSettingDlg dialog;
    ASSERT_EQ(dialog.Prepare(source, writer->DriveNames(), 1, 1024, *writer), 1);
    dialog.show();
    auto* drives = FindControl<QComboBox>(&dialog, CWriteCDSettingDlg::kIdDrives);
    ASSERT_EQ(drives->count(), 3);
    QStyleOptionComboBox option;
    option.initFrom(drives);
    const QRect field = drives->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, drives);
    const QString shown = drives->itemText(0);
    EXPECT_LE(drives->fontMetrics().horizontalAdvance(shown), field.width());
    EXPECT_TRUE(shown.startsWith("stdio:/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("/disc.iso")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_EQ(drives->itemData(0, Qt::ToolTipRole).toString().toStdString(), longName);
    EXPECT_EQ(drives->toolTip().toStdString(), longName);
    // A name that fits is whole and has no tooltip.
    EXPECT_EQ(drives->itemText(1), "Fake Writer");
    EXPECT_FALSE(drives->itemData(1, Qt::ToolTipRole).isValid());
    ormidon::testing::SaveScreenshot(&dialog, "write-cd-setting-long-drive");
    drives->setCurrentIndex(1);
    EXPECT_TRUE(drives->toolTip().isEmpty());
}

TEST_F(DiscWriterTest, ExitWaitsForAKeptBurnOnlyUpToItsBoundAndKeepsTheWriterItUses) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    backend->hangBurns = true;
    CCDBurner& app = AppDiscWriter();
    ASSERT_EQ(app.Init(source, RecordHook), 1);
    app.SetTarget(0, false, folder.path().string() + "/", "CH01_0001.dvr");
    // A burn that a closed window left to the keeper, on a drive that answers no abort.
    ormidon::Thread burn([&app](std::stop_token stop) { app.Burn(stop); });
    ASSERT_TRUE(WaitUntil([&] { return backend->burning.load(); }));
    KeepDiscWorker(std::move(burn));
    std::atomic<int> ended{-1};
    std::thread exit([&] { ended = EndDiscWriting(kDiscWritingExitBoundMs) ? 1 : 0; });
    // The exit's waits run on the test clock: its bound, then the short while that kept work
    // gets once asked to stop, and not a step more.
    const std::optional<uint32_t> waited = AdvanceUntil(
        clock, [&] { return ended.load() >= 0; }, 100, 60'000, 1);
    exit.join();
    ASSERT_TRUE(waited.has_value());
    EXPECT_GE(*waited, kDiscWritingExitBoundMs);
    EXPECT_LE(*waited, kDiscWritingExitBoundMs + 1000);
    EXPECT_EQ(ended.load(), 0);
    // The burn runs on with its writer.
    EXPECT_TRUE(backend->burning.load());
    EXPECT_TRUE(app.InUse());
    EXPECT_EQ(&AppDiscWriter(), &app);
    backend->letGo = true;
    ASSERT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
    EXPECT_FALSE(app.InUse());
    EXPECT_TRUE(EndDiscWriting(kDiscWritingExitBoundMs));
    EXPECT_FALSE(DiscLibraryLoaded());
}

TEST_F(DiscWriterTest, AWorkerKeptRunningGoesOnUntilExitStopsIt) {
    // A request to the device that its window must not cut short: kept, not stopped.
    std::atomic<bool> stopped{false};
    ormidon::Event never(true, false);
    ormidon::Thread request([&](std::stop_token stop) {
        never.Wait(ormidon::kInfinite, stop);
        stopped = true;
    });
    KeepRunningWorker(std::move(request));
    EXPECT_EQ(KeptDiscWork(), 1u);
    const uint64_t polls = DiscKeeperPolls();
    ASSERT_TRUE(WaitUntil([&] { return DiscKeeperPolls() >= polls + 2; }));
    EXPECT_FALSE(stopped.load());
    EXPECT_EQ(KeptDiscWork(), 1u);
    // Exit gives it its bound, then asks it to stop and waits for it.
    EXPECT_TRUE(EndKeptDiscWork(100));
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(KeptDiscWork(), 0u);
}

}  // namespace
}  // namespace ormidon::test
