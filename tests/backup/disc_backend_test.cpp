// The libburn and libisofs backend on a stdio pseudo-drive in a temporary folder, read back
// with libisofs: a first session, an appended one that keeps the first, newer-wins, an abort
// and a write libburn refuses that leave the disc as it was, a damaged session whose
// libisofs messages reach the error log, an abort while writing whose
// drive the keeper holds until libburn lets go, and the image recorder that replaces a file
// only when done. A drive scan played through libburn's calls: one that a stop left running
// is polled on and freed once, by the keeper outside its lock.
#include <gtest/gtest.h>
#include <libburn/libburn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <future>
#include <iostream>
#include <mutex>
#include <thread>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "IsoReadBack.h"
#include "backup/DiscLayer.h"
#include "backup/LibburnDiscBackend.h"

#if defined(__SANITIZE_ADDRESS__)
// A scan that writes into the frame of a call that has returned shows as a stack use after
// return only on the sanitizer's fake stacks.
extern "C" const char* __asan_default_options() { return "detect_stack_use_after_return=1"; }
#endif

namespace ormidon::test {
namespace {

std::string Pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

class DiscBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        disc = "stdio:" + (folder / "disc.iso").string();
        backend = std::make_unique<LibburnDiscBackend>(
            LibburnDiscBackend::Options{.scanDrives = false, .stdioDrives = {disc}});
        ASSERT_EQ(backend->Init(), 0);
        auto drives = backend->GetAvailableDrives(1, {});
        ASSERT_TRUE(drives);
        ASSERT_EQ(*drives, (std::vector<std::string>{disc, kImageRecorderName}));
    }

    DiscIsoItem NewItem(const std::string& name, const std::string& bytes) {
        WriteFile(folder / name, bytes);
        return DiscIsoItem{.name = name, .sourcePath = (folder / name).string()};
    }

    // One burn as the writer does it: import what the disc holds, keep it unless a new
    // item of the same name replaces it.
    int Burn(const std::string& drive, DiscIsoItemList items, DiscProgress progress = {},
             uint32_t flags = kDiscBurnWrite | kDiscBurnKeepOpen) {
        auto device = backend->OpenDevice(drive);
        if (!device) return -1;
        DiscWriteDesc desc;
        if (auto info = backend->GetCDInfo(*device, 0); info && info->trackCount > 0) {
            DiscImport imported = backend->ImportDataTrack(*device, int(info->trackCount) - 1);
            EXPECT_TRUE(imported.imported) << imported.error;
            for (auto& old : imported.items) {
                bool replaced = false;
                for (auto& item : items) replaced |= item.name == old.name;
                if (!replaced) items.push_back(old);
            }
            desc.stamp = imported.stamp;
        }
        DiscIsoTrack track{.items = std::move(items), .volume = "ODBackup"};
        desc.track = &track;
        const int result = backend->Burn(*device, desc, flags, progress);
        if (result != kDiscBurnOk) std::cerr << backend->GetErrorLog();
        // As the writer does: a drive libburn still holds goes to the keeper.
        DiscCloseDevice(device);
        return result;
    }
    void TearDown() override {
        EXPECT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
    }

    TempFolder folder;
    std::string disc;
    std::unique_ptr<LibburnDiscBackend> backend;
};

TEST_F(DiscBackendTest, ABlankStdioDriveTakesAFileAndASecondBurnAppends) {
    {
        auto device = backend->OpenDevice(disc);
        ASSERT_TRUE(device);
        auto info = backend->GetCDInfo(*device, 1);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->mediaFlags, kDiscMediaDvd);
        EXPECT_EQ(info->trackCount, 0u);
        EXPECT_GT(info->freeBlocks, 2000u);
    }
    const std::string first = Pattern(3 * 1024 * 1024, 'a');
    std::vector<int> percents;
    DiscProgress progress{.progress = [&](int p) { percents.push_back(p); }};
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0001.dvr", first)}, progress), kDiscBurnOk);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    auto back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->volume, "ODBACKUP");  // ISO 9660 keeps volume names upper-case
    ASSERT_EQ(back->files.size(), 1u);
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);

    const std::string second = Pattern(100 * 1024, 'b');
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0002.dvr", second)}), kDiscBurnOk);
    back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->files.size(), 2u);
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);
    EXPECT_TRUE(back->files["CH01_0002.dvr"].content == second);
    {
        auto device = backend->OpenDevice(disc);
        auto info = backend->GetCDInfo(*device, 0);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->trackCount, 1u);
        DiscImport imported = backend->ImportDataTrack(*device, 0);
        ASSERT_TRUE(imported.imported);
        EXPECT_EQ(imported.items.size(), 2u);
    }
}

