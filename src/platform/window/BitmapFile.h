#pragma once
// Skin bitmaps loaded by file name. The windows name their files relative to the current
// folder with "\" separators ("BMP\LOGIN\spacer.bmp"). A name is looked up without regard
// to letter case, first below the current folder and then below the program folder.
#include <QImage>
#include <filesystem>
#include <optional>
#include <string_view>

namespace ormidon {

// The largest picture accepted from a file, per side; skin files are far smaller, so a
// larger size means a damaged or foreign file.
constexpr int kMaxBitmapSide = 4096;

std::optional<std::filesystem::path> FindBitmapFile(std::string_view name);

// The picture of file `name` in 32-bit RGB, or a null image when the file is missing, is
// not a readable picture or is larger than kMaxBitmapSide. Callers draw nothing for a
// null image. Safe on any thread.
QImage LoadBitmapFile(std::string_view name);

}  // namespace ormidon
