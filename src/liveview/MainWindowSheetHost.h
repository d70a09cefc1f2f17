#pragma once
// The main window as the settings sheet sees it (sheet/SheetHost.h).
#include "sheet/SheetHost.h"

class CQuorrelDlg;

class MainWindowSheetHost : public SheetHost {
  public:
    explicit MainWindowSheetHost(CQuorrelDlg& window) : m_window(window) {}

    QWidget* HostWindow() override;
    QRect WorkArea() const override;
    void RefreshRemotePanel() override;
    void ResetPtzControlKey() override;
    void SendRemoteKey(int withTarget, int keyCode) override;
    uint8_t CurrentChannel() override;
    int SetChannel(uint8_t channel) override;
    int ChannelCount() override;

  private:
    CQuorrelDlg& m_window;
};
