#include "net/LiveStreamReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kHttpPrefix = "HTTP/";
constexpr uint8_t kJpegStart[4] = {0xFF, 0xD8, 0xFF, 0xDB};

// Reads the status code of "HTTP/1.1 200 OK"; 0 when there is none.
int HttpStatus(std::string_view reply) {
    const std::size_t blank = reply.find(' ');
    if (blank == std::string_view::npos) return 0;
    int status = 0;
    int digits = 0;
    for (std::size_t i = blank + 1; i < reply.size() && digits < 3; ++i, ++digits) {
        if (reply[i] < '0' || reply[i] > '9') break;
        status = status * 10 + (reply[i] - '0');
    }
    return digits == 3 ? status : 0;
}

}  // namespace

LiveStreamReader::LiveStreamReader(HeaderParser parser, EmptyHeaderRule emptyHeaderRule)
    : parser_(std::move(parser)), emptyHeaderRule_(emptyHeaderRule) {}

void LiveStreamReader::SetSlot(std::span<uint8_t> slot, FrameInfo_Struct* info) {
    slot_ = slot;
    slotInfo_ = info;
}

LiveStreamStep LiveStreamReader::Feed(std::span<const uint8_t> bytes) {
    std::size_t used = 0;
    for (;;) {
        // Bytes put back come before any new input.
        while (replayBegin_ < replayEnd_) {
            std::array<uint8_t, sizeof replay_> pending;
            const std::size_t count = replayEnd_ - replayBegin_;
            std::memcpy(pending.data(), replay_.data() + replayBegin_, count);
            replayBegin_ = replayEnd_ = 0;
            std::size_t done = 0;
            LiveStreamStep step;
            // Stop as soon as a step puts bytes back: they come before the rest of these.
            while (done < count && step.event == LiveStreamEvent::NeedMore && replayEnd_ == 0) {
                step = Step(std::span<const uint8_t>(pending.data() + done, count - done));
                done += step.consumed;
            }
            Replay(std::span<const uint8_t>(pending.data() + done, count - done));
            if (step.event != LiveStreamEvent::NeedMore) return {used, step.event};
        }
        if (used == bytes.size()) break;
        const LiveStreamStep step = Step(bytes.subspan(used));
        used += step.consumed;
        if (step.event != LiveStreamEvent::NeedMore) return {used, step.event};
    }
    return {used, state_ == State::Failed ? LiveStreamEvent::Failed : LiveStreamEvent::NeedMore};
}

LiveStreamStep LiveStreamReader::Step(std::span<const uint8_t> bytes) {
    switch (state_) {
        case State::HttpProbe:
            return {StepHttpProbe(bytes), LiveStreamEvent::NeedMore};
        case State::HttpHeaders: {
            const std::size_t used = StepHttpHeaders(bytes);
            return {used,
                    state_ == State::Failed ? LiveStreamEvent::Failed : LiveStreamEvent::NeedMore};
        }
        case State::Header:
            return StepHeader(bytes);
        case State::AfterEmptyHeader:
            return {StepAfterEmptyHeader(bytes), LiveStreamEvent::NeedMore};
        case State::Payload:
            return StepPayload(bytes);
        case State::Skip: {
            const std::size_t used = std::min<std::size_t>(skipLeft_, bytes.size());
            skipLeft_ -= static_cast<uint32_t>(used);
            if (skipLeft_ == 0) state_ = State::Header;
            return {used, LiveStreamEvent::NeedMore};
        }
        case State::Resync:
            return {StepResync(bytes), LiveStreamEvent::NeedMore};
        case State::Failed:
            break;
    }
    return {0, LiveStreamEvent::Failed};
}

