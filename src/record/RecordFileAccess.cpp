#include "record/RecordFileAccess.h"

#include <fcntl.h>
#include <unistd.h>

bool CanOpenRecordFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
