#pragma once
// The pre-record ring: the twenty most recent frames of the live stream, each as its JPEG
// bytes and a descriptor, so that an alarm recording can begin with the frames before the
// alarm. The compose thread feeds every frame it decoded (or replaced by a black picture on
// video loss) and hands it over to every recorder that records, in lock-step (RingHandOver).
//
// Only the feeder writes the ring; a recorder reads it between a hand-over and giving its
// guard back, when the feeder cannot store.
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>

#include "record/PreRecordFrame.h"
#include "record/RingHandOver.h"

constexpr uint32_t kPreRecordSlotSize = 102400;
constexpr uint16_t kPreRecordSlotCount = 20;

// What the feeder knows of a frame besides its bytes.
struct RecordFrameFacts {
    uint32_t timeStamp = 0;  // milliseconds, from the frame header
    uint8_t videoLoss = 0;   // 1 for a video-loss frame
    uint8_t channel = 0;     // the selected channel
    uint16_t width = 0;      // the last decoded picture's size
    uint16_t height = 0;
};

class CPreRecordBuffer {
  public:
    CPreRecordBuffer() = default;
    CPreRecordBuffer(const CPreRecordBuffer&) = delete;
    CPreRecordBuffer& operator=(const CPreRecordBuffer&) = delete;

    // Allocates the slots and descriptors where they are not yet allocated; true when both
    // are. Without them the feeder stores nothing and hands nothing over.
    bool AllocateBuffer();
    // Frees both; true.
    bool FreeBuffer();

    // Takes the ring guard of every recorder (in the order given), stores the frame in the
    // next slot, and hands it over to every recorder that takes frames. A frame longer than
    // a slot, or a ring that is not allocated, stores and hands over nothing. Returns 0 when
    // `stop` was requested while waiting for a guard (nothing stored; every guard taken is
    // given back), else 1.
    int Feed(std::span<RingHandOver* const> recorders, std::span<const uint8_t> jpeg,
             const RecordFrameFacts& facts, std::stop_token stop = {});

    // ---- For a recorder that holds a hand-over
    // The slot of the newest frame.
    uint16_t NewestSlot() const;
    const PreRecordFrame_Struct& Descriptor(uint16_t slot) const { return m_lpDescriptors[slot]; }
    std::span<const uint8_t> SlotBytes(uint16_t slot) const;
    // The slot the next frame goes to: once the ring was filled, the oldest frame's.
    uint16_t m_wWriteIndex = 0;

    // Frames stored since start-up; runs on across logins.
    uint64_t FramesFed() const { return framesFed_.load(); }

  private:
    std::unique_ptr<uint8_t[]> m_lpSlots;
    std::unique_ptr<PreRecordFrame_Struct[]> m_lpDescriptors;
    std::atomic<uint64_t> framesFed_{0};
};
