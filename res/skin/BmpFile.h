#pragma once
// Writes pictures as uncompressed 24-bit Windows bitmap files, the form the windows load.
#include <QImage>
#include <filesystem>

namespace ormidon::skin {

// Writes `image` to `file` as a bottom-up, 24-bit BMP (rows padded to four bytes).
bool WriteBmp24(const QImage& image, const std::filesystem::path& file);

}  // namespace ormidon::skin
