#include "backup/DiscLayer.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "backup/LibburnDiscBackend.h"
#include "platform/Clock.h"

namespace {

// How often the keeper looks at what it holds.
constexpr uint32_t kKeeperPollMs = 10;
// At exit, what a kept request still needs once it was asked to stop.
constexpr uint32_t kStoppedWorkBoundMs = 500;

// Holds busy devices, workers inside drive calls and backends with work left running until
// they are done with the drive. Its thread runs only while it holds something; a thread that
// cannot start leaves everything held, and the next Keep or count starts it again.
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
    void Keep(std::shared_ptr<DiscBackend> backend) {
        std::lock_guard lock(m_mutex);
        m_backends.push_back(std::move(backend));
        StartLocked();
    }
    std::size_t Count() {
        std::lock_guard lock(m_mutex);
        StartLocked();
        return CountLocked();
    }
    std::vector<std::string> DeviceNames() {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> names;
        for (const auto& device : m_devices) names.push_back(device->Name());
        return names;
    }
    uint64_t Polls() const { return m_polls.load(); }
    bool Running() {
        std::lock_guard lock(m_mutex);
        return m_running;
    }
    // Asks every held worker to stop (those kept running to their own end among them).
    void StopWorkers() {
        std::lock_guard lock(m_mutex);
        for (auto& worker : m_workers) worker.RequestStop();
    }

  private:
    std::size_t CountLocked() const {
        return m_devices.size() + m_workers.size() + m_backends.size() + m_releasing;
    }
    void StartLocked() noexcept {
        if (m_running || CountLocked() == 0) return;
        try {
            // The previous thread returned, or is returning, once it cleared m_running.
            m_thread = ormidon::Thread([this](std::stop_token stop) { Run(stop); });
            m_running = true;
        } catch (const std::system_error&) {
            // Everything stays held until a later Keep or count starts the thread.
        }
    }
    void Run(const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kKeeperPollMs));
            std::vector<std::unique_ptr<DiscDevice>> idle;
            std::vector<ormidon::Thread> ended;
            std::vector<std::shared_ptr<DiscBackend>> settled;
            std::vector<std::unique_ptr<DiscSettledWork>> leftOver;
            {
                std::lock_guard lock(m_mutex);
                MoveDone(m_devices, idle, [](auto& device) { return device->Idle(); });
                MoveDone(m_workers, ended, [](auto& worker) { return worker.Join(0); });
                MoveDone(m_backends, settled, [&leftOver](auto& backend) {
                    std::unique_ptr<DiscSettledWork> work;
                    const bool done = backend->SettleLeftWork(work);
                    if (work) leftOver.push_back(std::move(work));
                    return done;
                });
                // Held until released.
                m_releasing = idle.size() + ended.size() + leftOver.size() + settled.size();
            }
            // Freed outside the lock: a device's release, or a finished scan's, may take the
            // drive's time, and the window's thread asks the keeper meanwhile.
            idle.clear();
            ended.clear();
            leftOver.clear();
            settled.clear();
            std::lock_guard lock(m_mutex);
            m_releasing = 0;
            ++m_polls;
            if (CountLocked() == 0) {
                m_running = false;
                return;
            }
        }
    }
    template <typename Item, typename Done>
    static void MoveDone(std::vector<Item>& held, std::vector<Item>& done, Done isDone) {
        for (auto it = held.begin(); it != held.end();) {
            if (isDone(*it)) {
                done.push_back(std::move(*it));
                it = held.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<DiscDevice>> m_devices;
    std::vector<ormidon::Thread> m_workers;
    std::vector<std::shared_ptr<DiscBackend>> m_backends;
    std::size_t m_releasing = 0;  // taken out to be released outside the lock
    bool m_running = false;
    std::atomic<uint64_t> m_polls{0};
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
    auto drives = backend->GetAvailableDrives(mediaType, std::move(stop));
    // A scan that a stop left running is polled on by the keeper.
    std::unique_ptr<DiscSettledWork> settled;
    if (!backend->SettleLeftWork(settled)) Keeper().Keep(backend);
    return drives;
}

bool DiscDrivesHeldBack() {
    auto backend = Loaded();
    return backend && backend->DrivesHeldBack();
}

std::unique_ptr<DiscDevice> DiscOpenDevice(const std::string& drive, std::stop_token stop) {
    auto backend = Loaded();
    return backend ? backend->OpenDevice(drive, std::move(stop)) : nullptr;
}

void DiscCloseDevice(std::unique_ptr<DiscDevice>& device) {
    if (device && !device->Idle()) {
        Keeper().Keep(std::move(device));
        return;
    }
    device.reset();
}

void KeepDiscWorker(ormidon::Thread worker) noexcept {
    worker.RequestStop();
    KeepRunningWorker(std::move(worker));
}

void KeepRunningWorker(ormidon::Thread worker) noexcept {
    if (worker.Join(0)) return;
    Keeper().Keep(std::move(worker));
}

std::size_t KeptDiscWork() { return Keeper().Count(); }

std::vector<std::string> KeptDiscDrives() { return Keeper().DeviceNames(); }

uint64_t DiscKeeperPolls() { return Keeper().Polls(); }

bool DiscKeeperRunning() { return Keeper().Running(); }

namespace {

// Waits up to `boundMs` of the current clock for the keeper to hold nothing.
bool WaitForKeptWork(uint32_t boundMs) {
    const uint32_t start = ormidon::TickCount();
    while (KeptDiscWork() > 0) {
        if (ormidon::TickCount() - start >= boundMs) return false;
        ormidon::Sleep(kKeeperPollMs);
    }
    return true;
}

}  // namespace

bool EndKeptDiscWork(uint32_t boundMs) {
    // Drive work was asked to stop when it was kept. A request kept running to its own end
    // gets the same bound to finish, and is then asked to stop too.
    if (WaitForKeptWork(boundMs)) return true;
    Keeper().StopWorkers();
    return WaitForKeptWork(kStoppedWorkBoundMs);
}

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
