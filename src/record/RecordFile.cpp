#include "record/RecordFile.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Clock.h"
#include "record/RecordFileName.h"

namespace {

// Highest "_n" tried before a name counts as taken for good.
constexpr int kMaxNameSuffix = 999;

// Writes all of `parts` at `offset`, going on after short writes. False on any failure.
bool WriteAllAt(int fd, uint64_t offset, std::span<const std::span<const uint8_t>> parts) {
    iovec vectors[2];
    size_t count = 0;
    for (const auto& part : parts) {
        if (part.empty()) continue;
        vectors[count++] = {const_cast<uint8_t*>(part.data()), part.size()};
    }
    iovec* next = vectors;
    while (count > 0) {
        const ssize_t written =
            ::pwritev(fd, next, static_cast<int>(count), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        offset += static_cast<uint64_t>(written);
        size_t left = static_cast<size_t>(written);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<uint8_t*>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return true;
}

bool WriteAllAt(int fd, uint64_t offset, std::span<const uint8_t> bytes) {
    const std::span<const uint8_t> parts[1] = {bytes};
    return WriteAllAt(fd, offset, parts);
}

}  // namespace

RecordFile::RecordFile() = default;

RecordFile::~RecordFile() { Close(); }

bool RecordFile::Create(std::string_view folder, std::string_view baseName,
                        const RecordHeader_Struct& header) {
    Close();
    headerWritten_ = false;
    m_Header = header;
    m_dwFileOffset = 0;
    lastTimeStamp_ = 0;
    blockOffsets_.clear();
    blockOffsets_.reserve(kMaxFramesPerRecordFile);
    for (int suffix = 0; suffix <= kMaxNameSuffix; ++suffix) {
        std::string path(folder);
        path += baseName;
        if (suffix > 0) path += "_" + std::to_string(suffix);
        path += kRecordFileExtension;
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            fd_ = fd;
            path_ = std::move(path);
            return true;
        }
        if (errno != EEXIST) {
            path_ = std::move(path);
            return false;
        }
    }
    return false;
}

bool RecordFile::WriteHeader() {
    if (!IsOpen()) return false;
    m_Header.creationTime = ormidon::LocalNow();
    m_Header.firstTimeStamp = 0;
    m_Header.lastTimeStamp = 0;
    m_Header.frameCount = 0;
    const auto preamble = RecordPreambleBytes(m_Header);
    if (!WriteAllAt(fd_, 0, preamble)) return false;
    headerWritten_ = true;
    m_dwFileOffset = kRecordPreambleSize;
    return true;
}

bool RecordFile::WriteFrame(PreRecordFrame_Struct frame, std::span<const uint8_t> jpeg) {
    if (!IsOpen() || !headerWritten_ || FrameCount() >= kMaxFramesPerRecordFile) return false;
    frame.serial = FrameCount() + 1;
    if (frame.serial == 1 && !UpdateHeader(frame.timeStamp)) return false;
    const FrameBlock block = BuildFrameBlock(frame, static_cast<uint32_t>(jpeg.size()));
    const std::span<const uint8_t> parts[2] = {block.Bytes(), jpeg};
    if (!WriteAllAt(fd_, m_dwFileOffset, parts)) {
        // Whatever reached the disk of this frame goes again, so the file ends after a
        // whole frame and its trailer can follow.
        const int truncated = ::ftruncate(fd_, m_dwFileOffset);
        (void)truncated;
        return false;
    }
    blockOffsets_.push_back(m_dwFileOffset);
    m_dwFileOffset += block.size + static_cast<uint32_t>(jpeg.size());
    lastTimeStamp_ = frame.timeStamp;
    return true;
}

bool RecordFile::Finish() {
    if (!IsOpen()) return true;
    bool ok = headerWritten_ || WriteHeader();
    if (ok) {
        ok = SetHeaderInfo(FrameCount(), FrameCount() > 0 ? lastTimeStamp_ : 0);
        const std::vector<uint8_t> trailer = RecordTrailerBytes(blockOffsets_);
        ok = WriteAllAt(fd_, m_dwFileOffset, trailer) && ok;
    }
    Close();
    return ok;
}

bool RecordFile::UpdateHeader(uint32_t firstTimeStamp) {
    m_Header.firstTimeStamp = firstTimeStamp;
    return RewriteHeader();
}

bool RecordFile::SetHeaderInfo(uint32_t frameCount, uint32_t lastTimeStamp) {
    m_Header.frameCount = frameCount;
    m_Header.lastTimeStamp = lastTimeStamp;
    return RewriteHeader();
}

bool RecordFile::RewriteHeader() {
    const auto bytes = m_Header.ToBytes();
    return WriteAllAt(fd_, 0, bytes);
}

void RecordFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}
