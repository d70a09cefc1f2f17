#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/TextHelpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(TextHelpers, ChecksAndComparesTexts) {
    EXPECT_EQ(CheckAddressString(""), 2);
    EXPECT_EQ(CheckAddressString("192.168.1.10"), 2);
    EXPECT_EQ(CheckAddressString("recorder.local"), 1);
    EXPECT_EQ(CheckAddressString("1.2.3.4 "), 1);
    EXPECT_EQ(IsSameStringNoCase("Admin", "aDMIN"), 1);
    EXPECT_EQ(IsSameStringNoCase("admin", "admin "), 0);
    EXPECT_EQ(IsSameStringNoCase("", ""), 1);
}

TEST(TextHelpers, FiltersDigits) {
    const struct {
        std::string text;
        uint8_t mode;
        std::string expected;
        int result;
    } cases[] = {
        {"-12a3", 1, "123", 1},
        {"", 1, "", 1},
        {"abc", 1, "", 1},
        {std::string(255, 'a'), 1, "", 1},
        {std::string(256, '7'), 1, std::string(256, '7'), 0},
        {"-12a3", 2, "-12a3", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        EXPECT_EQ(FilterNumericString(text, c.mode), c.result);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(TextHelpers, TurnsTextsIntoBytesWithinTheBuffer) {
    const struct {
        const char* what;
        int (*convert)(uint8_t*, int);
        int size;
        int result;
        Bytes expected;  // the whole buffer, guard bytes (0xEE) included
    } cases[] = {
        {"hex with separators",
         [](uint8_t* b, int n) { return HexStringToBytes("00:a0:B1:c2:d3:e4", b, n, ':'); },
         6,
         1,
         {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xEE, 0xEE}},
        {"hex odd last digit dropped",
         [](uint8_t* b, int n) { return HexStringToBytes("12:34:5", b, n, ':'); },
         6,
         1,
         {0x12, 0x34, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"hex longer than the buffer",
         [](uint8_t* b, int n) { return HexStringToBytes("11:22:33:44:55:66:77:88", b, n, ':'); },
         6,
         1,
         {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xEE, 0xEE}},
        {"numbers of an address",
         [](uint8_t* b, int n) { return ParseNumberList("192.168.1.10", b, n, "."); },
         4,
         1,
         {192, 168, 1, 10, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"a run of separators counts once",
         [](uint8_t* b, int n) { return ParseNumberList("1..2", b, n, "."); },
         4,
         1,
         {1, 2, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"a host name",
         [](uint8_t* b, int n) { return ParseNumberList("recorder", b, n, "."); },
         4,
         1,
         {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"low 8 bits",
         [](uint8_t* b, int n) { return ParseNumberList("300.-1", b, n, "."); },
         4,
         1,
         {44, 255, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"more numbers than the buffer",
         [](uint8_t* b, int n) { return ParseNumberList("1.2.3.4.5.6", b, n, "."); },
         4,
         1,
         {1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"no piece",
         [](uint8_t* b, int n) { return ParseNumberList("...", b, n, "."); },
         4,
         0,
         {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"mac",
         [](uint8_t* b, int) { return MacStringToBytes("00a0b1c2d3e4", b); },
         6,
         1,
         {0, 160, 177, 194, 211, 228, 0xEE, 0xEE}},
        {"mac of 10 characters untouched",
         [](uint8_t* b, int) { return MacStringToBytes("00a0b1c2d3", b); },
         6,
         0,
         {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {"mac with a G zeroed",
         [](uint8_t* b, int) { return MacStringToBytes("00a0b1c2d3G4", b); },
         6,
         0,
         {0, 0, 0, 0, 0, 0, 0xEE, 0xEE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes buffer(8, 0xEE);
        EXPECT_EQ(c.convert(buffer.data(), c.size), c.result);
        EXPECT_EQ(buffer, c.expected);
    }
    EXPECT_EQ(MacStringToBytes("00a0b1c2d3e4", nullptr), 0);
    EXPECT_EQ(HexStringToBytes("00", nullptr, 6, ':'), 0);
}

TEST(TextHelpers, FormatsTwoDigits) {
    EXPECT_EQ(FormatTwoDigits(7), "07");
    EXPECT_EQ(FormatTwoDigits(2008), "08");
    EXPECT_EQ(FormatTwoDigits(59), "59");
    EXPECT_EQ(FormatTwoDigits(0), "00");
}

TEST(TextHelpers, SplitsTwoStateTextsWithinTheirBuffers) {
    std::array<char, kSplitStringSize> first, second;
    first.fill('#');
    second.fill('#');
    EXPECT_EQ(LoadSplitString(1005, first, second), 1);
    EXPECT_STREQ(first.data(), "RECORD");
    EXPECT_STREQ(second.data(), "RECORDING");
    EXPECT_EQ(second.back(), '\0');

    // No "$": everything goes into the first buffer; an unknown id gives two empty texts.
    EXPECT_EQ(LoadSplitString(4056, first, second), 1);
    EXPECT_STREQ(first.data(), "Read DeskTop Path Error!!");
    EXPECT_STREQ(second.data(), "");
    LoadSplitString(1, first, second);
    EXPECT_STREQ(first.data(), "");

    // Parts longer than the buffers are cut to fit with their terminator.
    std::array<char, 4> small1, small2;
    EXPECT_EQ(LoadSplitString(1005, small1, small2), 1);
    EXPECT_STREQ(small1.data(), "REC");
    EXPECT_STREQ(small2.data(), "REC");
}

}  // namespace
