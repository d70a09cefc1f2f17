#include "record/AppRecording.h"

#include "core/AppObject.h"
#include "core/LiveView.h"

void AppLiveRecording::FeedRecordFrame(std::span<const uint8_t> jpeg, uint32_t timeStamp,
                                       uint8_t videoLoss) {
    CAppObject& app = *g_lpApp;
    RecordFrameFacts facts;
    facts.timeStamp = timeStamp;
    facts.videoLoss = videoLoss;
    facts.channel = app.CSettingINI.m_bySelectedChannel;
    facts.width = app.w_ImageWidth;
    facts.height = app.w_ImageHeight;
    RingHandOver* const recorders[] = {&app.m_AlarmRecord.HandOver(), &app.m_UserRecord.HandOver(),
                                       &app.m_SchRecord.HandOver()};
    app.m_PreRecordBuffer.Feed(recorders, jpeg, facts);
}

bool AppLiveRecording::IsAlarmRecordActive() {
    return g_lpApp->m_AlarmRecord.m_fAlarmRecordActive != 0;
}

void AppLiveRecording::StartAlarmRecord() {
    CAppObject& app = *g_lpApp;
    app.m_AlarmRecord.OpenRecordFile(app.CSettingINI.m_strRecordPath);
}

void AppLiveRecording::StopAlarmRecord() { g_lpApp->m_AlarmRecord.RequestStop(); }

AppLiveRecording& AppLiveRecordingInstance() {
    static AppLiveRecording recording;
    return recording;
}

bool StartRecorderThreads() {
    CAppObject& app = *g_lpApp;
    app.m_RTPH_Struct.m_wAlarmData = 0;
    return app.m_AlarmRecord.CreateThread(app.h_EndofGetJpegImageEvent) &&
           app.m_UserRecord.CreateThread(app.h_EndofGetJpegImageEvent);
}

bool StopRecorderThreads() {
    CAppObject& app = *g_lpApp;
    const bool alarmInTime = app.m_AlarmRecord.CloseThread();
    const bool userInTime = app.m_UserRecord.CloseThread();
    return alarmInTime && userInTime;
}

void StopAlarmAndScheduleRecording() {
    CAppObject& app = *g_lpApp;
    app.m_AlarmRecord.StopRecord();
    app.m_RTPH_Struct.m_wAlarmData = 0;
    if (LiveView* view = app.lp_MainDialog) view->ClearAlarmChannelText();
    app.m_SchRecord.StopRecord();
}

bool RestartUserRecord() { return g_lpApp->m_UserRecord.RestartRecord() != 0; }
