#pragma once
// A scripted disc backend for the writer's tests: drives by name, each with its disc
// information, its last session and the result its burns give; every burn is recorded.
// A drive can also misbehave: a scan that runs until it is stopped, any drive call that
// hangs until the test lets it go, a writer that keeps running for a while (of the clock)
// after an abort, and scans that find no drive while one is open (as libburn refuses them).
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backup/DiscBackend.h"
#include "platform/Clock.h"

namespace ormidon::test {

struct FakeDisc {
    bool opens = true;
    std::optional<DiscInfo> info = DiscInfo{.freeBlocks = 2'295'104, .mediaFlags = kDiscMediaDvd};
    DiscImport session;  // what an import gives
    int burnResult = kDiscBurnOk;
};

class FakeDiscBackend final : public DiscBackend {
  public:
    struct BurnCall {
        std::string drive{};
        DiscIsoItemList items{};
        uint32_t flags = 0;
        bool appends = false;  // a session stamp was handed over
        uint32_t mediaType = 0;
        std::string imageFile{};
    };
    class Stamp final : public DiscSessionStamp {};

    int initResult = 0;
    std::optional<std::vector<std::string>> drives =
        std::vector<std::string>{"Fake Writer", kImageRecorderName};
    std::map<std::string, FakeDisc> discs{{"Fake Writer", {}}, {kImageRecorderName, {}}};
    std::vector<BurnCall> burns;
    std::atomic<int> openDevices{0};
    int imports = 0;
    // Misbehaviour: the scan runs until its stop; opens hang until `letGo`; an aborted
    // writer stays busy this long (of the current clock) after the abort.
    bool scanUntilStopped = false;
    std::atomic<bool> scanning{false};
    std::atomic<bool> hangOpens{false};
    std::atomic<bool> letGo{false};
    std::atomic<int> hangingOpens{0};
    uint32_t runsAfterAbortMs = 0;
    // Burns run until `letGo`, abort or no abort.
    std::atomic<bool> hangBurns{false};
    std::atomic<bool> burning{false};
    bool refuseScansWhileOpen = false;
    std::atomic<bool> heldBack{false};  // the last scan was refused so
    std::atomic<int> scans{0};
    // A device freed while it said it was busy.
    std::atomic<bool> freedWhileBusy{false};
    // The drive call ("open", "info", "import", "burn") that hangs until `letGo`, stop or no
    // stop, like `hangOpens`; set before the call.
    std::string hangIn;
    std::atomic<bool> hanging{false};

    // The calls made on drives and on the error log, in order.
    std::vector<std::string> Calls() const {
        std::lock_guard lock(m_callsMutex);
        return m_calls;
    }

    struct Device final : DiscDevice {
        Device(std::string name, FakeDiscBackend& backend)
            : DiscDevice(std::move(name)), m_backend(backend) {
            ++m_backend.openDevices;
        }
        ~Device() override {
            if (!Idle()) m_backend.freedWhileBusy = true;
            --m_backend.openDevices;
        }
        bool Idle() const override {
            return !busy || ormidon::TickCount() - abortedAt >= m_backend.runsAfterAbortMs;
        }
        FakeDiscBackend& m_backend;
        std::atomic<bool> busy{false};
        std::atomic<uint32_t> abortedAt{0};
    };

    int Init() override { return initResult; }
    int Done() override { return 0; }
    std::optional<std::vector<std::string>> GetAvailableDrives(uint32_t,
                                                               std::stop_token stop) override {
        ++scans;
        heldBack = refuseScansWhileOpen && openDevices > 0;
        if (heldBack) return std::vector<std::string>{kImageRecorderName};
        if (scanUntilStopped) {
            // Ends by itself only after a long real while, so a test that waits on it fails.
            scanning = true;
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!stop.stop_requested() && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            scanning = false;
            if (stop.stop_requested()) return std::nullopt;
        }
        return drives;
    }
    bool DrivesHeldBack() const override { return heldBack.load(); }
    std::unique_ptr<DiscDevice> OpenDevice(const std::string& drive, std::stop_token) override {
        Called("open");
        if (hangOpens) {
            // A drive that does not answer, stop or no stop (a long real while at most, so a
            // test that waits on it fails rather than hangs).
            ++hangingOpens;
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!letGo && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            --hangingOpens;
        }
        auto it = discs.find(drive);
        if (it == discs.end() || !it->second.opens) return nullptr;
        return std::make_unique<Device>(drive, *this);
    }
    std::optional<DiscInfo> GetCDInfo(DiscDevice& device, uint32_t) override {
        Called("info");
        return discs[device.Name()].info;
    }
    DiscImport ImportDataTrack(DiscDevice& device, int track) override {
        Called("import");
        ++imports;
        DiscImport session = discs[device.Name()].session;
        if (track < 0) return DiscImport{.error = kDiscImportInvalidTrack};
        if (session.imported && !session.stamp) session.stamp = std::make_shared<Stamp>();
        return session;
    }
    int Burn(DiscDevice& device, const DiscWriteDesc& desc, uint32_t flags,
             const DiscProgress& progress) override {
        BurnCall call{.drive = device.Name(),
                      .flags = flags,
                      .appends = desc.stamp != nullptr,
                      .mediaType = desc.mediaType};
        if (desc.track != nullptr) call.items = desc.track->items;
        Called("burn");
        int result = discs[device.Name()].burnResult;
        if (hangBurns) {
            // Ends only when let go (a long real while at most, so a test that waits on it
            // fails rather than hangs).
            burning = true;
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!letGo && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            burning = false;
        }
        if (device.Name() == kImageRecorderName) {
            std::string file = "Image.iso";
            if (progress.userDialog(kDiscRequestImageFile, file) != kDiscAnswerImageChosen) {
                result = kDiscBurnUserAborted;
            }
            call.imageFile = file;
        }
        if (result == kDiscBurnOk) {
            if (progress.progress) progress.progress(50);
            if (progress.Aborted()) {
                result = kDiscBurnUserAborted;
                if (runsAfterAbortMs > 0) {
                    // The writer has not stopped yet when the burn gives up on it.
                    auto& fake = static_cast<Device&>(device);
                    fake.abortedAt = ormidon::TickCount();
                    fake.busy = true;
                }
            } else if (progress.progress) {
                progress.progress(100);
            }
        }
        burns.push_back(std::move(call));
        return result;
    }
    std::string GetErrorLog() override {
        Called("error log");
        return {};
    }
    void ClearErrors() override {}

  private:
    // Logs the call; hangs in it when asked to (a long real while at most, so a test that
    // waits on it fails rather than hangs).
    void Called(const std::string& call) {
        {
            std::lock_guard lock(m_callsMutex);
            m_calls.push_back(call);
        }
        if (call != hangIn) return;
        hanging = true;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!letGo && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        hanging = false;
    }

    mutable std::mutex m_callsMutex;
    std::vector<std::string> m_calls;
};

}  // namespace ormidon::test
