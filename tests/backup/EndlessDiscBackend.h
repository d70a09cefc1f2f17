#pragma once
// A disc backend for tests whose one burn does not end by itself.
#include <atomic>
#include <chrono>
#include <thread>

#include "backup/DiscBackend.h"

namespace ormidon::test {

// A drive whose burn runs until it is aborted, or, with `ignoresAbort`, until the test lets
// it go (a long real while at most, so a test that waits on it fails rather than hangs).
class EndlessDiscBackend final : public DiscBackend {
  public:
    std::atomic<bool> burning{false};
    bool ignoresAbort = false;
    std::atomic<bool> letGo{false};
    std::atomic<bool> ranOut{false};
    std::atomic<bool> aborted{false};  // the burn ended on the writer's abort
    int Init() override { return 0; }
    int Done() override { return 0; }
    std::optional<std::vector<std::string>> GetAvailableDrives(uint32_t, std::stop_token) override {
        return std::vector<std::string>{"Slow Writer", kImageRecorderName};
    }
    std::unique_ptr<DiscDevice> OpenDevice(const std::string& drive, std::stop_token) override {
        return std::make_unique<DiscDevice>(drive);
    }
    std::optional<DiscInfo> GetCDInfo(DiscDevice&, uint32_t) override {
        return DiscInfo{.freeBlocks = 1'000'000, .mediaFlags = kDiscMediaDvd};
    }
    DiscImport ImportDataTrack(DiscDevice&, int) override { return {}; }
    int Burn(DiscDevice&, const DiscWriteDesc&, uint32_t, const DiscProgress& progress) override {
        burning = true;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(ignoresAbort ? letGo.load() : progress.Aborted())) {
            if (std::chrono::steady_clock::now() >= limit) {
                ranOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        burning = false;
        aborted = !ranOut && !ignoresAbort;
        // Its last report comes after it was let go.
        if (progress.progress) progress.progress(100);
        return progress.Aborted() ? kDiscBurnUserAborted : kDiscBurnFailed;
    }
    std::string GetErrorLog() override { return {}; }
    void ClearErrors() override {}
};

}  // namespace ormidon::test
