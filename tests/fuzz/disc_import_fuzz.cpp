// The disc backend's import over damaged images on a stdio pseudo-drive: an import gives
// items with bounded names and valid (or unknown, -1) times, or one of its errors; merging
// any two imported lists keeps each name once, with the newer of two items.
#include <algorithm>
#include <map>
#include <string>

#include "FuzzTarget.h"
#include "backup/CCDBurner.h"
#include "backup/LibburnDiscBackend.h"
#include "platform/AsciiCase.h"
#include "support/TempFolder.h"

// libisofs is built without frame pointers: only the slow unwinder follows an allocation
// through it back to iso_image_import, which the leak suppression of libisofs's own leak on
// damaged images names (tests/lsan.supp).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DISC_IMPORT_UNDER_ADDRESS_SANITIZER
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(DISC_IMPORT_UNDER_ADDRESS_SANITIZER)
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
#endif

namespace {

ormidon::test::TempFolder& Folder() {
    static ormidon::test::TempFolder folder;
    return folder;
}

LibburnDiscBackend& Backend() {
    static LibburnDiscBackend backend(LibburnDiscBackend::Options{
        .scanDrives = false, .stdioDrives = {"stdio:" + (Folder() / "disc.iso").string()}});
    static const bool ready = backend.Init() == 0 && backend.GetAvailableDrives(1, {}).has_value();
    if (!ready) fuzz::Fail("backend", __FILE__, __LINE__);
    return backend;
}

std::string Lower(std::string text) {
    for (char& c : text) c = ormidon::LowerAscii(c);
    return text;
}

// Each name once (ignoring case), the first kept.
DiscIsoItemList Unique(const DiscIsoItemList& items) {
    DiscIsoItemList unique;
    std::map<std::string, bool> seen;
    for (const auto& item : items) {
        if (seen.emplace(Lower(item.name), true).second) unique.push_back(item);
    }
    return unique;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    // Images the backend writes itself: a first session, and one grown by a second.
    auto& backend = Backend();
    const auto image = Folder() / "disc.iso";
    std::filesystem::remove(image);
    std::vector<FuzzBytes> seeds;
    const char* names[] = {"CH01_0001.dvr", "Tamburo_setup.exe"};
    for (const char* name : names) {
        ormidon::test::WriteFile(Folder() / name, std::string(3000, name[0]));
        auto device = backend.OpenDevice("stdio:" + image.string());
        if (!device) fuzz::Fail("open", __FILE__, __LINE__);
        DiscWriteDesc desc;
        DiscIsoItemList items{DiscIsoItem{.name = name, .sourcePath = (Folder() / name).string()}};
        auto info = backend.GetCDInfo(*device, 0);
        if (info && info->trackCount > 0) {
            DiscImport imported = backend.ImportDataTrack(*device, 0);
            for (auto& item : imported.items) items.push_back(item);
            desc.stamp = imported.stamp;
        }
        DiscIsoTrack track{.items = items, .volume = "ODBackup"};
        desc.track = &track;
        if (backend.Burn(*device, desc, kDiscBurnWrite | kDiscBurnKeepOpen, {}) != kDiscBurnOk) {
            fuzz::Fail("burn", __FILE__, __LINE__);
        }
        device.reset();
        const std::string bytes = ormidon::test::ReadFile(image);
        seeds.push_back(fuzz::Seed().Append(bytes));
    }
    return seeds;
}

namespace {

void ImportAndMerge(const uint8_t* data, std::size_t size) {
    auto& backend = Backend();
    const auto image = Folder() / "disc.iso";
    ormidon::test::WriteFile(image, std::string_view(reinterpret_cast<const char*>(data), size));
    auto device = backend.OpenDevice("stdio:" + image.string());
    if (!device) return;
    auto info = backend.GetCDInfo(*device, 0);
    if (!info || info->trackCount == 0) return;
    DiscImport imported = backend.ImportDataTrack(*device, static_cast<int>(info->trackCount) - 1);
    if (!imported.imported) {
        FUZZ_CHECK(imported.error >= 0 && imported.error <= 5);
        return;
    }
    for (const auto& item : imported.items) {
        FUZZ_CHECK(!item.name.empty() && item.name.size() <= 255);
        FUZZ_CHECK(item.entryTime >= -1);
        FUZZ_CHECK(item.isReference);
    }
    // Two lists out of the session, the second with its names in upper case.
    DiscIsoItemList first = Unique(imported.items);
    DiscIsoItemList second;
    for (size_t i = 0; i < first.size(); i += 2) {
        DiscIsoItem item = first[i];
        for (char& c : item.name) c = ormidon::UpperAscii(c);
        item.entryTime = item.entryTime + static_cast<int64_t>(data[i % size] % 3) - 1;
        second.push_back(item);
    }
    second = Unique(second);
    std::map<std::string, int64_t> newest;
    for (const auto* list : {&first, &second}) {
        for (const auto& item : *list) {
            auto [it, added] = newest.emplace(Lower(item.name), item.entryTime);
            if (!added) it->second = std::max(it->second, item.entryTime);
        }
    }
    DiscIsoItemList merged = first;
    if (!CCDBurner::MergeIsoTrees(merged, second)) {
        FUZZ_CHECK(first.empty() || second.empty());
        return;
    }
    FUZZ_CHECK(merged.size() == newest.size());
    std::map<std::string, int> count;
    for (const auto& item : merged) {
        FUZZ_CHECK(++count[Lower(item.name)] == 1);
        FUZZ_CHECK(item.entryTime == newest[Lower(item.name)]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ImportAndMerge(data, size);
    // The libraries' messages are taken after every input, as the program takes them after
    // every burn: what stays allocated after an input is then a leak, and libFuzzer checks
    // each input for one.
    auto& backend = Backend();
    (void)backend.GetErrorLog();
    backend.ClearErrors();
    return 0;
}
