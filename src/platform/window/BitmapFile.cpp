#include "platform/window/BitmapFile.h"

#include <QImageReader>
#include <QString>
#include <system_error>

#include "platform/Paths.h"

namespace ormidon {

std::optional<std::filesystem::path> FindBitmapFile(std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) {
        if (auto found = FindFileNoCase(current, name)) return found;
    }
    return FindFileNoCase(ProgramFolder(), name);
}

QImage LoadBitmapFile(std::string_view name) {
    const std::optional<std::filesystem::path> file = FindBitmapFile(name);
    if (!file) return {};

    QImageReader reader(QString::fromStdString(file->string()));
    const QSize size = reader.size();  // from the header, before any pixel is decoded
    if (!size.isValid() || size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide) {
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() || image.width() > kMaxBitmapSide || image.height() > kMaxBitmapSide) {
        return {};
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace ormidon
