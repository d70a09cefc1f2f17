#pragma once
// A ".vse" record file read the way a player reads it, without holding its bytes: the header
// and the place and fields of every whole frame block, found by reading only each block's
// fixed fields. A file that grows is followed by reading what was added since the last look;
// a frame's JPEG bytes are read when it is shown. What it finds in a file is what
// ReadRecordFileForPlayback finds in the same bytes.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "record/RecordFileValidator.h"
#include "record/RecordFormat.h"

class RecordFileIndex {
  public:
    // Reads exactly out.size() bytes at `offset` into `out`; false when it cannot.
    using ReadAt = std::function<bool(uint64_t offset, std::span<uint8_t> out)>;

    // Takes the file as `size` bytes long and reads what was added since the last call: the
    // header again (the writer rewrites it in place), what follows the last whole frame and
    // the index at the end. A file that became shorter is read anew. False when a read
    // failed; the frames found stay, and the next call reads again from there.
    bool Advance(uint64_t size, const ReadAt& read);
    void Clear();

    const RecordFilePlayback& Playback() const { return m_playback; }
    const std::vector<RecordFileFrame>& Frames() const { return m_playback.check.frames; }
    // The size the last successful Advance took.
    uint64_t Size() const { return m_size; }
    // The bytes read to find the frames so far: the fixed fields of each block, not pictures.
    uint64_t BytesRead() const { return m_bytesRead; }

  private:
    bool Read(const ReadAt& read, uint64_t offset, std::span<uint8_t> out);
    // Whether the file ends in a sound frame index of exactly the frames found.
    bool ReadIndex(uint64_t size, const ReadAt& read, bool& indexed);

    RecordFilePlayback m_playback;
    uint64_t m_size = 0;
    bool m_upToDate = false;
    // Where the block after the last whole frame begins.
    uint64_t m_next = kRecordPreambleSize;
    uint64_t m_bytesRead = 0;
};

// A record file opened for reading only, with its index. Never writes the file.
class RecordFileReader {
  public:
    RecordFileReader() = default;
    ~RecordFileReader();
    RecordFileReader(const RecordFileReader&) = delete;
    RecordFileReader& operator=(const RecordFileReader&) = delete;

    // Opens `file`, a regular file, for reading; Refresh reads it. False when it cannot be
    // opened.
    bool Open(const std::filesystem::path& file);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // Whether `file` names the file open now (and not another one put in its place).
    bool IsOpenOn(const std::filesystem::path& file) const;
    // Reads what was added to the file since; a file that became shorter is read anew.
    // False when it cannot be read.
    bool Refresh();

    const RecordFileIndex& Index() const { return m_index; }
    const RecordFilePlayback& Playback() const { return m_index.Playback(); }
    const std::vector<RecordFileFrame>& Frames() const { return m_index.Frames(); }

    // The JPEG bytes of `frame`, one of Frames(), into `jpeg`. False when they cannot be read
    // or are more than any picture shown here takes.
    bool ReadJpeg(const RecordFileFrame& frame, std::vector<uint8_t>& jpeg) const;

    // The JPEG bytes of one frame are at most this many.
    static constexpr uint32_t kMaxJpegBytes = 16u << 20;

  private:
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) const;

    int m_fd = -1;
    std::filesystem::path m_path;
    RecordFileIndex m_index;
};
