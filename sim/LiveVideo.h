#pragma once
// The recorder's live stream ("/Getvideo.cgi"): an endless reply of frames, each a header in
// the layout the session asked for and a JPEG of the test picture. Tests set the frame rate
// and picture size, raise event bits (alarm, motion, video loss) and script faults that the
// next frame carries.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "sim/FrameHeaderWriter.h"
#include "sim/Responder.h"

namespace ormidon::sim {

struct VideoSetup {
    int framesPerSecond = 25;  // 0: as fast as the client takes them
    // Picture size; 0 x 0 takes the size of the product family, video mode and resolution.
    int width = 0;
    int height = 0;
    // JPEG quality; 0 takes the quality the session asked for.
    int quality = 0;
    // Send "HTTP/1.1 200 OK" and headers before the frames (the recorder's default is to send
    // frames from the first byte).
    bool httpHeader = false;
};

// A fault carried by the next frame of a stream.
struct StreamFault {
    enum class Kind {
        kGarbage,         // `bytes` bytes that begin no header, then the frame
        kOversizeLength,  // a header claiming more than the client's slot holds (16-bit
                          // layouts: the largest length they can carry)
        kUnknownVersion,  // a version word that is neither 1 nor 2
        kSplitHeader,     // the header in two writes, then the JPEG in a third
        kOneByteWrites,   // the whole frame one byte per write
        kClose,           // half the frame, then the connection closes
        kStall,           // nothing more until the test ends stalls; then the connection closes
    };
    Kind kind = Kind::kGarbage;
    std::size_t bytes = 300;
};

// Picture size of a product family at a video mode (0 NTSC, 1 PAL) and resolution (0 full,
// 1 half, 2 quarter where the family has one).
void FamilyPictureSize(std::string_view productId, int videoMode, int resolution, int& width,
                       int& height);

// JPEG quality of the session's "QUA": 0 high, 1 middle, 2 low (other values: high).
int StreamQuality(int qua);

// What one stream shows now; the recorder reads it again for every frame, so a resolution,
// quality or channel change reaches the running stream.
struct StreamShape {
    int width = 0;
    int height = 0;
    int quality = 0;
    uint8_t channel = 0;  // in the frame header and on the picture
    // What the frame header reports besides; nothing leaves it out.
    std::optional<uint8_t> retrState;
    std::optional<uint8_t> sensorStatus;
};

class LiveVideo {
  public:
    void SetSetup(const VideoSetup& setup);
    VideoSetup Setup() const;
    // Event bits and video loss of every frame from now on.
    void SetEvents(uint16_t alarm, uint16_t motion, bool videoLoss);
    void AddFault(StreamFault fault);

    // Frames written whole, over all streams.
    uint64_t FramesSent() const;
    // Waits (real time, at most `bound`) until `count` frames were written.
    bool WaitForFrames(uint64_t count, std::chrono::milliseconds bound) const;
    int ActiveStreams() const;
    // Waits (real time, at most `bound`) until exactly `count` streams are being served.
    bool WaitForActiveStreams(int count, std::chrono::milliseconds bound) const;

    // Serves one stream until the client leaves, a fault ends it or the recorder stops.
    // `shape` gives each frame's size, quality and channel; the setup's size and quality,
    // where it names them, take precedence.
    void Serve(Responder& responder, HeaderLayout layout,
               const std::function<StreamShape()>& shape);

  private:
    struct FrameEvents {
        uint16_t alarm = 0;
        uint16_t motion = 0;
        bool videoLoss = false;
    };

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;  // frames sent or streams served
    VideoSetup m_setup;
    FrameEvents m_events;
    std::deque<StreamFault> m_faults;
    uint64_t m_framesSent = 0;
    int m_activeStreams = 0;
};

}  // namespace ormidon::sim
