#include "backup/DiscLayer.h"

#include <mutex>

#include "backup/LibburnDiscBackend.h"

namespace {

std::mutex g_discMutex;
std::shared_ptr<DiscBackend> g_discBackend;
std::shared_ptr<DiscBackend> g_discBackendForTesting;

std::shared_ptr<DiscBackend> Loaded() {
    std::lock_guard lock(g_discMutex);
    return g_discBackend;
}

}  // namespace

bool LoadDiscLibrary() {
    std::lock_guard lock(g_discMutex);
    if (g_discBackendForTesting) {
        g_discBackend = g_discBackendForTesting;
    } else {
        g_discBackend =
            std::make_shared<LibburnDiscBackend>(LibburnDiscBackend::OptionsFromEnvironment());
    }
    return true;
}

void UnloadDiscLibrary() {
    std::lock_guard lock(g_discMutex);
    g_discBackend.reset();
}

bool DiscLibraryLoaded() { return Loaded() != nullptr; }

void SetDiscBackendForTesting(std::shared_ptr<DiscBackend> backend) {
    std::lock_guard lock(g_discMutex);
    g_discBackendForTesting = std::move(backend);
}

int DiscInit() {
    auto backend = Loaded();
    return backend ? backend->Init() : 1;
}

int DiscDone() {
    auto backend = Loaded();
    return backend ? backend->Done() : 1;
}

std::optional<std::vector<std::string>> DiscGetAvailableDrivesEx(uint32_t mediaType) {
    auto backend = Loaded();
    if (!backend) return std::nullopt;
    return backend->GetAvailableDrives(mediaType);
}

std::unique_ptr<DiscDevice> DiscOpenDevice(const std::string& drive) {
    auto backend = Loaded();
    return backend ? backend->OpenDevice(drive) : nullptr;
}

void DiscCloseDevice(std::unique_ptr<DiscDevice>& device) { device.reset(); }

std::optional<DiscInfo> DiscGetCDInfo(DiscDevice* device, uint32_t flags) {
    auto backend = Loaded();
    if (!backend || device == nullptr) return std::nullopt;
    return backend->GetCDInfo(*device, flags);
}

DiscImport DiscImportDataTrack(DiscDevice* device, int track) {
    auto backend = Loaded();
    if (!backend || device == nullptr) return {};
    return backend->ImportDataTrack(*device, track);
}

std::unique_ptr<DiscIsoTrack> DiscCreateIsoTrackEx(DiscIsoItemList items, const std::string& volume,
                                                   uint32_t flags) {
    if (!Loaded()) return nullptr;
    auto track = std::make_unique<DiscIsoTrack>();
    track->items = std::move(items);
    track->volume = volume;
    track->flags = flags;
    return track;
}

int DiscBurn(DiscDevice* device, const DiscWriteDesc& desc, uint32_t flags,
             const DiscProgress& progress) {
    auto backend = Loaded();
    if (!backend || device == nullptr) return 1;
    return backend->Burn(*device, desc, flags, progress);
}

std::string DiscGetErrorLog() {
    auto backend = Loaded();
    return backend ? backend->GetErrorLog() : std::string();
}

void DiscClearErrors() {
    if (auto backend = Loaded()) backend->ClearErrors();
}
