// A parts folder built from the input: files named after the table's rows in any letter
// case (or other names), of any size. The loader takes exactly the rows whose files are
// there, each with that file's bytes; the transfer's pieces cover every part exactly; the
// version text of any firmware text stays within its seven characters.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "core/FirmwareFiles.h"
#include "net/FirmwareTransfer.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ormidon-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) fuzz::Fail("mkdtemp", __FILE__, __LINE__);
        return std::filesystem::path(pattern);
    }();
    return folder;
}

struct Cleanup {
    ~Cleanup() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder(), ignored);
    }
};

// Each byte of `flips` upper- or lower-cases one letter of the name.
std::string Mangle(const std::string& name, uint32_t flips) {
    std::string out = name;
    for (std::size_t i = 0; i < out.size() && i < 32; ++i) {
        const char c = out[i];
        if (((flips >> i) & 1) && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static Cleanup cleanup;
    fuzz::Input input(data, size);
    const std::string product[] = {"P51K", "p53k", "P55K"};
    FirmwarePartTable table = *FirmwarePartTableFor(product[input.U8() % 3]);

    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
    std::filesystem::create_directories(Folder());
    // Up to 24 files: a row's name (or a stray name), its letter case, its size and bytes.
    std::map<std::string, std::string> files;  // by name as written
    const unsigned count = input.U8() % 25;
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t row = input.U8();
        const uint32_t flips = input.U32();
        const std::size_t length = input.U16() % 2048;
        const auto bytes = input.Take(length);
        const std::string name = row < kFirmwarePartRows && table[row].name
                                     ? Mangle(*table[row].name, flips)
                                     : "OTHER" + std::to_string(row) + ".BIN";
        files[name] = std::string(bytes.begin(), bytes.end());
        std::ofstream out(Folder() / name, std::ios::binary | std::ios::trunc);
        out.write(files[name].data(), static_cast<std::streamsize>(files[name].size()));
    }

    uint64_t total = 0;
    const std::size_t loaded = LoadFirmwareParts(Folder(), table, total);
    std::size_t expectedLoaded = 0;
    uint64_t expectedTotal = 0;
    for (const FirmwarePart& part : table) {
        // The files whose name is the row's in some letter case; the loader takes one.
        std::vector<const std::string*> candidates;
        for (const auto& [name, bytes] : files) {
            if (part.name && Upper(name) == *part.name) candidates.push_back(&bytes);
        }
        FUZZ_CHECK(part.loaded == !candidates.empty());
        if (!part.loaded) {
            FUZZ_CHECK(part.data.empty());
            continue;
        }
        bool matches = false;
        for (const std::string* bytes : candidates) {
            // Compared as unsigned bytes: a char of 0x80 or more is negative.
            matches = matches ||
                      std::equal(part.data.begin(), part.data.end(), bytes->begin(), bytes->end(),
                                 [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
        }
        FUZZ_CHECK(matches);
        ++expectedLoaded;
        expectedTotal += part.data.size();
    }
    FUZZ_CHECK(loaded == expectedLoaded && total == expectedTotal);

    // The pieces of each part, in row order, cover it exactly.
    std::vector<std::vector<uint8_t>> rows;
    for (const FirmwarePart& part : table) {
        if (part.loaded) rows.push_back(part.data);
    }
    const FirmwareTransferJob job = MakePartsTransfer(table, FirmwareProtocol::kCommand);
    FUZZ_CHECK(job.parts.size() == rows.size() && job.progressBase == total);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FUZZ_CHECK(job.parts[i].data == rows[i]);
        for (uint32_t piece : {kFirmwareCommandPiece, kFirmwareRawPiece}) {
            const uint64_t pieces = FirmwarePieceCount(rows[i].size(), piece);
            FUZZ_CHECK(pieces * piece >= rows[i].size());
            FUZZ_CHECK(pieces == 0 || (pieces - 1) * piece < rows[i].size());
        }
    }

    // The version text: at most four characters joined by dots.
    const std::string_view firmware = input.RestText();
    const std::string text = FirmwareVersionText(firmware);
    FUZZ_CHECK(text.size() <= 7);
    for (std::size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(i % 2 == 0 ? text[i] == firmware[i / 2] : text[i] == '.');
    }
    return 0;
}

std::vector<FuzzBytes> FuzzSeeds() {
    fuzz::Seed lowerCase;
    lowerCase.U8(0).U8(3);
    lowerCase.U8(0).U32(0xFFFFFFFF).U16(5).Append("kernl");
    lowerCase.U8(17).U32(0x5).U16(0);
    lowerCase.U8(200).U32(0).U16(3).Append("xyz");
    lowerCase.Append("1013");
    fuzz::Seed playerOnly;
    playerOnly.U8(2).U8(1).U8(17).U32(0).U16(4).Append("play").Append("10");
    return {lowerCase, playerOnly};
}
