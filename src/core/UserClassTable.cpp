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

bool IsControlEnabledForUserClass(uint8_t userClass, uint32_t controlId) {
    const UserClass_Struct& row =
        UserClassTable[userClass < kUserClassCount ? userClass : kNormalUserRow];
    for (int i = 0; i < kUserClassControls; ++i) {
        if (row.dwControlIds[i] == controlId) return row.dwEnabled[i] != 0;
    }
    return true;
}
