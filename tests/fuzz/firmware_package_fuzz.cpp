// Any bytes as a firmware package: accepted exactly when the records tile the bytes (1 to
// 255 of them, some data), and then every part equals its slice of the bytes and the
// transfer's pieces cover every part.
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "core/FirmwareFiles.h"
#include "net/FirmwareTransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    // The plain reading.
    std::size_t at = 0, count = 0;
    bool tiles = true, anyData = false;
    std::vector<std::pair<std::size_t, std::size_t>> slices;
    while (at < size) {
        if (size - at < 4) {
            tiles = false;
            break;
        }
        const uint32_t header = static_cast<uint32_t>(data[at]) | data[at + 1] << 8 |
                                data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
        const std::size_t length = header >> 4;
        at += 4;
        if (length > size - at) {
            tiles = false;
            break;
        }
        slices.emplace_back(at, length);
        anyData = anyData || length > 0;
        at += length;
        ++count;
    }
    const bool expected = tiles && count >= 1 && count <= kMaxFirmwareParts && anyData;
    const auto package = ParseFirmwarePackage(bytes);
    FUZZ_CHECK(package.has_value() == expected);
    if (!package) return 0;
    FUZZ_CHECK(package->fileSize == size);
    FUZZ_CHECK(package->parts.size() == slices.size() && package->types.size() == slices.size());
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const auto [from, length] = slices[i];
        FUZZ_CHECK(package->types[i] == (data[from - 4] & 0xF));
        FUZZ_CHECK(package->parts[i].size() == length);
        FUZZ_CHECK(std::equal(package->parts[i].begin(), package->parts[i].end(), data + from));
    }

    // The transfer's plan: the same parts in order, named by the last known code so far, and
    // pieces that cover each part exactly with one Start and, beyond one piece, one Finished.
    const FirmwareTransferJob job = MakePackageTransfer(*package, FirmwareProtocol::kCommand);
    FUZZ_CHECK(job.parts.size() == slices.size() && job.progressBase == size);
    std::string name;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const FirmwareTransferPart& part = job.parts[i];
        FUZZ_CHECK(part.data == package->parts[i]);
        const uint8_t code = package->types[i];
        if (code == kFirmwareBoot) name = "BOOT";
        if (code == kFirmwareKernel) name = "KERNEL";
        if (code == kFirmwareHtml) name = "HTML";
        FUZZ_CHECK(part.commandType == name);
        const uint64_t pieces = FirmwarePieceCount(part.data.size(), kFirmwareCommandPiece);
        FUZZ_CHECK(pieces * kFirmwareCommandPiece >= part.data.size());
        FUZZ_CHECK(pieces == 0 || (pieces - 1) * kFirmwareCommandPiece < part.data.size());
        if (pieces == 0) continue;
        const bool last = i + 1 == slices.size();
        const std::string first = FirmwareCommandRequest(part, 0, pieces, last, "c");
        FUZZ_CHECK(first.find("Upgrade=Start&FileSize=" + std::to_string(part.data.size())) !=
                   std::string::npos);
        const std::string end = FirmwareCommandRequest(part, pieces - 1, pieces, last, "c");
        FUZZ_CHECK((end.find("Upgrade=Finished") != std::string::npos) == (pieces > 1));
    }
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    fuzz::Seed two;
    two.U32(3 << 4 | 1).Append("abc").U32(0).U32(2 << 4 | 4).Append("xy");
    fuzz::Seed cut;
    cut.U32(100 << 4).Append("short");
    return {two, cut};
}
