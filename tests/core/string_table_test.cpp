#include <gtest/gtest.h>

#include "core/StringTable.h"

TEST(StringTable, FindsKnownIdsAndGivesEmptyForUnknown) {
    EXPECT_EQ(LoadResourceString(4056), "Read DeskTop Path Error!!");
    EXPECT_EQ(LoadResourceString(1005), "RECORD$RECORDING");
    EXPECT_TRUE(LoadResourceString(1).empty());
}
