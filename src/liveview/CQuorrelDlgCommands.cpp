// The live-view commands of the main window: connect and disconnect, local recording,
// snapshot, the device's configuration, the stream's resolution and quality, the colour
// window and the channel bar's buttons. Each runs on the UI thread; a command whose
// precondition fails stops there.
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/AppObject.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "liveview/CColorAdjustDlg.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/ColourReply.h"
#include "liveview/MainWindowSheetHost.h"
#include "liveview/WindowCommand.h"
#include "net/ReLogin.h"
#include "platform/MessageBox.h"
#include "settings/MySystemDialog.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr uint32_t kMsgConnectFirst = 4085;
constexpr uint32_t kMsgRecordFileFailed = 4018;
constexpr uint32_t kStrRecordTooltips = 1005;  // "RECORD$RECORDING"
constexpr uint32_t kMsgResolutionFailed = 4066;
constexpr uint32_t kMsgQualityFailed = 4011;

// Bounds of the waits of DISCONNECT: the re-login thread, the stream's answer to the reset,
// and the take-down of the live pipeline.
constexpr uint32_t kReLoginStopMs = 30;
constexpr uint32_t kStreamResetAnswerMs = 5000;
constexpr uint32_t kTakeDownAnswerMs = 10000;

constexpr size_t kColourReplySize = 256;

// A setting of the stream that a function button steps through and the device is told of.
struct StreamSetting {
    uint8_t command;
    const char* key;
    int32_t CSettingINI::*value;
    int32_t count;  // values 0 to count - 1; any other value is left alone
    int buttonId;
    uint32_t failMessage;
};

constexpr StreamSetting kResolution = {
    CGI_SETRESOLUTION,   "RES", &CSettingINI::m_dwImageResolution, 2, CQuorrelDlg::kIdResolution,
    kMsgResolutionFailed};
constexpr StreamSetting kQuality = {
    CGI_SETQUALITY,   "QUA", &CSettingINI::m_dwAlarmTriggerQuality, 3, CQuorrelDlg::kIdQuality,
    kMsgQualityFailed};

// Steps the setting to its next value and tells the device; when the device does not take
// it, the old value comes back. The button shows the value that holds.
void StepStreamSetting(const StreamSetting& setting, CVtxButton* button) {
    int32_t& value = g_lpApp->CSettingINI.*setting.value;
    const int32_t old = value;
    if (old < 0 || old >= setting.count) return;
    value = (old + 1) % setting.count;
    CCgiRequest request = WindowCommandRequest(setting.command);
    request.AddIntParam(setting.key, value);
    if (!SendWindowCommand(setting.command, request)) {
        value = old;
        if (button != nullptr) button->SetState(old);
        ormidon::ShowMessage(setting.failMessage);
        return;
    }
    if (button != nullptr) button->SetState(value);
}

constexpr uint32_t kStrSystemSetting = 3027;  // "System setting"

bool VideoServerConnected() {
    if (g_lpApp->f_VideoServerConnected != 0) return true;
    ormidon::ShowMessage(kMsgConnectFirst);
    return false;
}

}  // namespace

bool CQuorrelDlg::OnBarCommand(int id) {
    if (!g_lpApp) return false;
    if (id >= CChannelBar::kIdChannelDvr && id < CChannelBar::kIdPageLeft) {
        // A multi-channel DVR's cameras may have changed: the channel hands the panel to
        // the camera the device reports for it now.
        QueryPtzSlaves();
        m_ChannelBar.SetChannel(static_cast<uint8_t>(id - CChannelBar::kIdChannelDvr));
        return true;
    }
    switch (id) {
        case CChannelBar::kIdPageLeft:
            m_ChannelBar.PageLeft();
            return true;
        case CChannelBar::kIdPageRight:
            m_ChannelBar.PageRight();
            return true;
        case kIdColour:
            OnColor();
            return true;
        case kIdConnect:
            OnLogin();
            return true;
        case kIdRecord:
            OnRecord();
            return true;
        case kIdSnapshot:
            OnSnapshoot();
            return true;
        case kIdSystemConfig:
            OnSystemConfig();
            return true;
        case kIdResolution:
            OnResol();
            return true;
        case kIdQuality:
            OnQuility();
            return true;
        default:
            return false;
    }
}

