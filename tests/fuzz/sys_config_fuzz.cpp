// Storing a configuration reply of any length for any section and device family: the reply is
// never read past its end nor the destination written past its size, a refused reply leaves
// the application record as it was, and an accepted "ALL" starts with the "INF" block.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "FuzzTarget.h"
#include "core/AppObject.h"
#include "core/ConfigSection.h"
#include "net/SysConfig.h"

namespace {

constexpr std::string_view kProducts[] = {"P51K", "P62K", "T18D", "N27V", "p62k", "", "X"};
constexpr std::string_view kFirmware[] = {"1000", "1007", "1052", "1060", "", "10"};

CAppObject& App() {
    static CAppObject app;
    g_lpApp = &app;
    return app;
}

// Every block of the record, side by side.
std::vector<uint8_t> RecordBytes(CAppObject& app) {
    std::vector<uint8_t> bytes;
    for (uint8_t option = 0; option < CFG_ALL; ++option) {
        for (bool old : {false, true}) {
            const std::span<uint8_t> block = ConfigBlockOf(app, option, old);
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
    }
    return bytes;
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    std::vector<FuzzBytes> seeds;
    // "ALL" for both families, each with a list of online users, and single sections.
    const std::size_t dvrAll =
        44 + 24 + 196 + 12 + 440 + 104 + 68 + 36 + 36 + 12 + 124 + 24 + 772 + 20 + 132;
    const std::size_t cameraAll =
        44 + 24 + 196 + 12 + 440 + 104 + 68 + 36 + 36 + 12 + 124 + 24 + 16;
    for (auto [product, length] : {std::pair{0, dvrAll + 16}, std::pair{1, cameraAll + 240}}) {
        std::vector<uint8_t> reply(length);
        for (std::size_t i = 0; i < length; ++i) reply[i] = static_cast<uint8_t>(i * 7);
        seeds.push_back(fuzz::Seed().U8(CFG_ALL).U8(product).U8(0).U16(0).Append(reply));
    }
    for (uint8_t option : {CFG_IP, CFG_ONLINE, CFG_SYSTEM}) {
        const std::vector<uint8_t> reply(ConfigSectionSize(ConfigOption(option)), 0x5A);
        seeds.push_back(
            fuzz::Seed().U8(option).U8(0).U8(3).U16(uint32_t(reply.size())).Append(reply));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const uint8_t option = in.U8() % CFG_OPTION_COUNT;
    const uint8_t product = in.U8();
    const uint8_t firmware = in.U8();
    const unsigned destinationSize = in.U16() % 4096;
    const std::span<const uint8_t> rest = in.Rest();

    CAppObject& app = App();
    app.str_ProductID.Set(kProducts[product % std::size(kProducts)]);
    app.str_FWVersion.Set(kFirmware[firmware % std::size(kFirmware)]);

    // Exact-size copies, so a read or write past either end is caught.
    auto reply = std::make_unique<uint8_t[]>(rest.size());
    std::memcpy(reply.get(), rest.data(), rest.size());
    auto destination = std::make_unique<uint8_t[]>(destinationSize);
    std::memset(destination.get(), 0xEE, destinationSize);

    const std::vector<uint8_t> before = RecordBytes(app);
    const int result = StoreSysCfgReply(option, std::span<const uint8_t>(reply.get(), rest.size()),
                                        destination.get(), destinationSize);
    FUZZ_CHECK(result == 0 || result == 1);

    if (option != CFG_ALL) {
        FUZZ_CHECK(RecordBytes(app) == before);
        if (option == CFG_ONLINE) {
            FUZZ_CHECK(result == 1);
        } else {
            FUZZ_CHECK(result == (rest.size() == destinationSize ? 1 : 0));
        }
        if (result == 1) {
            const std::size_t copied = std::min<std::size_t>(
                {rest.size(), destinationSize, ConfigSectionSize(CFG_ONLINE)});
            const std::size_t expected = option == CFG_ONLINE ? copied : destinationSize;
            FUZZ_CHECK(std::memcmp(destination.get(), reply.get(), expected) == 0);
            for (std::size_t i = expected; i < destinationSize; ++i)
                FUZZ_CHECK(destination[i] == 0xEE);
        }
        return 0;
    }
    for (unsigned i = 0; i < destinationSize; ++i) FUZZ_CHECK(destination[i] == 0xEE);
    if (result == 0) {
        FUZZ_CHECK(RecordBytes(app) == before);
        return 0;
    }
    FUZZ_CHECK(rest.size() >= app.m_Cfg_INF.size());
    FUZZ_CHECK(std::memcmp(app.m_Cfg_INF.data(), reply.get(), app.m_Cfg_INF.size()) == 0);
    return 0;
}
