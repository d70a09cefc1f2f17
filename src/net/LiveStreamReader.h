#pragma once
// Reads the live stream's reply as a sequence of frames: a header, then exactly the JPEG
// bytes the header announces. It is fed the bytes as they arrive, in whatever pieces the
// socket returns them, and gives the same frames for any split of the same stream.
//
// What it accepts: a JPEG must start FF D8 FF DB. A payload that does not start FF D8, a
// header the parser refuses and a payload too long for the slot switch to resynchronising:
// bytes are skipped up to and including the next JPEG end marker FF D9, and the next header
// starts right after it. A payload that starts FF D8 but not FF D8 FF DB is skipped whole, as
// is a header that announces no payload. In the flag-word layout any four bytes pass for a
// header, so there a header without payload must be followed by a JPEG start FF D8: that JPEG
// carries no length and is skipped to its end marker; any other bytes start resynchronising
// before they are read as a header and set off its reactions. A reply that starts "HTTP/" has its
// status line and headers read first; a status other than 2xx fails the stream.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "net/FrameHeaderParser.h"
#include "net/FrameInfo.h"

enum class LiveStreamEvent {
    NeedMore,    // every byte given was used; feed more
    FrameReady,  // the slot holds a whole frame; give a new slot before feeding on
    NeedSlot,    // a frame's bytes arrived but no slot is set
    Failed,      // the reply is not a stream (see FailureReason)
};

struct LiveStreamStep {
    std::size_t consumed = 0;  // bytes of the input used; the rest must be fed again
    LiveStreamEvent event = LiveStreamEvent::NeedMore;
};

struct LiveStreamCounters {
    uint32_t frames = 0;          // frames put in a slot
    uint32_t droppedFrames = 0;   // payloads that start FF D8 but not FF D8 FF DB
    uint32_t headerOnly = 0;      // headers without payload
    uint32_t resynchronised = 0;  // times the reader went looking for FF D9
};

// What may follow a header that announces no payload.
enum class EmptyHeaderRule {
    NextHeader,  // the next header (a layout whose headers check themselves)
    JpegStart,   // FF D8; anything else is garbage (the flag-word layout)
};

class LiveStreamReader {
  public:
    // Parses the header at the start of its bytes: Incomplete asks for more; Complete gives the
    // header's length and fills the descriptor; Invalid starts resynchronising.
    using HeaderParser =
        std::function<FrameHeaderScan(std::span<const uint8_t>, uint32_t&, FrameInfo_Struct&)>;

    explicit LiveStreamReader(HeaderParser parser,
                              EmptyHeaderRule emptyHeaderRule = EmptyHeaderRule::NextHeader);

    // The slot the next frame's JPEG goes to and its descriptor. Kept until FrameReady.
    void SetSlot(std::span<uint8_t> slot, FrameInfo_Struct* info);
    // Uses bytes from the front of `bytes` until a frame is complete, a slot is needed, the
    // stream failed, or the bytes are used up.
    LiveStreamStep Feed(std::span<const uint8_t> bytes);

    const LiveStreamCounters& Counters() const { return counters_; }
    // Why the stream failed; empty before.
    const char* FailureReason() const { return failure_; }
    // Whether the bytes read so far end inside a frame (part of a header or of a payload)
    // rather than between two frames.
    bool InsideHeader() const { return state_ == State::Header && headerSize_ > 0; }
    bool InsidePayload() const { return state_ == State::Payload && payloadFilled_ > 0; }

  private:
    enum class State {
        HttpProbe,
        HttpHeaders,
        Header,
        AfterEmptyHeader,
        Payload,
        Skip,
        Resync,
        Failed
    };

    LiveStreamStep Step(std::span<const uint8_t> bytes);
    std::size_t StepHttpProbe(std::span<const uint8_t> bytes);
    std::size_t StepHttpHeaders(std::span<const uint8_t> bytes);
    LiveStreamStep StepHeader(std::span<const uint8_t> bytes);
    LiveStreamStep StepPayload(std::span<const uint8_t> bytes);
    std::size_t StepAfterEmptyHeader(std::span<const uint8_t> bytes);
    std::size_t StepResync(std::span<const uint8_t> bytes);
    void StartResync();
    void Fail(const char* reason);
    // Puts bytes that were taken but belong to what follows back in front of the input.
    void Replay(std::span<const uint8_t> bytes);

    HeaderParser parser_;
    EmptyHeaderRule emptyHeaderRule_;
    State state_ = State::HttpProbe;
    const char* failure_ = "";
    LiveStreamCounters counters_;

    std::span<uint8_t> slot_;
    FrameInfo_Struct* slotInfo_ = nullptr;

    // Bytes of a header gathered so far; the parser is asked again as more arrive.
    std::array<uint8_t, kMaxFrameHeaderBytes> header_{};
    std::size_t headerSize_ = 0;
    FrameInfo_Struct parsed_;

    uint32_t payloadLength_ = 0;
    uint32_t payloadFilled_ = 0;
    uint32_t skipLeft_ = 0;
    bool lastByteWasFF_ = false;           // resynchronising: the marker may span two reads
    std::array<uint8_t, 2> afterEmpty_{};  // the bytes after a header without payload
    std::size_t afterEmptySize_ = 0;

    // HTTP status line and headers, and the probe for "HTTP/".
    std::array<char, 4096> http_{};
    std::size_t httpSize_ = 0;

    // Bytes put back by Replay, used before any new input.
    std::array<uint8_t, 2 * kMaxFrameHeaderBytes> replay_{};
    std::size_t replayBegin_ = 0;
    std::size_t replayEnd_ = 0;
};
