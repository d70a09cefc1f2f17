#include "core/StringTable.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct StringEntry {
    uint32_t id;
    std::string_view text;
};

// Sorted by id (checked by the string-table test).
constexpr StringEntry kStrings[] = {
#include "StringTable.inc"
};

}  // namespace

std::string_view LoadResourceString(uint32_t id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, uint32_t v) { return e.id < v; });
    return (it != std::end(kStrings) && it->id == id) ? it->text : std::string_view{};
}
