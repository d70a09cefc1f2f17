#pragma once
// Names of record files: "ALARM_MJPEG_yymmddThhmmss_<cookie>.vse" and
// "USER_MJPEG_yymmddThhmmss_UR.vse" in the "Record Path" folder.
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "record/RecordFormat.h"

constexpr std::string_view kRecordFileExtension = ".vse";

// The name without its extension. An alarm name ends with the first four characters of the
// session cookie (fewer when it is shorter); characters that would reach out of the folder
// ("/", "\", a zero) become "_".
std::string RecordFileBaseName(RecordType type, const ormidon::LocalTime& time,
                               std::string_view cookie);

// The folder text with a trailing separator ("/" unless it already ends with "/" or "\").
std::string RecordFolder(std::string_view recordPath);
