// Firmware packages and part folders as the upgrade reads them, and the version text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "core/FirmwareFiles.h"

namespace {

using ormidon::test::TempFolder;

std::vector<uint8_t> Record(uint32_t header, std::size_t dataBytes, uint8_t fill = 0xAB) {
    std::vector<uint8_t> r = {static_cast<uint8_t>(header), static_cast<uint8_t>(header >> 8),
                              static_cast<uint8_t>(header >> 16), static_cast<uint8_t>(header >> 24)};
    r.insert(r.end(), dataBytes, fill);
    return r;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> records) {
    std::vector<uint8_t> out;
    for (const auto& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
}

TEST(FirmwarePackageTest, RecordsAreReadAsTheyTileTheFile) {
    const auto package = ParseFirmwarePackage(
        Join({Record(18 << 4 | 1, 18, 1), Record(0, 0), Record(291 << 4 | 0, 291, 2),
              Record(3 << 4 | 2, 3, 3)}));
    ASSERT_TRUE(package.has_value());
    EXPECT_EQ(package->types, (std::vector<uint8_t>{kFirmwareKernel, 0, kFirmwareBoot, 2}));
    ASSERT_EQ(package->parts.size(), 4u);
    EXPECT_EQ(package->parts[0], std::vector<uint8_t>(18, 1));
    EXPECT_TRUE(package->parts[1].empty());
    EXPECT_EQ(package->parts[2].size(), 291u);
    EXPECT_EQ(package->fileSize, 4u * 4 + 18 + 291 + 3);
}

TEST(FirmwarePackageTest, WhatDoesNotTileIsRefused) {
    std::vector<uint8_t> many;
    for (int i = 0; i < 256; ++i) {
        const auto r = Record(1 << 4 | 1, 1);
        many.insert(many.end(), r.begin(), r.end());
    }
    auto withStray = [](std::size_t stray) {
        auto bytes = Record(2 << 4 | 1, 2);
        bytes.insert(bytes.end(), stray, 0);
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"last record past the end", Record(100 << 4 | 1, 50)},
        {"1 stray byte", withStray(1)},
        {"3 stray bytes", withStray(3)},
        {"256 records", many},
        {"no data byte", Join({Record(0, 0), Record(1, 0)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ParseFirmwarePackage(c.bytes).has_value());
    }
    many.resize(many.size() - 5);  // 255 records
    EXPECT_TRUE(ParseFirmwarePackage(many).has_value());
}

TEST(FirmwarePackageTest, FilesGiveTheirMessages) {
    TempFolder folder;
    FirmwarePackageJob package;
    EXPECT_EQ(ReadFirmwarePackage(folder / "missing.bin", package), 4047u);
    EXPECT_EQ(ReadFirmwarePackage(folder.path(), package), 4047u);
    const auto bad = Record(100 << 4 | 1, 50);
    ormidon::test::WriteFile(folder / "bad.bin", std::string(bad.begin(), bad.end()));
    EXPECT_EQ(ReadFirmwarePackage(folder / "bad.bin", package), 4057u);
    const auto good = Record(5 << 4 | 4, 5);
    ormidon::test::WriteFile(folder / "KERNEL.BIN", std::string(good.begin(), good.end()));
    EXPECT_EQ(ReadFirmwarePackage(folder / "KERNEL.BIN", package), 0u);
    EXPECT_EQ(package.types, (std::vector<uint8_t>{kFirmwareHtml}));
}

TEST(FirmwarePartsTest, TablesAndFolders) {
    ASSERT_FALSE(FirmwarePartTableFor("P62K").has_value());
    for (auto [product, kernel] : {std::pair{"P51K", "KERNEL16.BIN"}, {"p53k", "KERNEL8.BIN"},
                                   {"P55K", "KERNEL4.BIN"}}) {
        auto table = FirmwarePartTableFor(product);
        ASSERT_TRUE(table.has_value());
        EXPECT_EQ((*table)[0].name, kernel);
        EXPECT_EQ((*table)[6].name, "LANGU1.GZ");
        EXPECT_EQ((*table)[16].name, "LANGU11.GZ");
        EXPECT_EQ((*table)[17].name, "PLAYER.BIN");
        EXPECT_FALSE((*table)[18].name.has_value());
    }

    TempFolder folder;
    FirmwarePartTable table = *FirmwarePartTableFor("P51K");
    uint64_t total = 99;
    EXPECT_EQ(LoadFirmwareParts(folder.path(), table, total), 0u);  // nothing there: 4111
    EXPECT_EQ(total, 0u);

    ormidon::test::WriteFile(folder / "player.bin", "PLAYER");  // another letter case
    EXPECT_EQ(LoadFirmwareParts(folder.path(), table, total), 1u);
    EXPECT_TRUE(table[17].loaded);
    EXPECT_EQ(std::string(table[17].data.begin(), table[17].data.end()), "PLAYER");

    ormidon::test::WriteFile(folder / "Boot.Bin", "");  // zero bytes count
    ormidon::test::WriteFile(folder / "KERNEL16.BIN", "kernel");
    EXPECT_EQ(LoadFirmwareParts(folder.path(), table, total), 3u);
    EXPECT_TRUE(table[1].loaded);
    EXPECT_TRUE(table[1].data.empty());
    EXPECT_EQ(total, 12u);
}

TEST(FirmwareVersionTextTest, DigitsJoinedByDots) {
    EXPECT_EQ(FirmwareVersionText("1013"), "1.0.1.3");
    EXPECT_EQ(FirmwareVersionText("10130"), "1.0.1.3");
    EXPECT_EQ(FirmwareVersionText("10"), "1.0");
    EXPECT_EQ(FirmwareVersionText(""), "");
}

}  // namespace
