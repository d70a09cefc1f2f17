#pragma once
// The lock-step between the pre-record ring's feeder and one recorder. The feeder takes the
// recorder's ring guard before it stores a frame; when the recorder records, the feeder hands
// the frame over (frame-ready) and leaves the guard taken, and the recorder gives it back once
// it has written the frame. So the feeder cannot overwrite a slot that a recorder still reads,
// and a recorder reads the ring without copying it.
//
// A recorder that stops taking frames settles the hand-over: no frame is handed to it
// afterwards, and a frame handed over and not taken gives its guard back. So neither side can
// be left waiting for the other, whenever a recording stops or its thread ends.
#include <atomic>
#include <cstdint>
#include <stop_token>

#include "platform/Semaphore.h"

class RingHandOver {
  public:
    RingHandOver() = default;
    RingHandOver(const RingHandOver&) = delete;
    RingHandOver& operator=(const RingHandOver&) = delete;

    // ---- Feeder side
    // Waits without limit for the ring guard; false (nothing taken) when `stop` came first.
    bool TakeGuard(std::stop_token stop);
    void GiveBackGuard() { h_RingGuardSem.Release(); }
    // With the guard taken and the frame stored: hands the frame over when the recorder takes
    // frames (the guard stays taken), else gives the guard back. True when handed over.
    bool HandOverOrGiveBack();

    // ---- Recorder side
    // Released once per frame handed over; a recorder waits for it among its other events.
    ormidon::Semaphore& FrameReady() { return h_FrameReadySem; }
    // From now on every frame fed is handed over.
    void StartTaking() { fRecording.store(1); }
    // After a frame handed over was written: the feeder may store the next one.
    void FrameDone() { h_RingGuardSem.Release(); }
    // No frame is handed over after this returns. A frame that was handed over and not
    // taken is taken and given back. Returns at once unless the feeder is storing a frame.
    void StopTaking();

  private:
    ormidon::Semaphore h_RingGuardSem{1, 1};
    ormidon::Semaphore h_FrameReadySem{0, 1};
    // 1 while the recorder takes frames.
    std::atomic<uint32_t> fRecording{0};
};