TEST_F(DiscBackendTest, ANewerItemReplacesTheDiscsAndAnOlderOneIsLeftOut) {
    ASSERT_EQ(Burn(disc, {NewItem("Tamburo_setup.exe", "2007")}), kDiscBurnOk);
    // The list the writer hands over after its merge: the new item, the disc's other items.
    ASSERT_EQ(Burn(disc, {NewItem("Tamburo_setup.exe", "2008"), NewItem("a.dvr", "a")}),
              kDiscBurnOk);
    auto back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->files["Tamburo_setup.exe"].content, "2008");
    EXPECT_EQ(back->files["a.dvr"].content, "a");
}

TEST_F(DiscBackendTest, AnAbortedAppendLeavesThePreviousSession) {
    const std::string first = Pattern(200 * 1024, 'c');
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0001.dvr", first)}), kDiscBurnOk);
    const auto before = ReadFile(folder / "disc.iso").substr(0, 64 * 1024);
    std::atomic<bool> abort{false};
    DiscProgress progress{.progress = [&](int) { abort = true; },
                          .aborted = [&] { return abort.load(); }};
    abort = true;
    EXPECT_EQ(Burn(disc, {NewItem("CH01_0002.dvr", Pattern(3 * 1024 * 1024, 'd'))}, progress),
              kDiscBurnUserAborted);
    EXPECT_TRUE(ReadFile(folder / "disc.iso").substr(0, 64 * 1024) == before);
    auto back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->files.size(), 1u);
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);
}

TEST_F(DiscBackendTest, TheImageRecorderReplacesTheFileOnlyWhenTheImageIsWhole) {
    const auto image = folder / "out.iso";
    WriteFile(image, "old");
    int asked = 0;
    bool abort = true;
    DiscProgress progress{.aborted = [&] { return abort; },
                          .userDialog =
                              [&](int request, std::string& data) {
                                  ++asked;
                                  EXPECT_EQ(request, kDiscRequestImageFile);
                                  data = image.string();
                                  return int(kDiscAnswerImageChosen);
                              }};
    const std::string bytes = Pattern(300 * 1024, 'e');
    EXPECT_EQ(Burn(kImageRecorderName, {NewItem("CH02_0001.dvr", bytes)}, progress),
              kDiscBurnUserAborted);
    EXPECT_EQ(ReadFile(image), "old");
    abort = false;
    EXPECT_EQ(Burn(kImageRecorderName, {NewItem("CH02_0001.dvr", bytes)}, progress), kDiscBurnOk);
    EXPECT_EQ(asked, 2);
    auto back = ReadIsoImage(image);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->files["CH02_0001.dvr"].content == bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2);  // the source and the image: no temporary file left

    progress.userDialog = [](int, std::string&) { return int(kDiscAnswerImageCancelled); };
    EXPECT_EQ(Burn(kImageRecorderName, {NewItem("CH02_0001.dvr", bytes)}, progress),
              kDiscBurnUserAborted);
}

// libburn takes no job while another runs on the drive: the write's start returns at once.
void RefuseTheWrite(burn::burn_write_opts*, burn::burn_disc*) {}

