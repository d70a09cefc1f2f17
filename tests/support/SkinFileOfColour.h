#pragma once
// The test skin paints every bitmap in a colour of its own: the colour seen on a control
// tells which skin file it shows.
#include <cstdint>
#include <optional>
#include <string>

#include "skin/SkinTable.h"

namespace ormidon::test {

// The skin file whose test colour is `colour` (0xRRGGBB), or nothing.
inline std::optional<std::string> SkinFileOfColour(uint32_t colour) {
    for (const auto& bitmap : skin::kSkinBitmaps) {
        if (skin::TestColourOf(bitmap.file) == colour) return std::string(bitmap.file);
    }
    return std::nullopt;
}

}  // namespace ormidon::test
