// The look of the sheet's progress bar for a position of a total.
#include <gtest/gtest.h>

#include <QRect>
#include <cstdint>
#include <string>

#include "sheet/ProgressSlot.h"

namespace ormidon::test {
namespace {

TEST(ProgressLookTest, FillAndPercentOverTheWholeRange) {
    // A 204-pixel bar fills 200 pixels inside its border.
    const QRect bar(10, 0, 204, 20);
    const struct {
        int64_t position, total;
        int fill;
        uint32_t percent;
    } cases[] = {
        {0, 200, 0, 0},
        {100, 200, 100, 50},
        {200, 200, 200, 100},
        {300, 200, 200, 100},                           // past the total: full
        {5, 0, 0, 0},                                   // no total: no fill
        {int64_t{3} << 40, int64_t{4} << 40, 150, 75},  // beyond 32 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + "/" + std::to_string(c.total));
        const ProgressLook look = ComputeProgressLook(bar, c.position, c.total);
        EXPECT_EQ(look.fill, c.fill);
        EXPECT_EQ(look.percent, c.percent);
        EXPECT_GE(look.textX, bar.left());
        EXPECT_LE(look.textX, bar.right());
    }
}

}  // namespace
}  // namespace ormidon::test
