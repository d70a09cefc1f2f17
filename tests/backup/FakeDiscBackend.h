#pragma once
// A scripted disc backend for the writer's tests: drives by name, each with its disc
// information, its last session and the result its burns give; every burn is recorded.
#include <map>
#include <mutex>

#include "backup/DiscBackend.h"

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
    int openDevices = 0;
    int imports = 0;

    int Init() override { return initResult; }
    int Done() override { return 0; }
    std::optional<std::vector<std::string>> GetAvailableDrives(uint32_t) override { return drives; }
    std::unique_ptr<DiscDevice> OpenDevice(const std::string& drive) override {
        auto it = discs.find(drive);
        if (it == discs.end() || !it->second.opens) return nullptr;
        struct Device final : DiscDevice {
            Device(std::string name, int& open) : DiscDevice(std::move(name)), m_open(open) {
                ++m_open;
            }
            ~Device() override { --m_open; }
            int& m_open;
        };
        return std::make_unique<Device>(drive, openDevices);
    }
    std::optional<DiscInfo> GetCDInfo(DiscDevice& device, uint32_t) override {
        return discs[device.Name()].info;
    }
    DiscImport ImportDataTrack(DiscDevice& device, int track) override {
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
        int result = discs[device.Name()].burnResult;
        if (device.Name() == kImageRecorderName) {
            std::string file = "Image.iso";
            if (progress.userDialog(kDiscRequestImageFile, file) != kDiscAnswerImageChosen) {
                result = kDiscBurnUserAborted;
            }
            call.imageFile = file;
        }
        if (result == kDiscBurnOk) {
            if (progress.progress) progress.progress(50);
            if (progress.Aborted())
                result = kDiscBurnUserAborted;
            else if (progress.progress)
                progress.progress(100);
        }
        burns.push_back(std::move(call));
        return result;
    }
    std::string GetErrorLog() override { return {}; }
    void ClearErrors() override {}
};

}  // namespace ormidon::test