TEST_F(DiscBackendTest, ABurnLibburnRefusesReadsAsFailedAndLeavesTheDiscAsItWas) {
    const std::string first = Pattern(200 * 1024, 'c');
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0001.dvr", first)}), kDiscBurnOk);
    const std::string before = ReadFile(folder / "disc.iso");
    LibburnDiscBackend::SetDiscWriteForTesting(RefuseTheWrite);
    EXPECT_EQ(Burn(disc, {NewItem("CH01_0002.dvr", "refused")}), kDiscBurnFailed);
    LibburnDiscBackend::SetDiscWriteForTesting(nullptr);
    // Block 0 still points to the first session.
    EXPECT_TRUE(ReadFile(folder / "disc.iso") == before);
    auto back = ReadIsoImage(folder / "disc.iso");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->files.size(), 1u);
    EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);
}

// Gives the first file record of the session's root folder a length that cuts its name.
void CutTheFirstFileRecord(const std::filesystem::path& image) {
    std::string bytes = ReadFile(image);
    constexpr size_t kBlock = 2048, kRootRecord = 16 * kBlock + 156;
    uint32_t root = 0;
    for (int i = 3; i >= 0; --i) root = root << 8 | uint8_t(bytes[kRootRecord + 2 + i]);
    size_t record = size_t(root) * kBlock;
    for (int skip = 0; skip < 2; ++skip) record += uint8_t(bytes[record]);  // "." and ".."
    bytes[record] = 20;
    WriteFile(image, bytes);
}

// libisofs keeps its messages until they are taken: the error log takes them with libburn's.
TEST_F(DiscBackendTest, ADamagedSessionsMessagesGoToTheErrorLogOnce) {
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0001.dvr", "first")}), kDiscBurnOk);
    CutTheFirstFileRecord(folder / "disc.iso");
    auto countIn = [](const std::string& log, const std::string& text) {
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    };
    for (int round = 0; round < 2; ++round) {
        backend->ClearErrors();
        {
            auto device = backend->OpenDevice(disc);
            ASSERT_TRUE(device);
            (void)backend->ImportDataTrack(*device, 0);
        }
        EXPECT_EQ(countIn(backend->GetErrorLog(), "Can't open dir"), 1u) << round;
    }
    backend->ClearErrors();
    EXPECT_EQ(backend->GetErrorLog(), "");
}

TEST(LibburnVersionTest, ALibburnOtherThanTheOneTheHoldWasMeasuredOnIsNoted) {
    EXPECT_EQ(LibburnDiscBackend::VersionNote(1, 5, 4), "");
    EXPECT_EQ(LibburnDiscBackend::VersionNote(1, 5, 6),
              "libburn 1.5.6: the hold of a drive after an aborted burn was measured on "
              "libburn 1.5.4");
    EXPECT_NE(LibburnDiscBackend::VersionNote(1, 4, 4), "");
}

