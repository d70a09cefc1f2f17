#include "record/RingHandOver.h"

#include "platform/WaitAny.h"

bool RingHandOver::TakeGuard(std::stop_token stop) {
    return h_RingGuardSem.Wait(ormidon::kInfinite, stop);
}

bool RingHandOver::HandOverOrGiveBack() {
    if (fRecording.load() == 0) {
        h_RingGuardSem.Release();
        return false;
    }
    h_FrameReadySem.Release();
    return true;
}

void RingHandOver::StopTaking() {
    fRecording.store(0);
    // Either a frame is waiting (the feeder saw the recorder taking frames and left the guard
    // taken), or the guard is free or about to be: the feeder holds it only while storing.
    // Taking whichever comes and giving the guard back leaves the pair as new.
    ormidon::WaitAny({&h_FrameReadySem, &h_RingGuardSem}, ormidon::kInfinite);
    h_RingGuardSem.Release();
}
