#include "BmpFile.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace ormidon::skin {
namespace {

void Put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

bool WriteBmp24(const QImage& image, const std::filesystem::path& file) {
    if (image.isNull()) return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const uint32_t width = static_cast<uint32_t>(rgb.width());
    const uint32_t height = static_cast<uint32_t>(rgb.height());
    const uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * height;

    std::string out;
    out.reserve(54 + pixelBytes);
    out += "BM";
    Put32(out, 54 + pixelBytes);  // file size
    Put32(out, 0);                // reserved
    Put32(out, 54);               // offset of the pixels
    Put32(out, 40);               // size of the info header
    Put32(out, width);
    Put32(out, height);  // positive: rows stored bottom-up
    Put16(out, 1);       // planes
    Put16(out, 24);      // bits per pixel
    Put32(out, 0);       // no compression
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (uint32_t x = 0; x < width; ++x) {
            out.push_back(static_cast<char>(qBlue(line[x])));
            out.push_back(static_cast<char>(qGreen(line[x])));
            out.push_back(static_cast<char>(qRed(line[x])));
        }
        out.append(rowBytes - width * 3, '\0');
    }

    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(stream);
}

}  // namespace ormidon::skin
