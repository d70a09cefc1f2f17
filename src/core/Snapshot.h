#pragma once
// Snapshots: the picture the frame drawing has just drawn, saved as a JPEG file named after
// the local date and time ("080717T103015.jpg") in the snapshot folder.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Clock.h"

// "yymmddThhmmss.jpg" for `time`; with a `suffix` above 0, "yymmddThhmmss_<suffix>.jpg".
std::string SnapshotFileName(const ormidon::LocalTime& time, int suffix = 0);

// The folder, a separator unless the folder already ends with one ("/" or "\"), and the name.
std::string SnapshotPath(std::string_view folder, const ormidon::LocalTime& time, int suffix = 0);

// Writes the picture (bottom-up BGR rows of width x 3 bytes, packed without gaps) as a JPEG
// that shows it upright, named after the current local time. Returns 1, or 0 when the picture
// is smaller than its size says or the file cannot be written. A name already taken (a second
// snapshot within the same second) is never replaced: "_1", "_2"... go before ".jpg".
int SaveSnapshot(std::string_view folder, std::span<const uint8_t> picture, int width, int height);
