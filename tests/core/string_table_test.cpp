#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string_view>

#include "core/StringTable.h"

namespace {

struct Entry {
    uint32_t id;
    std::string_view text;
};

constexpr Entry kTable[] = {
#include "StringTable.inc"
};

TEST(StringTable, FindsKnownIdsAndGivesEmptyForUnknown) {
    EXPECT_EQ(LoadResourceString(4056), "Read DeskTop Path Error!!");
    EXPECT_EQ(LoadResourceString(1005), "RECORD$RECORDING");
    EXPECT_EQ(LoadResourceString(4210), "BMP\\Dialog_apply.bmp");
    EXPECT_EQ(LoadResourceString(3028), "Search\nStop_Search");
    EXPECT_EQ(LoadResourceString(8448 + 74), "(GMT+13:00) Nuku'alofa");
    EXPECT_TRUE(LoadResourceString(1).empty());
    EXPECT_TRUE(LoadResourceString(4000).empty());
}

// The lookup is a binary search, so the file must stay sorted with one entry per id;
// every entry also has a text.
TEST(StringTable, FileIsSortedUniqueAndComplete) {
    for (size_t i = 0; i < std::size(kTable); ++i) {
        EXPECT_FALSE(kTable[i].text.empty()) << kTable[i].id;
        EXPECT_EQ(LoadResourceString(kTable[i].id), kTable[i].text);
        if (i > 0) {
            EXPECT_LT(kTable[i - 1].id, kTable[i].id) << "at " << kTable[i].id;
        }
    }
}

}  // namespace
