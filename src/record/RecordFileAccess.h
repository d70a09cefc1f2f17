#pragma once
// Whether a record file named in the alarm database can be opened now.
#include <string>

// True when `path` can be opened for reading. Never waits: a path from the database may
// name a pipe, whose opening would wait for a writer.
bool CanOpenRecordFile(const std::string& path);
