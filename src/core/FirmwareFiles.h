#pragma once
// The firmware that an upgrade sends: a package file of typed records (the package families)
// or a folder of part files named by a table per product (the DVRs), and the version text
// the upgrade window shows.
//
// A package is a plain sequence of records, each a u32 LE header (bits 0-3 the part's type,
// bits 4-31 its length) and that many bytes. The headers are checked to tile the file
// exactly before anything is allocated, so a damaged file is refused whole.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Part type codes of a package that the transfers name.
inline constexpr uint8_t kFirmwareBoot = 0;
inline constexpr uint8_t kFirmwareKernel = 1;
inline constexpr uint8_t kFirmwareHtml = 4;
// A package holds at most this many records.
inline constexpr std::size_t kMaxFirmwareParts = 255;

struct FirmwarePackageJob {
    std::vector<uint8_t> types;               // per record, in file order
    std::vector<std::vector<uint8_t>> parts;  // per record, its bytes
    uint64_t fileSize = 0;                    // headers included: the 100 % of the progress
};

// The records of a package's bytes. Nothing when the records do not tile the bytes exactly,
// there are none or more than kMaxFirmwareParts, or no record holds a data byte.
std::optional<FirmwarePackageJob> ParseFirmwarePackage(std::span<const uint8_t> bytes);

// Reads a package file: 0 with `package` filled, or the message to show: 4047 when it does
// not open, 4057 when it cannot be read or is refused as above.
uint32_t ReadFirmwarePackage(const std::filesystem::path& file, FirmwarePackageJob& package);

// One row of a part table.
struct FirmwarePart {
    std::optional<std::string> name;  // the file name; none for the last row
    bool loaded = false;
    std::vector<uint8_t> data;
};
inline constexpr std::size_t kFirmwarePartRows = 19;
using FirmwarePartTable = std::array<FirmwarePart, kFirmwarePartRows>;

// The table of a DVR product id ("P51K", "P53K", "P55K", any letter case); nothing for
// another product.
std::optional<FirmwarePartTable> FirmwarePartTableFor(std::string_view productId);

// Loads every file of the table found in `folder` (names matched without regard to letter
// case; a zero-byte file counts). The folder "" stands for "/". Returns the number of rows
// loaded; `totalBytes` gets their sum.
std::size_t LoadFirmwareParts(const std::filesystem::path& folder, FirmwarePartTable& table,
                              uint64_t& totalBytes);

// "1.0.1.3" for firmware "1013"; a shorter text has its characters joined by ".".
std::string FirmwareVersionText(std::string_view firmware);
