#pragma once
// The string table: every user-visible text of the program by its numeric id.
// The texts themselves live in res/StringTable.inc.
#include <cstdint>
#include <string_view>

// The text of string `id`; empty when the table has no such string.
std::string_view LoadResourceString(uint32_t id);