std::size_t LiveStreamReader::StepHttpProbe(std::span<const uint8_t> bytes) {
    std::size_t used = 0;
    while (used < bytes.size()) {
        if (static_cast<char>(bytes[used]) != kHttpPrefix[httpSize_]) {
            // Not an HTTP reply: the stream is frames from its first byte, and the bytes
            // compared so far begin the first header.
            std::memcpy(header_.data(), http_.data(), httpSize_);
            headerSize_ = httpSize_;
            httpSize_ = 0;
            state_ = State::Header;
            return used;
        }
        http_[httpSize_++] = static_cast<char>(bytes[used++]);
        if (httpSize_ == kHttpPrefix.size()) {
            state_ = State::HttpHeaders;
            return used;
        }
    }
    return used;
}

std::size_t LiveStreamReader::StepHttpHeaders(std::span<const uint8_t> bytes) {
    std::size_t used = 0;
    while (used < bytes.size()) {
        if (httpSize_ == http_.size()) {
            Fail("reply header too long");
            return used;
        }
        http_[httpSize_++] = static_cast<char>(bytes[used++]);
        const std::string_view text(http_.data(), httpSize_);
        if (text.ends_with("\r\n\r\n") || text.ends_with("\n\n")) {
            const int status = HttpStatus(text);
            httpSize_ = 0;
            if (status < 200 || status > 299) {
                Fail("reply status is not 2xx");
            } else {
                state_ = State::Header;
            }
            return used;
        }
    }
    return used;
}

LiveStreamStep LiveStreamReader::StepHeader(std::span<const uint8_t> bytes) {
    std::size_t used = 0;
    for (;;) {
        // The bytes held are those of an unfinished header, except right after the probe or an
        // end marker found among them; either way they are parsed together with new bytes.
        const std::size_t held = headerSize_;
        const std::size_t take = std::min(bytes.size(), header_.size() - headerSize_);
        std::memcpy(header_.data() + headerSize_, bytes.data(), take);
        headerSize_ += take;

        uint32_t length = 0;
        const FrameHeaderScan scan =
            parser_(std::span<const uint8_t>(header_.data(), headerSize_), length, parsed_);
        if (scan == FrameHeaderScan::Incomplete && headerSize_ < header_.size()) {
            return {used + take, LiveStreamEvent::NeedMore};
        }
        if (scan == FrameHeaderScan::Complete && length > 0 && length <= headerSize_) {
            headerSize_ = 0;
            payloadLength_ = parsed_.dwPayloadLength;
            payloadFilled_ = 0;
            if (payloadLength_ == 0) {
                // A header without a frame: what follows is checked first where the layout
                // cannot tell a header from garbage.
                ++counters_.headerOnly;
                afterEmptySize_ = 0;
                state_ = emptyHeaderRule_ == EmptyHeaderRule::JpegStart ? State::AfterEmptyHeader
                                                                        : State::Header;
            } else {
                state_ = State::Payload;
            }
            if (length >= held) return {used + length - held, LiveStreamEvent::NeedMore};
            // The header ended inside bytes held from before: they belong to what follows.
            Replay(std::span<const uint8_t>(header_.data() + length, held - length));
            return {used, LiveStreamEvent::NeedMore};
        }

        // Not a header: look for the end of a JPEG from the second byte on. Every byte taken
        // here is used; an end marker among them starts the next header right behind it.
        used += take;
        bytes = bytes.subspan(take);
        ++counters_.resynchronised;
        lastByteWasFF_ = false;
        std::size_t next = 0;  // first byte after an end marker; 0 while none is found
        for (std::size_t i = 1; i < headerSize_ && next == 0; ++i) {
            if (lastByteWasFF_ && header_[i] == 0xD9) next = i + 1;
            lastByteWasFF_ = header_[i] == 0xFF;
        }
        if (next == 0) {
            headerSize_ = 0;
            state_ = State::Resync;
            return {used, LiveStreamEvent::NeedMore};
        }
        std::memmove(header_.data(), header_.data() + next, headerSize_ - next);
        headerSize_ -= next;
    }
}