void CQuorrelDlg::OnLogin() {
    CAppObject& app = *g_lpApp;
    if (app.f_Connected == 0) {
        app.h_ReLoginThread.Stop(kReLoginStopMs);
        if (!app.h_ReLoginThread.Start(ReLogin_Thread)) return;
        SetStatusText("CONNECT!!");
        m_FunctionBar.SetButtonState(kActionConnect, 0);
        return;
    }
    m_FunctionBar.SetButtonState(kActionConnect, 1);
    SetStatusText("DISCONNECT!!");
    if (app.f_SystemDialogOpen == 1) DeleteSystemDialog();
    app.h_ReLoginThread.Stop(kReLoginStopMs);
    if (app.f_GetImageRunning != 0) {
        // The stream ends its connection and answers; then the pipeline is taken down.
        app.h_FeedBackForNotifyResetEvent.Reset();
        app.h_NotifyGetJPEGImageThreadResetEvent.Set();
        app.h_FeedBackForNotifyResetEvent.Wait(kStreamResetAnswerMs);
        app.h_Process_Reply_TerminateEvent.Reset();
        app.h_Process_Notify_TerminateEvent.Set();
        app.h_Process_Reply_TerminateEvent.Wait(kTakeDownAnswerMs);
    }
    app.f_Connected = 0;
    {
        std::lock_guard lock(m_textLock);
        m_strInfoText.clear();
        m_strAlarmText.clear();
    }
    RepaintStatus();
}

void CQuorrelDlg::OnRecord() {
    if (!VideoServerConnected()) return;
    char record[kSplitStringSize];
    char recording[kSplitStringSize];
    LoadSplitString(kStrRecordTooltips, record, recording);
    CUserRecord& recorder = g_lpApp->m_UserRecord;
    CVtxButton* button = m_FunctionBar.ButtonById(kIdRecord);
    if (!recorder.IsRecording()) {
        if (!recorder.OpenRecordFile(g_lpApp->CSettingINI.m_strRecordPath)) {
            ormidon::ShowMessage(kMsgRecordFileFailed);
            return;
        }
        if (button != nullptr) {
            button->setToolTip(QString::fromUtf8(recording));
            button->SetState(1);
        }
        return;
    }
    if (button != nullptr) {
        button->setToolTip(QString::fromUtf8(record));
        button->SetState(0);
    }
    recorder.StopRecord();
}

void CQuorrelDlg::OnSnapshoot() {
    if (!VideoServerConnected()) return;
    // The next drawn frame is saved.
    g_lpApp->f_SnapshotRequest = 1;
}

void CQuorrelDlg::DeleteSystemDialog() {
    lp_SystemDialog.reset();
    if (g_lpApp) g_lpApp->f_SystemDialogOpen.exchange(0);
}

void CQuorrelDlg::OnSystemConfig() {
    CAppObject& app = *g_lpApp;
    // A second press closes the open sheet.
    if (app.f_SystemDialogOpen == 1) {
        DeleteSystemDialog();
        return;
    }
    // A sheet closed by its own buttons is still here.
    lp_SystemDialog.reset();
    if (!VideoServerConnected()) return;
    if (!FetchConfigSections()) {
        ormidon::ShowMessage(kMsgConfigReadFailed);
        return;
    }
    if (!m_sheetHost) m_sheetHost = std::make_unique<MainWindowSheetHost>(*this);
    const std::string_view caption = LoadResourceString(kStrSystemSetting);
    lp_SystemDialog = std::make_unique<MySystemDialog>(
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
        m_sheetHost.get(), 0);
    SheetLocalSettings& local = lp_SystemDialog->LocalSettings();
    local.strRecordDir = app.CSettingINI.m_strRecordPath;
    local.strSnapshotDir = app.CSettingINI.m_strSnapshotPath;
    local.strAlarmWavFile = app.CSettingINI.m_strTriggerWavPath;
    local.nTurboStepIndex = app.by_TurboRepeatStep.load() - 1;
    local.byAlarmRecord = app.CSettingINI.m_byAlarmTriggerRecord;
    lp_SystemDialog->Create();
    app.f_SystemDialogOpen.exchange(1);
}

void CQuorrelDlg::OnResol() {
    StepStreamSetting(kResolution, m_FunctionBar.ButtonById(kIdResolution));
}

void CQuorrelDlg::OnQuility() { StepStreamSetting(kQuality, m_FunctionBar.ButtonById(kIdQuality)); }

void CQuorrelDlg::OnColor() {
    if (!VideoServerConnected()) return;
    std::array<char, kColourReplySize> reply{};
    uint32_t length = 0;
    CCgiRequest request = WindowCommandRequest(CGI_GETCOLOR);
    if (!SendWindowCommand(CGI_GETCOLOR, request, reply, &length)) {
        ormidon::ShowMessage(kStrSendCommandTimeout);
        return;
    }
    m_colourValues = ReadColourReply(std::string_view(reply.data(), length));
    CColorAdjustDlg dialog;
    dialog.m_nBrightness = m_colourValues.brightness;
    dialog.m_nContrast = m_colourValues.contrast;
    dialog.m_nHue = m_colourValues.hue;
    dialog.DoModal();
}

void CQuorrelDlg::SelectChannel(uint8_t channel) { m_ChannelBar.SelectChannel(channel); }

void CQuorrelDlg::RequestChannel(uint8_t channel) { m_ChannelBar.SetChannel(channel); }
