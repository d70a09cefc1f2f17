#include "core/Snapshot.h"

#include <vector>

#include "core/TextHelpers.h"
#include "platform/JpegCodec.h"
#include "platform/Paths.h"

std::string SnapshotFileName(const ormidon::LocalTime& time) {
    return FormatTwoDigits(time.year) + FormatTwoDigits(time.month) + FormatTwoDigits(time.day) +
           "T" + FormatTwoDigits(time.hour) + FormatTwoDigits(time.minute) +
           FormatTwoDigits(time.second) + ".jpg";
}

std::string SnapshotPath(std::string_view folder, const ormidon::LocalTime& time) {
    std::string path(folder);
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
    return path + SnapshotFileName(time);
}

int SaveSnapshot(std::string_view folder, std::span<const uint8_t> picture, int width, int height) {
    const std::string path = SnapshotPath(folder, ormidon::LocalNow());
    // The rows are exactly width x 3 bytes apart, whatever the width.
    const std::size_t size = ormidon::BgrPictureBytes(width, height);
    if (size == 0 || size > picture.size()) return 0;
    ormidon::JpegCodec codec;
    std::vector<uint8_t> jpeg;
    if (!codec.Encode(picture.first(size), width, height, ormidon::JpegCodec::kDefaultQuality,
                      jpeg))
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    return ormidon::ReplaceFileAtomically(path, bytes) ? 1 : 0;
}
