#include "record/RecordFileValidator.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "record/LittleEndian.h"
#include "record/RecordFormat.h"

namespace le = ormidon::le;

namespace {

RecordFileCheck Fail(RecordFileCheck check, std::string error) {
    check.valid = false;
    check.error = std::move(error);
    return check;
}

// The bytes of a frame block at `at`, as many as the longest block takes.
std::span<const uint8_t> BlockAt(std::span<const uint8_t> bytes, uint64_t at) {
    if (at >= bytes.size()) return {};
    return bytes.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(std::min<uint64_t>(
                                                           kMaxFrameBlockSize, bytes.size() - at)));
}

}  // namespace

bool ReadRecordFrameBlock(std::span<const uint8_t> block, uint64_t at, uint64_t end,
                          RecordFileFrame& frame, std::string& error) {
    // What of the block lies inside the frames.
    const uint64_t held = at < end ? std::min<uint64_t>(block.size(), end - at) : 0;
    if (held < 4) {
        error = "frame block past the frames";
        return false;
    }
    const uint8_t* p = block.data();
    const uint32_t mask = le::GetU32(p);
    const bool videoLoss = mask == kFrameMaskVideoLoss;
    if (mask != kFrameMaskPicture && !videoLoss) {
        error = "field mask";
        return false;
    }
    const uint32_t size = videoLoss ? 32 : 31;
    if (held < size) {
        error = "frame block past the frames";
        return false;
    }
    frame.blockOffset = static_cast<uint32_t>(at);
    frame.serial = le::GetU32(p + 4);
    frame.length = le::GetU32(p + 8);
    frame.width = le::GetU16(p + 12);
    frame.height = le::GetU16(p + 14);
    frame.timeStamp = le::GetU32(p + 16);
    frame.channel = p[20];
    frame.videoLoss = videoLoss;
    if (p[21] != 0 || p[22] != 5 || (videoLoss && p[23] != 1)) {
        error = "fixed frame fields";
        return false;
    }
    const uint32_t magicAt = videoLoss ? 24 : 23;
    if (le::GetU16(p + magicAt) != kRecordMagic) {
        error = "frame magic";
        return false;
    }
    if (le::GetU16(p + magicAt + 2) != magicAt + 6) {
        error = "frame block length";
        return false;
    }
    uint16_t sum = 0;
    for (uint32_t i = 0; i < magicAt + 4; ++i) sum = static_cast<uint16_t>(sum + p[i]);
    if (le::GetU16(p + magicAt + 4) != sum) {
        error = "frame byte sum";
        return false;
    }
    if (le::GetU16(p + magicAt + 6) != 0xFFFF) {
        error = "frame end word";
        return false;
    }
    if (at + size + uint64_t{frame.length} > end) {
        error = "JPEG bytes past the frames";
        return false;
    }
    frame.jpegOffset = static_cast<uint32_t>(at + size);
    return true;
}

bool ReadRecordHeader(std::span<const uint8_t> preamble, uint64_t fileSize,
                      RecordFileCheck& check) {
    auto fail = [&check](std::string error) {
        check = Fail(std::move(check), std::move(error));
        return false;
    };
    if (fileSize < kRecordPreambleSize + 4 || preamble.size() < kRecordPreambleSize)
        return fail("shorter than header and count");
    if (fileSize > 0xFFFFFFFFu) return fail("longer than 4 GB");
    const uint8_t* h = preamble.data();
    if (le::GetU16(h) != kRecordMagic) return fail("header magic");
    if (le::GetU16(h + 2) != kRecordHeaderLength) return fail("header length");
    if (std::memcmp(h + 4, kRecordProductId, 4) != 0) return fail("product id");
    for (int i = 8; i < 24; ++i) {
        if (h[i] != 0) return fail("reserved header bytes");
    }
    if (le::GetU16(h + 56) != 23 || h[58] != 0) return fail("fixed header fields");
    if (le::GetU32(h + 76) != kRecordHeaderFlagExtension) return fail("header flags");
    if (le::GetU32(h + 80) != 0xFFFFFFFFu || le::GetU32(h + 84) != 0 ||
        le::GetU16(h + 88) != 0xFFFF)
        return fail("extension block");
    check.creationTime = le::GetSystemTime(h + 24);
    check.firstTimeStamp = le::GetU32(h + 40);
    check.lastTimeStamp = le::GetU32(h + 44);
    check.frameCount = le::GetU32(h + 48);
    std::memcpy(check.deviceAddress, h + 52, 4);
    check.recordType = h[59];
    if (check.recordType > kAlarmRecording) return fail("record type");
    const char* name = reinterpret_cast<const char*>(h + 60);
    check.userName.assign(name, strnlen(name, kRecordUserNameSize));
    return true;
}

