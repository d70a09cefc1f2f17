#include "record/AlarmSoundThread.h"

#include <atomic>
#include <cstdio>

#include "platform/AudioOut.h"
#include "platform/WaitAny.h"

namespace {

std::atomic<bool> g_noDeviceReported{false};

}  // namespace

void PlayAudioWav_Thread(std::stop_token stop, std::shared_ptr<AlarmWaveBlock> block,
                         ormidon::Event& bufferDone, ormidon::Event& stopEvent) {
    std::unique_ptr<ormidon::AudioOut> output = ormidon::CreateAudioOut();
    if (!output->Open(block->format, bufferDone)) {
        if (!g_noDeviceReported.exchange(true)) {
            std::fputs("Alarm sound : no sound output for the alarm wave, the alarm is silent \n",
                       stdout);
            std::fflush(stdout);
        }
        return;
    }
    for (int i = 0; i < kAlarmWaveBufferCount; ++i) {
        CAlarmWave::FillBuffer(*block, i);
        output->Write(block->headers[i]);
    }
    for (;;) {
        const ormidon::WaitResult woken =
            ormidon::WaitAny({&stopEvent, &bufferDone}, ormidon::kInfinite, stop);
        if (woken.status != ormidon::WaitStatus::Signalled || woken.index != 1) break;
        for (int i = 0; i < kAlarmWaveBufferCount; ++i) {
            if (!block->headers[i].done) continue;
            CAlarmWave::FillBuffer(*block, i);
            output->Write(block->headers[i]);
        }
    }
    // The output reads none of the block's buffers once this returns.
    output->Reset();
}
