#include "liveview/MainWindowSheetHost.h"

#include "core/TextHelpers.h"
#include "liveview/CQuorrelDlg.h"
#include "net/Rs485Sender.h"
#include "widgets/CVtxButton.h"

namespace {
constexpr uint32_t kStrPtzControl = 8312;  // "PTZ_CONTROL_ON$PTZ_CONTROL_OFF"
}

QWidget* MainWindowSheetHost::HostWindow() { return &m_window; }

QRect MainWindowSheetHost::WorkArea() const { return m_window.WorkAreaRect(); }

void MainWindowSheetHost::RefreshRemotePanel() { m_window.RefreshRemotePanel(); }

void MainWindowSheetHost::ResetPtzControlKey() {
    CVtxButton* key = m_window.RemoteButton(CQuorrelDlg::kKeyPtzControl);
    if (key == nullptr) return;
    char controlOn[kSplitStringSize];
    char controlOff[kSplitStringSize];
    LoadSplitString(kStrPtzControl, controlOn, controlOff);
    key->setToolTip(QString::fromUtf8(controlOn));
    key->SetState(0);
}

void MainWindowSheetHost::SendRemoteKey(int withTarget, int keyCode) {
    ::SendRemoteKey(static_cast<uint32_t>(withTarget), static_cast<uint16_t>(keyCode));
}

uint8_t MainWindowSheetHost::CurrentChannel() { return m_window.ChannelBar().CurrentChannel(); }

int MainWindowSheetHost::SetChannel(uint8_t channel) {
    return m_window.ChannelBar().SetChannel(channel);
}

int MainWindowSheetHost::ChannelCount() { return m_window.ChannelBar().GetChannelCount(); }
