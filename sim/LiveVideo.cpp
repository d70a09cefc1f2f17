#include "sim/LiveVideo.h"

#include <ctime>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "sim/StreamJpeg.h"
#include "sim/TestPicture.h"

namespace ormidon::sim {

namespace {

// The client's socket slot; an oversize length claims more than this.
constexpr uint32_t kOversizeLength = 200000;
constexpr int kVideoLossWidth = 64;
constexpr int kVideoLossHeight = 48;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

struct WallClock {
    std::string text;  // "hh:mm:ss"
    uint32_t packed = 0;
};

WallClock Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return {text, PackDeviceTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                 local.tm_hour, local.tm_min, local.tm_sec)};
}

// Encoded test pictures of the current clock second: the picture repeats every
// kTestPicturePhases frames within a second, so a fast stream encodes each phase once.
class PictureCache {
  public:
    const std::string& Get(uint32_t frame, const std::string& clock, const StreamShape& shape) {
        if (clock != m_clock || shape.width != m_shape.width || shape.height != m_shape.height ||
            shape.quality != m_shape.quality || shape.channel != m_shape.channel) {
            m_clock = clock;
            m_shape = shape;
            m_jpegs.clear();
        }
        const uint32_t phase = frame % kTestPicturePhases;
        auto found = m_jpegs.find(phase);
        if (found != m_jpegs.end()) return found->second;
        DrawTestPicture(m_rgb, shape.width, shape.height, frame, clock, shape.channel);
        std::string jpeg = m_encoder.Encode(m_rgb, shape.width, shape.height, shape.quality);
        // A 16-bit length cannot carry a bigger frame: lower the quality until it fits.
        for (int q = shape.quality - 10; jpeg.size() > 0xFFFF && q > 5; q -= 10) {
            jpeg = m_encoder.Encode(m_rgb, shape.width, shape.height, q);
        }
        return m_jpegs.emplace(phase, std::move(jpeg)).first->second;
    }

    std::string Black() {
        std::vector<uint8_t> rgb(kVideoLossWidth * kVideoLossHeight * 3, 0);
        return m_encoder.Encode(rgb, kVideoLossWidth, kVideoLossHeight, 75);
    }

  private:
    StreamJpegEncoder m_encoder;
    std::string m_clock;
    StreamShape m_shape;
    std::map<uint32_t, std::string> m_jpegs;
    std::vector<uint8_t> m_rgb;
};

}  // namespace

void FamilyPictureSize(std::string_view productId, int videoMode, int resolution, int& width,
                       int& height) {
    const bool pal = videoMode != 0;
    if (StartsWith(productId, "T18D")) {
        width = resolution == 0 ? 640 : resolution == 1 ? 320 : 160;
        height = width * 3 / 4;
    } else if (StartsWith(productId, "P62K") || StartsWith(productId, "N2")) {
        width = resolution == 0 ? 704 : 352;
        height = pal ? 288 : 240;
    } else {  // the P5xK DVRs
        width = resolution == 0 ? 640 : 320;
        height = pal ? 276 : 228;
    }
}

int StreamQuality(int qua) {
    switch (qua) {
        case 1:
            return 60;
        case 2:
            return 35;
        default:
            return 85;
    }
}

void LiveVideo::SetSetup(const VideoSetup& setup) {
    std::lock_guard lock(m_mutex);
    m_setup = setup;
}

VideoSetup LiveVideo::Setup() const {
    std::lock_guard lock(m_mutex);
    return m_setup;
}

void LiveVideo::SetEvents(uint16_t alarm, uint16_t motion, bool videoLoss) {
    std::lock_guard lock(m_mutex);
    m_events.alarm = alarm;
    m_events.motion = motion;
    m_events.videoLoss = videoLoss;
}

void LiveVideo::AddFault(StreamFault fault) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back(fault);
}

uint64_t LiveVideo::FramesSent() const {
    std::lock_guard lock(m_mutex);
    return m_framesSent;
}

bool LiveVideo::WaitForFrames(uint64_t count, std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] { return m_framesSent >= count; });
}

int LiveVideo::ActiveStreams() const {
    std::lock_guard lock(m_mutex);
    return m_activeStreams;
}

bool LiveVideo::WaitForActiveStreams(int count, std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] { return m_activeStreams == count; });
}

