#include "net/FrameHeaderReactions.h"

#include "core/AppMessages.h"
#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/LiveView.h"
#include "net/LiveRecording.h"
#include "platform/WindowMessage.h"

namespace {

constexpr const char* kNetworkBackupText = "Network backup,stop video!!";
constexpr ormidon::LParam kAlarmSoundPlay = 0;
constexpr ormidon::LParam kAlarmSoundStop = 2;

LiveView* View() { return g_lpApp->lp_MainDialog.load(); }

}  // namespace

FrameHeaderConditions AppFrameHeaderListener::Conditions() {
    CAppObject& app = *g_lpApp;
    FrameHeaderConditions conditions;
    conditions.alarmWavPlaying = app.f_AlarmWavPlaying != 0;
    conditions.alarmTriggerRecord = app.CSettingINI.m_byAlarmTriggerRecord;
    conditions.alarmAutoSwitchVideo = app.CSettingINI.m_byAlarmAutoSwitchVideo;
    conditions.p5xKFamily = IsP5xKModel() != 0;
    conditions.multiChannel = IsMultiChannel() != 0;
    conditions.p62KFamily = IsP62KModel() != 0;
    conditions.t18DFamily = IsT18DModel() != 0;
    conditions.n2xVFamily = IsN2xVModel() != 0;
    conditions.hasRetrDvr = app.C_ControlD.HasRetrDvr() != 0;
    LiveRecording* recording = GetLiveRecording();
    conditions.alarmRecordActive = recording != nullptr && recording->IsAlarmRecordActive();
    return conditions;
}

ormidon::LocalTime AppFrameHeaderListener::FrameTime() {
    std::lock_guard lock(g_lpApp->m_FrameTimeLock);
    return g_lpApp->st_FrameTime;
}

void AppFrameHeaderListener::SetFrameTime(const ormidon::LocalTime& time) {
    std::lock_guard lock(g_lpApp->m_FrameTimeLock);
    g_lpApp->st_FrameTime = time;
}

void AppFrameHeaderListener::RedrawDateTime() {
    ormidon::PostWindowMessage(g_lpApp->h_MainDialogHandle, WM_REDRAWDATETIME, 0, 0);
}

void AppFrameHeaderListener::SwitchChannel(uint8_t channel) {
    if (LiveView* view = View()) view->RequestChannel(channel);
}

void AppFrameHeaderListener::SetRetrState(uint8_t state) {
    g_lpApp->C_ControlD.SetRetrState(state);
}

void AppFrameHeaderListener::ShowNetworkBackup() {
    if (LiveView* view = View()) view->SetStatusText(kNetworkBackupText);
}

void AppFrameHeaderListener::PostSensorStatus(uint8_t status) {
    ormidon::PostWindowMessage(g_lpApp->h_CmosToolBarHandle, WM_CMOSSTATUS, status, 0);
}

void AppFrameHeaderListener::PostAlarmSound(bool start) {
    ormidon::PostWindowMessage(g_lpApp->h_MainDialogHandle, WM_POSTALARMAUDIO, 0,
                               start ? kAlarmSoundPlay : kAlarmSoundStop);
}

void AppFrameHeaderListener::StartAlarmRecord() {
    if (LiveRecording* recording = GetLiveRecording()) recording->StartAlarmRecord();
}

void AppFrameHeaderListener::StopAlarmRecord() {
    if (LiveRecording* recording = GetLiveRecording()) recording->StopAlarmRecord();
}

FrameHeaderListener& AppFrameHeaderReactions() {
    static AppFrameHeaderListener listener;
    return listener;
}
