#pragma once
// Mock-ups of the skinned windows put together from the skin bitmaps at the places the
// window layouts give them, so a reviewer sees the skin as one product, not as parts.
#include <QImage>
#include <QString>
#include <map>
#include <vector>

#include "ContactSheet.h"

namespace ormidon::skin {

// `bitmaps`: every skin picture by its file ("BMP/ch1.bmp").
std::vector<SheetItem> Previews(const std::map<QString, QImage>& bitmaps);

}  // namespace ormidon::skin
