#pragma once
// What the recorder's network backup sends: one stretch of a channel's recording as a ".vse"
// record file of exactly the requested number of bytes.
//
//   80-byte header | 8-byte extension block | u16 0xFFFF
//   per frame: 31-byte frame block + JPEG bytes (the moving test picture, 25 frames a second)
//   index: per frame u32 offset of its block, u32 0 | u32 frame count
//
// Every frame has the same length, the last one takes up what is left over; a JPEG is
// brought to its length with comment segments after its start marker. The bytes are made
// where they are asked for, so a backup of any size costs no memory; a stretch too short
// for one whole frame is the start of a one-frame file. Offsets are 32 bits wide, so a
// stretch past 4 GB is no longer a readable record file.
#include <cstdint>
#include <string>
#include <vector>

namespace ormidon::sim {

struct BackupTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class BackupRecording {
  public:
    static constexpr int kWidth = 352;
    static constexpr int kHeight = 240;
    static constexpr uint32_t kFrameMilliseconds = 40;
    static constexpr uint32_t kPreambleBytes = 90;
    static constexpr uint32_t kBlockBytes = 31;

    // `channel` is the request's channel index (0 for the first channel); the pictures show
    // its number and the stretch's start time.
    BackupRecording(int channel, const BackupTime& time, uint64_t totalBytes);

    uint64_t Size() const { return m_total; }
    uint64_t FrameCount() const { return m_frames; }
    // Appends the `size` bytes from `offset` (cut at the end) to `out`.
    void Read(uint64_t offset, std::size_t size, std::string& out) const;

  private:
    uint64_t FrameStart(uint64_t frame) const { return kPreambleBytes + frame * m_frameBytes; }
    uint32_t TimeStamp(uint64_t frame) const;
    std::string Block(uint64_t frame) const;
    const std::string& Jpeg(uint64_t frame) const;

    uint64_t m_total = 0;
    uint64_t m_frames = 0;
    uint64_t m_frameBytes = 0;  // block and JPEG of every frame but the last
    uint64_t m_lastExtra = 0;   // what the last frame's JPEG has beyond the others
    uint64_t m_indexStart = 0;
    uint8_t m_channel = 0;
    uint32_t m_firstTimeStamp = 0;
    std::string m_preamble;
    std::vector<std::string> m_jpegs;  // one per phase of the picture, padded
    std::string m_lastJpeg;
};

// The whole backup of `totalBytes` (for tests).
std::string BackupRecordingBytes(int channel, const BackupTime& time, uint64_t totalBytes);

}  // namespace ormidon::sim
