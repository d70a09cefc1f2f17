#include "core/UserClassTable.h"

namespace {
constexpr uint8_t kNormalUserRow = 3;
}

// clang-format off
const UserClass_Struct UserClassTable[kUserClassCount] = {
    {0, 60, 30, 3011, 8, {1002, 1007, 1008, 1004, 1005, 1006, 8192, 8193, 8311}, {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {1, 40, 20, 8332, 8, {1002, 1007, 1008, 1004, 1005, 1006, 8192, 8193, 8311}, {1, 1, 1, 1, 1, 0, 1, 1, 0}},
    {2,  4,  0, 3013, 8, {1002, 1007, 1008, 1004, 1005, 1006, 8192, 8193, 8311}, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {3, 20, 10, 3012, 8, {1002, 1007, 1008, 1004, 1005, 1006, 8192, 8193, 8311}, {1, 0, 0, 1, 1, 0, 1, 1, 0}},
};
// clang-format on

uint8_t GetUserClassRank(uint8_t userClass) {
    return UserClassTable[userClass < kUserClassCount ? userClass : kNormalUserRow].byRank;
}
