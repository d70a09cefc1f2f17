#include "backup/DiscLayer.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "backup/LibburnDiscBackend.h"

namespace {

// How often the keeper looks at what it holds.
constexpr auto kKeeperPoll = std::chrono::milliseconds(10);

// Holds busy devices and workers inside drive calls until they are done with the drive.
// Its thread runs only while it holds something.
class DiscKeeper {
  public:
    void Keep(std::unique_ptr<DiscDevice> device) {
        std::lock_guard lock(m_mutex);
        m_devices.push_back(std::move(device));
        StartLocked();
    }
    void Keep(ormidon::Thread worker) {
        std::lock_guard lock(m_mutex);
        m_workers.push_back(std::move(worker));
        StartLocked();
    }
    std::size_t Count() {
        std::lock_guard lock(m_mutex);
        return m_devices.size() + m_workers.size();
    }

  private:
    void StartLocked() {
        if (m_running) return;
        m_running = true;
        // The previous thread returned, or is returning, once it cleared m_running.
        m_thread = ormidon::Thread([this](std::stop_token stop) { Run(stop); });
    }
    void Run(const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(kKeeperPoll);
            std::vector<std::unique_ptr<DiscDevice>> idle;
            std::vector<ormidon::Thread> ended;
            {
                std::lock_guard lock(m_mutex);
                for (auto it = m_devices.begin(); it != m_devices.end();) {
                    if ((*it)->Idle()) {
                        idle.push_back(std::move(*it));
                        it = m_devices.erase(it);
                    } else {
                        ++it;
                    }
                }
                for (auto it = m_workers.begin(); it != m_workers.end();) {
                    if (it->Join(0)) {
                        ended.push_back(std::move(*it));
                        it = m_workers.erase(it);
                    } else {
                        ++it;
                    }
                }
            }
            // Freed outside the lock: a device's release may take the drive's time.
            idle.clear();
            ended.clear();
            std::lock_guard lock(m_mutex);
            if (m_devices.empty() && m_workers.empty()) {
                m_running = false;
                return;
            }
        }
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<DiscDevice>> m_devices;
    std::vector<ormidon::Thread> m_workers;
    bool m_running = false;
    ormidon::Thread m_thread;
};

// Never destroyed: what it holds may need the drive until the program ends.
DiscKeeper& Keeper() {
    static DiscKeeper* keeper = new DiscKeeper;
    return *keeper;
}

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

std::optional<std::vector<std::string>> DiscGetAvailableDrivesEx(uint32_t mediaType,
                                                                 std::stop_token stop) {
    auto backend = Loaded();
    if (!backend) return std::nullopt;
    return backend->GetAvailableDrives(mediaType, std::move(stop));
}

std::unique_ptr<DiscDevice> DiscOpenDevice(const std::string& drive) {
    auto backend = Loaded();
    return backend ? backend->OpenDevice(drive) : nullptr;
}

void DiscCloseDevice(std::unique_ptr<DiscDevice>& device) {
    if (device && !device->Idle()) {
        Keeper().Keep(std::move(device));
        return;
    }
    device.reset();
}

void KeepDiscWorker(ormidon::Thread worker) {
    if (worker.Join(0)) return;
    Keeper().Keep(std::move(worker));
}

std::size_t KeptDiscWork() { return Keeper().Count(); }

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