void LiveVideo::Serve(Responder& responder, HeaderLayout layout,
                      const std::function<StreamShape()>& shape) {
    {
        std::lock_guard lock(m_mutex);
        ++m_activeStreams;
    }
    m_changed.notify_all();
    struct Leave {
        LiveVideo* video;
        ~Leave() {
            {
                std::lock_guard lock(video->m_mutex);
                --video->m_activeStreams;
            }
            video->m_changed.notify_all();
        }
    } leave{this};

    const VideoSetup first = Setup();
    if (first.httpHeader &&
        !responder.WriteRaw("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                            "Connection: keep-alive\r\n\r\n")) {
        return;
    }
    PictureCache pictures;
    const std::string black = pictures.Black();
    const auto start = std::chrono::steady_clock::now();
    auto due = start;
    for (uint32_t frame = 0; !responder.Stopping(); ++frame) {
        VideoSetup setup;
        FrameEvents events;
        std::optional<StreamFault> fault;
        {
            std::lock_guard lock(m_mutex);
            setup = m_setup;
            events = m_events;
            if (!m_faults.empty()) {
                fault = m_faults.front();
                m_faults.pop_front();
            }
        }
        StreamShape look = shape();
        if (setup.width > 0) look.width = setup.width;
        if (setup.height > 0) look.height = setup.height;
        if (setup.quality > 0) look.quality = setup.quality;
        const WallClock clock = Now();
        const std::string& jpeg = events.videoLoss ? black : pictures.Get(frame, clock.text, look);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);

        FrameHeaderState state;
        state.payloadLength = static_cast<uint32_t>(jpeg.size());
        state.channel = look.channel;
        state.retrState = look.retrState;
        state.sensorStatus = look.sensorStatus;
        state.eventBits1 = events.alarm;
        state.motion = events.motion;
        state.videoLoss = events.videoLoss;
        state.resolution = look.width < 400 ? 1 : 0;
        state.timeStamp = static_cast<uint32_t>(elapsed.count() / 5);
        state.packedTime = clock.packed;
        HeaderLayout written = layout;
        using Kind = StreamFault::Kind;
        const Kind kind = fault ? fault->kind : Kind::kGarbage;
        if (fault && kind == Kind::kOversizeLength) {
            state.payloadLength = layout == HeaderLayout::kVersion1 ? 0xFFFF : kOversizeLength;
        } else if (fault && kind == Kind::kUnknownVersion) {
            state.versionWord = 7;
            if (written == HeaderLayout::kFlagWord) written = HeaderLayout::kVersion1;
        }
        const std::string header = WriteFrameHeader(written, state);

        bool ok = true;
        if (fault && kind == Kind::kGarbage) {
            ok = responder.WriteRaw(std::string(fault->bytes, '\x5A')) &&
                 responder.WriteRaw(header + jpeg);
        } else if (fault && kind == Kind::kSplitHeader) {
            const std::size_t half = header.size() / 2;
            ok = responder.WriteRaw(std::string_view(header).substr(0, half)) &&
                 responder.Pause(std::chrono::milliseconds(5)) &&
                 responder.WriteRaw(std::string_view(header).substr(half)) &&
                 responder.Pause(std::chrono::milliseconds(5)) && responder.WriteRaw(jpeg);
        } else if (fault && kind == Kind::kOneByteWrites) {
            const std::string whole = header + jpeg;
            for (std::size_t i = 0; ok && i < whole.size(); ++i) {
                ok = responder.WriteRaw(std::string_view(whole).substr(i, 1));
            }
        } else if (fault && kind == Kind::kClose) {
            const std::string whole = header + jpeg;
            responder.WriteRaw(std::string_view(whole).substr(0, whole.size() / 2));
            return;
        } else if (fault && kind == Kind::kStall) {
            responder.Stall();
            return;
        } else {
            ok = responder.WriteRaw(header + jpeg);
        }
        if (!ok) return;
        {
            std::lock_guard lock(m_mutex);
            ++m_framesSent;
        }
        m_changed.notify_all();

        if (setup.framesPerSecond > 0) {
            // Frames fall due at a steady pace; a stream that fell behind starts anew from now.
            const auto now = std::chrono::steady_clock::now();
            due += std::chrono::microseconds(1000000 / setup.framesPerSecond);
            if (due < now - std::chrono::seconds(1)) due = now;
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - now);
            if (wait.count() > 0 && !responder.Pause(wait)) return;
        }
    }
}

}  // namespace ormidon::sim
