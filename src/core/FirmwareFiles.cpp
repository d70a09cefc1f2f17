#include "core/FirmwareFiles.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/AsciiCase.h"
#include "platform/Paths.h"

namespace {

uint32_t HeaderAt(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The number of records when the headers tile `bytes` exactly within the limits, else 0.
std::size_t CountRecords(std::span<const uint8_t> bytes) {
    std::size_t at = 0, count = 0;
    bool anyData = false;
    while (at < bytes.size()) {
        if (bytes.size() - at < 4 || ++count > kMaxFirmwareParts) return 0;
        const uint32_t length = HeaderAt(bytes, at) >> 4;
        at += 4;
        if (length > bytes.size() - at) return 0;
        anyData = anyData || length > 0;
        at += length;
    }
    return anyData ? count : 0;
}

}  // namespace

std::optional<FirmwarePackageJob> ParseFirmwarePackage(std::span<const uint8_t> bytes) {
    const std::size_t count = CountRecords(bytes);
    if (count == 0) return std::nullopt;
    FirmwarePackageJob package;
    package.fileSize = bytes.size();
    package.types.reserve(count);
    package.parts.reserve(count);
    for (std::size_t at = 0; at < bytes.size();) {
        const uint32_t header = HeaderAt(bytes, at);
        const std::size_t length = header >> 4;
        at += 4;
        package.types.push_back(static_cast<uint8_t>(header & 0xF));
        package.parts.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    return package;
}

uint32_t ReadFirmwarePackage(const std::filesystem::path& file, FirmwarePackageJob& package) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return 4047;
    std::ifstream in(file, std::ios::binary);
    if (!in) return 4047;
    const uintmax_t size = std::filesystem::file_size(file, error);
    // A package's lengths are 28-bit, its records at most 255: anything larger is no package.
    if (error || size > uintmax_t{kMaxFirmwareParts} * ((1u << 28) + 4)) return 4057;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        return 4057;
    }
    std::optional<FirmwarePackageJob> parsed = ParseFirmwarePackage(bytes);
    if (!parsed) return 4057;
    package = std::move(*parsed);
    return 0;
}

std::optional<FirmwarePartTable> FirmwarePartTableFor(std::string_view productId) {
    const char* kernel = nullptr;
    if (ormidon::EqualsNoCase(productId, "P51K")) kernel = "KERNEL16.BIN";
    if (ormidon::EqualsNoCase(productId, "P53K")) kernel = "KERNEL8.BIN";
    if (ormidon::EqualsNoCase(productId, "P55K")) kernel = "KERNEL4.BIN";
    if (kernel == nullptr) return std::nullopt;
    FirmwarePartTable table;
    const char* fixed[] = {kernel, "BOOT.BIN", "MCU.BIN", "KX310.BIN", "KX020.BIN", "HTML.BIN"};
    for (std::size_t row = 0; row < 6; ++row) table[row].name = fixed[row];
    for (int n = 1; n <= 11; ++n) table[5 + static_cast<std::size_t>(n)].name = "LANGU" + std::to_string(n) + ".GZ";
    table[17].name = "PLAYER.BIN";
    return table;
}

std::size_t LoadFirmwareParts(const std::filesystem::path& folder, FirmwarePartTable& table,
                              uint64_t& totalBytes) {
    const std::filesystem::path base = folder.empty() ? std::filesystem::path("/") : folder;
    std::size_t loaded = 0;
    totalBytes = 0;
    for (FirmwarePart& part : table) {
        part.loaded = false;
        part.data.clear();
        if (!part.name) continue;
        const std::optional<std::filesystem::path> file = ormidon::FindFileNoCase(base, *part.name);
        std::error_code error;
        if (!file || !std::filesystem::is_regular_file(*file, error)) continue;
        std::ifstream in(*file, std::ios::binary);
        if (!in) continue;
        part.data.assign(std::istreambuf_iterator<char>(in), {});
        if (in.bad()) {
            part.data.clear();
            continue;
        }
        part.loaded = true;
        totalBytes += part.data.size();
        ++loaded;
    }
    return loaded;
}

std::string FirmwareVersionText(std::string_view firmware) {
    std::string text;
    for (std::size_t i = 0; i < firmware.size() && i < 4; ++i) {
        if (i > 0) text += '.';
        text += firmware[i];
    }
    return text;
}
