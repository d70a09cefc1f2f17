#pragma once
// One row of the Account page's working table: a copy of a device account slot, edited on
// the page and written back into the "SECURE" section by its applier.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct AccountEntry {
    int bUsed = 0;
    uint16_t wLevel = 0;      // 30, 20, 10 or 0
    uint32_t dwLifeTime = 0;  // minutes; 0xFFFFFFFF without limit
    std::string strUserName;
    std::string strPassword;
    int bLoginRecord = 0;
};

inline constexpr std::size_t kAccountEntries = 5;
using AccountTable = std::array<AccountEntry, kAccountEntries>;
