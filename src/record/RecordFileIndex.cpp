#include "record/RecordFileIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "record/LittleEndian.h"

namespace {

// Index entries read at once.
constexpr uint64_t kIndexEntriesPerRead = 4096;

}  // namespace

void RecordFileIndex::Clear() {
    m_playback = {};
    m_size = 0;
    m_upToDate = false;
    m_next = kRecordPreambleSize;
}

bool RecordFileIndex::Read(const ReadAt& read, uint64_t offset, std::span<uint8_t> out) {
    m_bytesRead += out.size();
    return read(offset, out);
}

bool RecordFileIndex::Advance(uint64_t size, const ReadAt& read) {
    // A file that became shorter was begun anew.
    if (size < m_size || size < m_next) Clear();
    if (m_upToDate && size == m_size) return true;
    m_upToDate = false;

    std::array<uint8_t, kRecordPreambleSize> preamble{};
    std::size_t held = 0;
    if (size >= kRecordPreambleSize + 4) {
        if (!Read(read, 0, preamble)) return false;
        held = preamble.size();
    }
    RecordFileCheck header;
    if (!ReadRecordHeader(std::span<const uint8_t>(preamble.data(), held), size, header)) {
        Clear();
        m_playback.check = std::move(header);
        m_size = size;
        m_upToDate = true;
        return true;
    }
    // The frames found before stay: the file only grows behind them.
    header.valid = true;
    header.frames = std::move(m_playback.check.frames);
    m_playback.check = std::move(header);
    m_playback.indexed = false;
    m_playback.damage.clear();
    m_playback.damageOffset = 0;

    std::vector<RecordFileFrame>& frames = m_playback.check.frames;
    std::array<uint8_t, kMaxFrameBlockSize> block{};
    while (m_next < size) {
        const std::span<uint8_t> fields(block.data(), static_cast<std::size_t>(std::min<uint64_t>(
                                                          size - m_next, block.size())));
        if (!Read(read, m_next, fields)) return false;
        RecordFileFrame frame;
        std::string error;
        if (!ReadRecordFrameBlock(fields, m_next, size, frame, error)) {
            if (IsDamagedBlock(error, m_next, size, frames.size())) {
                m_playback.damage = error;
                m_playback.damageOffset = m_next;
            }
            break;
        }
        frames.push_back(frame);
        m_next = uint64_t{frame.jpegOffset} + frame.length;
    }

    bool indexed = false;
    if (!ReadIndex(size, read, indexed)) return false;
    m_playback.indexed = indexed;
    m_size = size;
    m_upToDate = true;
    return true;
}

bool RecordFileIndex::ReadIndex(uint64_t size, const ReadAt& read, bool& indexed) {
    indexed = false;
    const RecordFileCheck& check = m_playback.check;
    const std::vector<RecordFileFrame>& frames = check.frames;
    // What the header and the frames tell first: a file being written counts no frames yet.
    const uint64_t count = frames.size();
    if (check.frameCount != count) return true;
    if (count * 8 + 4 > size - kRecordPreambleSize) return true;
    const uint64_t framesEnd = size - 4 - count * 8;
    const uint64_t end = count == 0 ? uint64_t{kRecordPreambleSize}
                                    : uint64_t{frames.back().jpegOffset} + frames.back().length;
    if (end != framesEnd) return true;
    const uint32_t first = count > 0 ? frames.front().timeStamp : 0;
    const uint32_t last = count > 0 ? frames.back().timeStamp : 0;
    if (check.firstTimeStamp != first || check.lastTimeStamp != last) return true;
    for (uint64_t k = 0; k < count; ++k) {
        if (frames[k].serial != k + 1) return true;
    }

    std::array<uint8_t, 4> trailer{};
    if (!Read(read, size - 4, trailer)) return false;
    if (ormidon::le::GetU32(trailer.data()) != count) return true;
    std::vector<uint8_t> entries;
    for (uint64_t k = 0; k < count; k += kIndexEntriesPerRead) {
        const uint64_t n = std::min(count - k, kIndexEntriesPerRead);
        entries.resize(static_cast<std::size_t>(n * 8));
        if (!Read(read, framesEnd + k * 8, entries)) return false;
        for (uint64_t i = 0; i < n; ++i) {
            const uint8_t* entry = entries.data() + i * 8;
            if (ormidon::le::GetU32(entry) != frames[k + i].blockOffset ||
                ormidon::le::GetU32(entry + 4) != 0)
                return true;
        }
    }
    indexed = true;
    return true;
}

RecordFileReader::~RecordFileReader() { Close(); }

void RecordFileReader::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_index.Clear();
}

bool RecordFileReader::Open(const std::filesystem::path& file) {
    Close();
    // Not waiting on a pipe's writer: only a regular file is read.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = file;
    return true;
}

bool RecordFileReader::IsOpenOn(const std::filesystem::path& file) const {
    if (m_fd < 0 || file != m_path) return false;
    struct stat named {};
    struct stat open {};
    return ::stat(file.c_str(), &named) == 0 && ::fstat(m_fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

bool RecordFileReader::Refresh() {
    if (m_fd < 0) return false;
    struct stat status {};
    if (::fstat(m_fd, &status) != 0 || status.st_size < 0) return false;
    return m_index.Advance(
        static_cast<uint64_t>(status.st_size),
        [this](uint64_t offset, std::span<uint8_t> out) { return ReadAt(offset, out); });
}

bool RecordFileReader::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool RecordFileReader::ReadJpeg(const RecordFileFrame& frame, std::vector<uint8_t>& jpeg) const {
    if (m_fd < 0 || frame.length > kMaxJpegBytes) return false;
    jpeg.resize(frame.length);
    return ReadAt(frame.jpegOffset, jpeg);
}
