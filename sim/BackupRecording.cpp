#include "sim/BackupRecording.h"

#include <algorithm>
#include <cstdio>

#include "sim/StreamJpeg.h"
#include "sim/TestPicture.h"

namespace ormidon::sim {

namespace {

constexpr uint16_t kMagic = 0x4B58;
constexpr uint32_t kPictureMask = 0xE00000FF;
constexpr int kQuality = 70;
// The most bytes one comment segment holds, its marker and length included.
constexpr std::size_t kMaxSegment = 0xFFFF + 2;
// The comment segment with nothing in it: marker and length.
constexpr std::size_t kMinSegment = 4;

void PutU16(std::string& out, std::size_t at, uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void PutU32(std::string& out, std::size_t at, uint32_t value) {
    PutU16(out, at, value & 0xFFFF);
    PutU16(out, at + 2, value >> 16);
}

// `jpeg` brought to `length` bytes (its own or at least kMinSegment more) with comment
// segments behind its start marker.
std::string Padded(const std::string& jpeg, uint64_t length) {
    std::string out = jpeg.substr(0, 2);
    uint64_t padding = length - jpeg.size();
    while (padding > 0) {
        std::size_t segment = static_cast<std::size_t>(std::min<uint64_t>(padding, kMaxSegment));
        // What is left must fit a segment of its own.
        if (padding - segment > 0 && padding - segment < kMinSegment) segment -= kMinSegment;
        out += '\xFF';
        out += '\xFE';
        const std::size_t at = out.size();
        out.append(2, '\0');
        out[at] = static_cast<char>((segment - 2) >> 8);
        out[at + 1] = static_cast<char>((segment - 2) & 0xFF);
        out.append(segment - kMinSegment, 'x');
        padding -= segment;
    }
    out.append(jpeg, 2);
    return out;
}

}  // namespace

BackupRecording::BackupRecording(int channel, const BackupTime& time, uint64_t totalBytes)
    : m_total(totalBytes), m_channel(static_cast<uint8_t>(channel + 1)) {
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", time.hour % 100, time.minute % 100,
                  time.second % 100);
    std::vector<uint8_t> rgb;
    StreamJpegEncoder encoder;
    std::vector<std::string> pictures;
    std::size_t longest = 0;
    for (uint32_t phase = 0; phase < kTestPicturePhases; ++phase) {
        DrawTestPicture(rgb, kWidth, kHeight, phase, clock, m_channel);
        pictures.push_back(encoder.Encode(rgb, kWidth, kHeight, kQuality));
        longest = std::max(longest, pictures.back().size());
    }
    const uint64_t jpegBytes = longest + kMinSegment;
    for (const std::string& picture : pictures) m_jpegs.push_back(Padded(picture, jpegBytes));
    m_frameBytes = kBlockBytes + jpegBytes;

    // Preamble, frames with their index entries, and the count.
    const uint64_t perFrame = m_frameBytes + 8;
    const uint64_t fixed = kPreambleBytes + 4;
    const bool whole = totalBytes >= fixed + perFrame;
    m_frames = whole ? (totalBytes - fixed) / perFrame : 1;
    m_lastExtra = whole ? totalBytes - fixed - m_frames * perFrame : 0;
    m_lastJpeg = Padded(pictures[(m_frames - 1) % kTestPicturePhases], jpegBytes + m_lastExtra);
    m_indexStart = FrameStart(m_frames) + m_lastExtra;
    m_firstTimeStamp =
        static_cast<uint32_t>(((time.hour * 60 + time.minute) * 60 + time.second) * 1000);