RecordFileCheck ValidateRecordFile(std::span<const uint8_t> bytes) {
    RecordFileCheck check;
    if (!ReadRecordHeader(bytes, bytes.size(), check)) return check;
    const uint8_t* h = bytes.data();
    const uint32_t headerCount = check.frameCount;
    const uint64_t size = bytes.size();
    const uint32_t count = le::GetU32(h + size - 4);
    if (uint64_t{count} * 8 + 4 > size - kRecordPreambleSize) return Fail(check, "trailer count");
    if (count != headerCount) return Fail(check, "header and trailer counts differ");
    const uint64_t framesEnd = size - 4 - uint64_t{count} * 8;
    const uint8_t* index = h + framesEnd;

    uint32_t at = kRecordPreambleSize;
    for (uint32_t k = 0; k < count; ++k) {
        if (le::GetU32(index + 8 * k) != at || le::GetU32(index + 8 * k + 4) != 0)
            return Fail(check, "index entry " + std::to_string(k + 1));
        RecordFileFrame frame;
        std::string error;
        if (!ReadRecordFrameBlock(BlockAt(bytes, at), at, framesEnd, frame, error))
            return Fail(check, error + " of frame " + std::to_string(k + 1));
        if (frame.serial != k + 1) return Fail(check, "serial of frame " + std::to_string(k + 1));
        at = frame.jpegOffset + frame.length;
        check.frames.push_back(frame);
    }
    if (at != framesEnd) return Fail(check, "bytes between the last frame and the index");
    const uint32_t first = count > 0 ? check.frames.front().timeStamp : 0;
    const uint32_t last = count > 0 ? check.frames.back().timeStamp : 0;
    if (check.firstTimeStamp != first) return Fail(check, "first time stamp");
    if (check.lastTimeStamp != last) return Fail(check, "last time stamp");
    check.valid = true;
    return check;
}

RecordFileCheck ValidateRecordFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return Fail({}, "cannot open " + file.string());
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    return ValidateRecordFile(bytes);
}

bool IsDamagedBlock(const std::string& error, uint64_t at, uint64_t size, std::size_t frames) {
    // A block cut by the end of the file is where the writer stopped; anything else is
    // damage, reported with its place.
    const bool cut =
        error == "frame block past the frames" || error == "JPEG bytes past the frames";
    // The index of a file whose other checks failed is not damage either.
    const bool trailer = size - at == 4 + 8 * uint64_t{frames};
    return !cut && !trailer;
}

RecordFilePlayback ReadRecordFileForPlayback(std::span<const uint8_t> bytes) {
    RecordFilePlayback playback;
    playback.check = ValidateRecordFile(bytes);
    if (playback.check.valid) {
        playback.indexed = true;
        return playback;
    }
    RecordFileCheck header;
    if (!ReadRecordHeader(bytes, bytes.size(), header)) {
        playback.check = header;
        return playback;
    }
    // No sound index (still being written, or cut): every whole frame block in file order.
    playback.check = header;
    playback.check.valid = true;
    const uint64_t size = bytes.size();
    uint32_t at = kRecordPreambleSize;
    while (at < size) {
        RecordFileFrame frame;
        std::string error;
        if (!ReadRecordFrameBlock(BlockAt(bytes, at), at, size, frame, error)) {
            if (IsDamagedBlock(error, at, size, playback.check.frames.size())) {
                playback.damage = error;
                playback.damageOffset = at;
            }
            break;
        }
        at = frame.jpegOffset + frame.length;
        playback.check.frames.push_back(frame);
    }
    return playback;
}
