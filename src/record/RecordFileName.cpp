#include "record/RecordFileName.h"

#include "core/TextHelpers.h"

namespace {

std::string DateAndTime(const ormidon::LocalTime& time) {
    return FormatTwoDigits(time.year) + FormatTwoDigits(time.month) + FormatTwoDigits(time.day) +
           "T" + FormatTwoDigits(time.hour) + FormatTwoDigits(time.minute) +
           FormatTwoDigits(time.second);
}

}  // namespace

std::string RecordFileBaseName(RecordType type, const ormidon::LocalTime& time,
                               std::string_view cookie) {
    if (type == kUserRecording) return "USER_MJPEG_" + DateAndTime(time) + "_UR";
    std::string tag(cookie.substr(0, 4));
    // The cookie comes from the device: it must not name another folder.
    for (char& c : tag) {
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    }
    return "ALARM_MJPEG_" + DateAndTime(time) + "_" + tag;
}

std::string RecordFolder(std::string_view recordPath) {
    std::string folder(recordPath);
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
    return folder;
}
