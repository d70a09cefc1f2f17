#include "net/FrameHeaderParser.h"

#include <cstring>

namespace {

// Reads little-endian fields from the front of a byte range; every read is checked first.
class ByteCursor {
  public:
    explicit ByteCursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Has(std::size_t count) const { return bytes_.size() - position_ >= count; }
    uint8_t Peek() const { return bytes_[position_]; }
    uint8_t U8() { return bytes_[position_++]; }
    uint16_t U16() {
        const uint16_t value =
            static_cast<uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    uint32_t U32() {
        const uint32_t value = static_cast<uint32_t>(bytes_[position_]) |
                               static_cast<uint32_t>(bytes_[position_ + 1]) << 8 |
                               static_cast<uint32_t>(bytes_[position_ + 2]) << 16 |
                               static_cast<uint32_t>(bytes_[position_ + 3]) << 24;
        position_ += 4;
        return value;
    }
    void Text(char (&text)[16]) {
        std::memcpy(text, bytes_.data() + position_, sizeof text);
        position_ += sizeof text;
    }
    void Skip(std::size_t count) { position_ += count; }
    std::size_t Position() const { return position_; }

  private:
    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
};

constexpr uint8_t kExtensionMark = 50;
constexpr uint32_t kLargestVersionTimeStamp = 0x33333333;  // raw values from here on count as 0

}  // namespace

ormidon::LocalTime UnpackDeviceTime(uint32_t packed) {
    ormidon::LocalTime time;
    time.year = static_cast<int>(packed >> 26) + 2000;
    time.month = static_cast<int>(packed >> 22 & 0x0F);
    time.day = static_cast<int>(packed >> 17 & 0x1F);
    time.hour = static_cast<int>(packed >> 12 & 0x1F);
    time.minute = static_cast<int>(packed >> 6 & 0x3F);
    time.second = static_cast<int>(packed & 0x3F);
    return time;
}

FrameHeaderScan ParseVersionFrameHeader(std::span<const uint8_t> bytes, FrameHeaderFields& out) {
    out = {};
    FrameInfo_Struct& info = out.info;
    ByteCursor in(bytes);
    if (!in.Has(2)) return FrameHeaderScan::Incomplete;
    const uint16_t version = in.U16();
    if (version != 1 && version != 2) return FrameHeaderScan::Invalid;
    if (version == 1) {
        if (!in.Has(6)) return FrameHeaderScan::Incomplete;
        info.dwPayloadLength = in.U16();
    } else {
        if (!in.Has(10)) return FrameHeaderScan::Incomplete;
        in.Skip(2);
        info.dwPayloadLength = in.U32();
    }
    info.byOnlineUserCount = in.U8() & 0x0F;
    info.byLiveChannel = in.U8() >> 4;
    const uint16_t flags = in.U16();

    if (flags & 0x0002) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wMotionDetect = in.U16();
        out.hasMotionDetect = true;
    }
    if (flags & 0x0004) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wEventBits1 = in.U16();
        out.hasEventBits1 = true;
    }
    if (flags & 0x0008) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wEventBits3 = in.U16();
        out.hasEventBits3 = true;
    }
    if (flags & 0x0020) {
        if (!in.Has(4)) return FrameHeaderScan::Incomplete;
        const uint32_t raw = in.U32();
        info.dwTimeStamp = raw >= kLargestVersionTimeStamp ? 0 : raw * 5;
    }
    if (flags & 0x0040) {
        if (!in.Has(4)) return FrameHeaderScan::Incomplete;
        info.stDeviceTime = UnpackDeviceTime(in.U32());
        out.hasDeviceTime = true;
    }
    if (flags & 0x0080) {
        if (!in.Has(16)) return FrameHeaderScan::Incomplete;
        in.Text(info.szHUText);
    }
    if (flags & 0x0100) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        info.byExtraByte = in.U8();
    }
    // The extension is taken only when it starts with its mark; otherwise the header ends here
    // and the byte belongs to what follows.
    if (flags & 0x2000) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        if (in.Peek() == kExtensionMark) {
            if (!in.Has(4)) return FrameHeaderScan::Incomplete;
            in.Skip(2);
            const uint16_t extension = in.U16();
            if (extension & 0x0001) {
                if (!in.Has(1)) return FrameHeaderScan::Incomplete;
                info.byResolution = in.U8();
            }
            if (extension & 0x0002) {
                if (!in.Has(1)) return FrameHeaderScan::Incomplete;
                out.retrState = in.U8();
                out.hasRetrState = true;
            }
            if (extension & 0x0010) {
                if (!in.Has(1)) return FrameHeaderScan::Incomplete;
                out.sensorStatus = in.U8();
                out.hasSensorStatus = true;
            }
            if (extension & 0x0004) info.byVideoLoss = 1;
            if (extension & 0x0008) out.networkBackup = true;
            if (extension & 0x0020) info.byLiveChannel = 16;
        }
    }
    info.dwHeaderLength = static_cast<uint32_t>(in.Position());
    return FrameHeaderScan::Complete;
}

FrameHeaderScan ParseFlagFrameHeader(std::span<const uint8_t> bytes, FrameHeaderFields& out) {
    out = {};
    FrameInfo_Struct& info = out.info;
    ByteCursor in(bytes);
    if (!in.Has(4)) return FrameHeaderScan::Incomplete;
    const uint32_t flags = in.U32();
    info.dwHeaderFlags = flags;

    if (flags & 0x0001) {
        if (!in.Has(4)) return FrameHeaderScan::Incomplete;
        info.dwPayloadLength = in.U32();
    }
    if (flags & 0x0002) {
        if (!in.Has(16)) return FrameHeaderScan::Incomplete;
        in.Text(info.szHUText);
    }
    if (flags & 0x0004) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        out.retrState = in.U8();
        in.Skip(1);
        out.hasRetrState = true;
    }
    if (flags & 0x0008) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        info.byResolution = in.U8();
    }
    if (flags & 0x0010) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        info.byExtraByte = in.U8();
    }
    if (flags & 0x0020) {
        if (!in.Has(4)) return FrameHeaderScan::Incomplete;
        info.dwTimeStamp = in.U32() * 5u;
    }
    if (flags & 0x0040) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        info.byOnlineUserCount = in.U8();
    }
    if (flags & 0x0080) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wEventBits1 = in.U16();
        out.hasEventBits1 = true;
    }
    if (flags & 0x0100) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wMotionDetect = in.U16();
        out.hasMotionDetect = true;
    }
    if (flags & 0x0200) {
        if (!in.Has(2)) return FrameHeaderScan::Incomplete;
        info.wEventBits3 = in.U16();
        out.hasEventBits3 = true;
    }
    if (flags & 0x0400) out.networkBackup = true;
    if (flags & 0x0800) {
        if (!in.Has(1)) return FrameHeaderScan::Incomplete;
        info.byLiveChannel = in.U8();
    }
    if (flags & 0x2000) {
        if (!in.Has(4)) return FrameHeaderScan::Incomplete;
        info.stDeviceTime = UnpackDeviceTime(in.U32());
        out.hasDeviceTime = true;
    }
    if (flags & 0x1000) info.byVideoLoss = 1;
    info.dwHeaderLength = static_cast<uint32_t>(in.Position());
    return FrameHeaderScan::Complete;
}