TEST_F(DiscBackendTest, AnAbortWhileWritingLeavesTheDriveToTheKeeperUntilLibburnLetsGo) {
    const std::string first = Pattern(200 * 1024, 'c');
    ASSERT_EQ(Burn(disc, {NewItem("CH01_0001.dvr", first)}), kDiscBurnOk);
    // The drive stops within the burn's bound, or the burn gives up on it at once.
    for (int bound : {1000, 0}) {
        SCOPED_TRACE("abort bound " + std::to_string(bound));
        SetDiscBackendForTesting(std::make_shared<LibburnDiscBackend>(LibburnDiscBackend::Options{
            .scanDrives = false, .stdioDrives = {disc}, .abortBoundMs = bound}));
        LoadDiscLibrary();
        ASSERT_EQ(DiscInit(), 0);
        ASSERT_TRUE(DiscGetAvailableDrivesEx(1));
        auto device = DiscOpenDevice(disc);
        ASSERT_TRUE(device);
        auto info = DiscGetCDInfo(device.get(), 0);
        ASSERT_TRUE(info);
        DiscImport imported = DiscImportDataTrack(device.get(), int(info->trackCount) - 1);
        ASSERT_TRUE(imported.imported);
        DiscIsoItemList items = imported.items;
        items.push_back(NewItem("CH01_0002.dvr", Pattern(16 * 1024 * 1024, 'd')));
        DiscIsoTrack track{.items = std::move(items), .volume = "ODBackup"};
        DiscWriteDesc desc{.track = &track, .stamp = imported.stamp};
        std::atomic<bool> writing{false};
        DiscProgress progress{.progress = [&](int percent) { writing = writing || percent > 0; },
                              .aborted = [&] { return writing.load(); }};
        EXPECT_EQ(DiscBurn(device.get(), desc, kDiscBurnWrite | kDiscBurnKeepOpen, progress),
                  kDiscBurnUserAborted);
        // libburn still holds the drive: the keeper has it until libburn lets go.
        DiscCloseDevice(device);
        EXPECT_EQ(KeptDiscDrives(), std::vector<std::string>{disc});
        ASSERT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
        // Free again: the next burn appends behind the first session.
        const std::string name = "CH01_000" + std::to_string(bound == 0 ? 3 : 4) + ".dvr";
        ASSERT_EQ(Burn(disc, {NewItem(name, "after the abort")}), kDiscBurnOk);
        auto back = ReadIsoImage(folder / "disc.iso");
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->files["CH01_0001.dvr"].content == first);
        EXPECT_EQ(back->files[name].content, "after the abort");
        EXPECT_EQ(back->files.count("CH01_0002.dvr"), 0u);
    }
    SetDiscBackendForTesting(nullptr);
    UnloadDiscLibrary();
}

// A drive scan played the way libburn runs one: its first call starts it and keeps the two
// pointers it was given; later calls give 0 until the scan's thread has written the drive
// array through those first pointers, and then 1.
struct PlayedScan {
    std::mutex mutex;
    burn::burn_drive_info** infos = nullptr;
    unsigned int* count = nullptr;
    bool running = false;
    bool finished = false;
    bool refuse = false;  // as while a drive of this process is held
    std::atomic<int> started{0};
    burn::burn_drive_info* array = nullptr;
    std::vector<burn::burn_drive_info*> freed;
    // A free that takes its time (drives unlocked and closed one by one) until let go.
    std::atomic<bool> holdFree{false};
    std::atomic<bool> freeing{false};

    // What the scan's own thread does at its end, whoever polls it meanwhile.
    void Finish() {
        std::lock_guard lock(mutex);
        array = static_cast<burn::burn_drive_info*>(std::calloc(1, sizeof(burn::burn_drive_info)));
        std::strcpy(array[0].vendor, "VENDOR");
        std::strcpy(array[0].product, "Burner");
        *infos = array;
        *count = 1;
        finished = true;
    }
};
PlayedScan* g_playedScan = nullptr;

int PlayScan(burn::burn_drive_info** infos, unsigned int* count) {
    std::lock_guard lock(g_playedScan->mutex);
    if (g_playedScan->refuse) return -1;
    if (!g_playedScan->running) {
        g_playedScan->running = true;
        g_playedScan->finished = false;
        ++g_playedScan->started;
        g_playedScan->infos = infos;
        g_playedScan->count = count;
        *infos = nullptr;
        *count = 0;
        return 0;
    }
    if (!g_playedScan->finished) return 0;
    g_playedScan->running = false;
    return 1;
}
void FreePlayedInfos(burn::burn_drive_info* infos) {
    g_playedScan->freeing = true;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_playedScan->holdFree && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_playedScan->freeing = false;
    std::lock_guard lock(g_playedScan->mutex);
    g_playedScan->freed.push_back(infos);
    std::free(infos);
}
int PlayedAddress(burn::burn_drive_info*, char* address) {
    std::strcpy(address, "/dev/sr9");
    return 1;
}
constexpr LibburnScanCalls kPlayedScanCalls{PlayScan, FreePlayedInfos, PlayedAddress};

class LibburnScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_playedScan = &scan;
        LibburnDiscBackend::SetScanCallsForTesting(&kPlayedScanCalls);
        ASSERT_EQ(backend->Init(), 0);
    }
    void TearDown() override {
        SetDiscBackendForTesting(nullptr);
        UnloadDiscLibrary();
        EXPECT_TRUE(WaitUntil([] { return KeptDiscWork() == 0; }));
        LibburnDiscBackend::SetScanCallsForTesting(nullptr);
        g_playedScan = nullptr;
    }

    PlayedScan scan;
    std::shared_ptr<LibburnDiscBackend> backend = std::make_shared<LibburnDiscBackend>(
        LibburnDiscBackend::Options{.scanDrives = true, .stdioDrives = {}});
};

TEST_F(LibburnScanTest, AScanLeftOnAStopIsPolledOnWithItsOwnPointersAndFreedOnce) {
    enum class Next { Scan, Keeper };
    for (Next next : {Next::Scan, Next::Keeper}) {
        SCOPED_TRACE(next == Next::Scan ? "the next scan" : "the keeper");
        scan.freed.clear();
        std::stop_source stop;
        stop.request_stop();
        if (next == Next::Keeper) {
            SetDiscBackendForTesting(backend);
            LoadDiscLibrary();
            EXPECT_FALSE(DiscGetAvailableDrivesEx(1, stop.get_token()));
        } else {
            EXPECT_FALSE(backend->GetAvailableDrives(1, stop.get_token()));
        }
        // libburn's thread ends the scan after the caller went.
        scan.Finish();
        if (next == Next::Keeper) {
            EXPECT_TRUE(WaitUntil([&] { return KeptDiscWork() == 0; }));
        } else {
            auto drives = backend->GetAvailableDrives(1, {});
            ASSERT_TRUE(drives);
            EXPECT_EQ(*drives,
                      (std::vector<std::string>{"VENDOR Burner (/dev/sr9)", kImageRecorderName}));
        }
        EXPECT_EQ(scan.freed, std::vector<burn::burn_drive_info*>{scan.array});
    }
    // Nothing is left over: the next scan starts anew and ends.
    scan.freed.clear();
    const int started = scan.started;
    std::thread finisher([&] {
        WaitUntil([&] { return scan.started > started; });
        scan.Finish();
    });
    EXPECT_TRUE(backend->GetAvailableDrives(1, {}));
    finisher.join();
    EXPECT_EQ(scan.freed, std::vector<burn::burn_drive_info*>{scan.array});
}

TEST_F(LibburnScanTest, TheKeeperFreesAFinishedScanOutsideItsLock) {
    SetDiscBackendForTesting(backend);
    LoadDiscLibrary();
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(DiscGetAvailableDrivesEx(1, stop.get_token()));
    ASSERT_EQ(KeptDiscWork(), 1u);
    scan.holdFree = true;
    scan.Finish();
    ASSERT_TRUE(WaitUntil([&] { return scan.freeing.load(); }));
    // The window's thread asks the keeper meanwhile, and is answered.
    auto asked = std::async(std::launch::async, [] { return KeptDiscWork(); });
    EXPECT_EQ(asked.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    scan.holdFree = false;
    asked.wait();
    ASSERT_TRUE(WaitUntil([&] { return !scan.freeing.load() && KeptDiscWork() == 0; }));
    std::lock_guard lock(scan.mutex);
    EXPECT_EQ(scan.freed, std::vector<burn::burn_drive_info*>{scan.array});
}

TEST_F(LibburnScanTest, ARefusedScanSaysTheOpticalDrivesAreHeldBack) {
    scan.refuse = true;
    auto drives = backend->GetAvailableDrives(1, {});
    ASSERT_TRUE(drives);
    EXPECT_EQ(*drives, std::vector<std::string>{kImageRecorderName});
    EXPECT_TRUE(backend->DrivesHeldBack());
    scan.refuse = false;
    std::thread finisher([&] {
        WaitUntil([&] { return scan.started > 0; });
        scan.Finish();
    });
    EXPECT_TRUE(backend->GetAvailableDrives(1, {}));
    finisher.join();
    EXPECT_FALSE(backend->DrivesHeldBack());
}

}  // namespace
}  // namespace ormidon::test
