// The libburn and libisofs backend on a stdio pseudo-drive in a temporary folder, read back
// with libisofs: a first session, an appended one that keeps the first, newer-wins, an abort
// that leaves the disc as it was, and the image recorder that replaces a file only when done.
#include <gtest/gtest.h>

#include <atomic>
#include <iostream>

#include "../support/TempFolder.h"
#include "IsoReadBack.h"
#include "backup/LibburnDiscBackend.h"

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
        return result;
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

}  // namespace
}  // namespace ormidon::test