LiveStreamStep LiveStreamReader::StepPayload(std::span<const uint8_t> bytes) {
    if (slotInfo_ == nullptr) return {0, LiveStreamEvent::NeedSlot};
    if (payloadFilled_ == 0 && payloadLength_ > slot_.size()) {
        StartResync();
        return {0, LiveStreamEvent::NeedMore};
    }
    // The first four bytes are taken in small steps so each check sees exactly them.
    std::size_t room = payloadLength_ - payloadFilled_;
    if (payloadFilled_ < 2) {
        room = std::min<std::size_t>(room, 2 - payloadFilled_);
    } else if (payloadFilled_ < 4) {
        room = std::min<std::size_t>(room, 4 - payloadFilled_);
    }
    const std::size_t used = std::min(room, bytes.size());
    std::memcpy(slot_.data() + payloadFilled_, bytes.data(), used);
    payloadFilled_ += static_cast<uint32_t>(used);

    if (payloadFilled_ == 2 && used > 0 && (slot_[0] != 0xFF || slot_[1] != 0xD8)) {
        // Not a JPEG where one should start: resynchronise from the payload's first byte.
        StartResync();
        const std::size_t scanned = StepResync(slot_.first(2));
        (void)scanned;
        return {used, LiveStreamEvent::NeedMore};
    }
    const uint32_t checked = std::min<uint32_t>(payloadLength_, 4);
    if (payloadFilled_ == checked && used > 0 &&
        (payloadLength_ < 4 || std::memcmp(slot_.data(), kJpegStart, 4) != 0)) {
        // It starts like a JPEG but not the kind this stream carries: drop the frame.
        ++counters_.droppedFrames;
        skipLeft_ = payloadLength_ - payloadFilled_;
        state_ = skipLeft_ > 0 ? State::Skip : State::Header;
        return {used, LiveStreamEvent::NeedMore};
    }
    if (payloadFilled_ < payloadLength_) return {used, LiveStreamEvent::NeedMore};

    *slotInfo_ = parsed_;
    slot_ = {};
    slotInfo_ = nullptr;
    ++counters_.frames;
    state_ = State::Header;
    return {used, LiveStreamEvent::FrameReady};
}

std::size_t LiveStreamReader::StepAfterEmptyHeader(std::span<const uint8_t> bytes) {
    const std::size_t used = std::min(bytes.size(), afterEmpty_.size() - afterEmptySize_);
    std::memcpy(afterEmpty_.data() + afterEmptySize_, bytes.data(), used);
    afterEmptySize_ += used;
    if (afterEmptySize_ < afterEmpty_.size()) return used;
    if (afterEmpty_[0] == 0xFF && afterEmpty_[1] == 0xD8) {
        // A JPEG without a length: nowhere to put it, so skip to its end marker.
        lastByteWasFF_ = false;
        state_ = State::Resync;
    } else {
        StartResync();
    }
    // The two bytes are the first the search sees.
    StepResync(afterEmpty_);
    return used;
}

std::size_t LiveStreamReader::StepResync(std::span<const uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (lastByteWasFF_ && bytes[i] == 0xD9) {
            lastByteWasFF_ = false;
            state_ = State::Header;
            return i + 1;
        }
        lastByteWasFF_ = bytes[i] == 0xFF;
    }
    return bytes.size();
}

void LiveStreamReader::StartResync() {
    ++counters_.resynchronised;
    lastByteWasFF_ = false;
    state_ = State::Resync;
}

void LiveStreamReader::Fail(const char* reason) {
    failure_ = reason;
    state_ = State::Failed;
}

void LiveStreamReader::Replay(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    if (replayEnd_ + bytes.size() > replay_.size()) {
        // Cannot happen for headers of at most kMaxFrameHeaderBytes; if it did, the bytes are
        // dropped and the stream resynchronises instead of being misread.
        replayBegin_ = replayEnd_ = 0;
        headerSize_ = 0;
        StartResync();
        return;
    }
    std::memcpy(replay_.data() + replayEnd_, bytes.data(), bytes.size());
    replayEnd_ += bytes.size();
}
