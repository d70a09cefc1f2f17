#include "core/Snapshot.h"

#include <vector>

#include "core/TextHelpers.h"
#include "platform/JpegCodec.h"
#include "platform/Paths.h"

namespace {
// Names tried for one second before the snapshot fails.
constexpr int kMaxNameSuffix = 999;
}  // namespace

std::string SnapshotFileName(const ormidon::LocalTime& time, int suffix) {
    return FormatTwoDigits(time.year) + FormatTwoDigits(time.month) + FormatTwoDigits(time.day) +
           "T" + FormatTwoDigits(time.hour) + FormatTwoDigits(time.minute) +
           FormatTwoDigits(time.second) + (suffix > 0 ? "_" + std::to_string(suffix) : "") + ".jpg";
}

std::string SnapshotPath(std::string_view folder, const ormidon::LocalTime& time, int suffix) {
    std::string path(folder);
    if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
    return path + SnapshotFileName(time, suffix);
}

int SaveSnapshot(std::string_view folder, std::span<const uint8_t> picture, int width, int height) {
    const ormidon::LocalTime now = ormidon::LocalNow();
    // The rows are exactly width x 3 bytes apart, whatever the width.
    const std::size_t size = ormidon::BgrPictureBytes(width, height);
    if (size == 0 || size > picture.size()) return 0;
    ormidon::JpegCodec codec;
    std::vector<uint8_t> jpeg;
    if (!codec.Encode(picture.first(size), width, height, ormidon::JpegCodec::kDefaultQuality,
                      jpeg))
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    for (int suffix = 0; suffix <= kMaxNameSuffix; ++suffix) {
        switch (ormidon::CreateFileAtomically(SnapshotPath(folder, now, suffix), bytes)) {
            case ormidon::NewFileResult::Created:
                return 1;
            case ormidon::NewFileResult::Exists:
                break;
            case ormidon::NewFileResult::Failed:
                return 0;
        }
    }
    return 0;
}
