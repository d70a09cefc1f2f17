#include "record/AlarmSound.h"

#include "core/AppObject.h"
#include "platform/MessageBox.h"
#include "record/AlarmSoundThread.h"

namespace {

constexpr uint32_t IDS_LOAD_ALARM_AUDIO_FAILED = 4096;  // "Load alarm audio file is failed"
// The sound thread ends as soon as it is told; the output drops its queue at once.
constexpr uint32_t kSoundStopMs = 10;

}  // namespace

int OnPlayAlarmSound(ormidon::LParam lParam) {
    CAppObject& app = *g_lpApp;
    if (lParam == kAlarmSoundStop) {
        app.f_AlarmWavStarted = 0;
        if (app.f_AlarmWavPlaying.exchange(0) != 0) app.h_StopAlarmWavEvent.Set();
        app.h_PlayAudioWavThread.Stop(kSoundStopMs);
        return 0;
    }
    if (app.f_AlarmWavStarted != 0) return 0;
    // A sound still playing or ending is over before the next one loads.
    app.h_StopAlarmWavEvent.Set();
    app.h_PlayAudioWavThread.Stop(kSoundStopMs);
    if (!app.m_AlarmWave.LoadWaveFile(app.CSettingINI.m_strTriggerWavPath)) {
        ormidon::ShowMessage(IDS_LOAD_ALARM_AUDIO_FAILED);
        return -1;
    }
    app.h_AlarmWavDoneEvent.Reset();
    app.h_StopAlarmWavEvent.Reset();
    std::shared_ptr<AlarmWaveBlock> block = app.m_AlarmWave.m_lpWaveBlock;
    const bool started = app.h_PlayAudioWavThread.Start([block, &app](std::stop_token stop) {
        PlayAudioWav_Thread(stop, block, app.h_AlarmWavDoneEvent, app.h_StopAlarmWavEvent);
    });
    if (!started) return -1;
    app.f_AlarmWavPlaying = 1;
    app.f_AlarmWavStarted = 1;
    return 0;
}