    m_preamble.assign(kPreambleBytes, '\0');
    PutU16(m_preamble, 0, kMagic);
    PutU16(m_preamble, 2, 88);
    m_preamble.replace(4, 4, "P62K");
    const int created[8] = {time.year, time.month, 0, time.day, time.hour, time.minute,
                            time.second, 0};
    for (int i = 0; i < 8; ++i) PutU16(m_preamble, 24 + 2 * static_cast<std::size_t>(i),
                                       static_cast<uint32_t>(created[i]));
    PutU32(m_preamble, 40, m_firstTimeStamp);
    PutU32(m_preamble, 44, TimeStamp(m_frames - 1));
    PutU32(m_preamble, 48, static_cast<uint32_t>(m_frames));
    m_preamble.replace(52, 4, std::string{'\x7F', '\0', '\0', '\x01'});
    PutU16(m_preamble, 56, 23);
    m_preamble.replace(60, 3, "DVR");
    PutU32(m_preamble, 76, 2);  // an extension block follows
    PutU32(m_preamble, 80, 0xFFFFFFFFu);
    PutU16(m_preamble, 88, 0xFFFF);
}

uint32_t BackupRecording::TimeStamp(uint64_t frame) const {
    return m_firstTimeStamp + static_cast<uint32_t>(frame * kFrameMilliseconds);
}

std::string BackupRecording::Block(uint64_t frame) const {
    std::string block(kBlockBytes, '\0');
    PutU32(block, 0, kPictureMask);
    PutU32(block, 4, static_cast<uint32_t>(frame + 1));
    PutU32(block, 8, static_cast<uint32_t>(Jpeg(frame).size()));
    PutU16(block, 12, kWidth);
    PutU16(block, 14, kHeight);
    PutU32(block, 16, TimeStamp(frame));
    block[20] = static_cast<char>(m_channel);
    block[22] = 5;
    PutU16(block, 23, kMagic);
    PutU16(block, 25, 29);  // up to and including the byte sum
    uint32_t sum = 0;
    for (std::size_t i = 0; i < 27; ++i) sum += static_cast<uint8_t>(block[i]);
    PutU16(block, 27, sum & 0xFFFF);
    PutU16(block, 29, 0xFFFF);
    return block;
}

const std::string& BackupRecording::Jpeg(uint64_t frame) const {
    return frame + 1 == m_frames ? m_lastJpeg : m_jpegs[frame % kTestPicturePhases];
}

void BackupRecording::Read(uint64_t offset, std::size_t size, std::string& out) const {
    const uint64_t end = std::min(m_total, offset + size);
    while (offset < end) {
        std::string piece;
        uint64_t pieceStart = 0;
        if (offset < kPreambleBytes) {
            piece = m_preamble;
        } else if (offset < m_indexStart) {
            const uint64_t frame =
                std::min((offset - kPreambleBytes) / m_frameBytes, m_frames - 1);
            pieceStart = FrameStart(frame);
            if (offset - pieceStart < kBlockBytes) {
                piece = Block(frame);
            } else {
                // Taken straight from the picture, without a copy.
                const std::string& jpeg = Jpeg(frame);
                const uint64_t at = offset - pieceStart - kBlockBytes;
                const std::size_t take =
                    static_cast<std::size_t>(std::min<uint64_t>(jpeg.size() - at, end - offset));
                out.append(jpeg, static_cast<std::size_t>(at), take);
                offset += take;
                continue;
            }
        } else {
            const uint64_t entry = (offset - m_indexStart) / 8;
            pieceStart = m_indexStart + entry * 8;
            piece.assign(entry < m_frames ? 8 : 4, '\0');
            PutU32(piece, 0,
                   static_cast<uint32_t>(entry < m_frames ? FrameStart(entry) : m_frames));
        }
        const uint64_t at = offset - pieceStart;
        const std::size_t take =
            static_cast<std::size_t>(std::min<uint64_t>(piece.size() - at, end - offset));
        out.append(piece, static_cast<std::size_t>(at), take);
        offset += take;
    }
}

std::string BackupRecordingBytes(int channel, const BackupTime& time, uint64_t totalBytes) {
    std::string out;
    out.reserve(static_cast<std::size_t>(totalBytes));
    BackupRecording(channel, time, totalBytes).Read(0, static_cast<std::size_t>(totalBytes), out);
    return out;
}

}  // namespace ormidon::sim
