#pragma once
// The four user classes of the main window, chosen from the logged-in user's level: their
// rank, and which of the window's buttons each may use.
#include <cstdint>

constexpr int kUserClassCount = 4;
constexpr int kUserClassControls = 9;  // the last, the Power button, only for SUPERVISOR

struct UserClass_Struct {
    uint8_t byClassIndex;
    uint8_t byRank;  // sent to the device as the user class of an RS-485 command
    uint8_t byUserLevel;
    uint32_t dwNameId;     // string id of the class name
    uint32_t dwUsedCount;  // entries of the two lists below that are used (8)
    uint32_t dwControlIds[kUserClassControls];
    uint32_t dwEnabled[kUserClassControls];
};

// Rows: 0 SUPERVISOR, 1 HIGH USER, 2 GUEST, 3 NORMAL USER.
extern const UserClass_Struct UserClassTable[kUserClassCount];

// The rank of row `userClass`; a row outside the table counts as NORMAL USER.
uint8_t GetUserClassRank(uint8_t userClass);

// Whether row `userClass` lets its user have control `controlId`; a control that the
// class does not list is always allowed. A row outside the table counts as NORMAL USER.
bool IsControlEnabledForUserClass(uint8_t userClass, uint32_t controlId);
