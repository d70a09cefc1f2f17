#pragma once
// The video servers' "Server Log" window: the fetched event log, eleven filter boxes,
// "CLEAR SERVER LOG" (after a Yes to 4117 it empties the device's log and closes) and
// "EXIT".
#include "backup/ServerLogDialog.h"

class CServerLogDlg : public ServerLogDialog {
  public:
    static constexpr int kIdClear = 1068;
    static constexpr int kIdExit = 1069;
    static constexpr uint32_t kInitialMask = 0x7F7F37;
    static constexpr uint32_t kMsgClearQuestion = 4117;
    static constexpr uint32_t kMsgClearFailed = 4065;

    explicit CServerLogDlg(QWidget* parent = nullptr);

    static QString GetEventText(const ServerLogRecord& record);

    void OnClearServerLog();

  protected:
    QStringList RowTexts(const ServerLogRecord& record) const override;
    bool HasChannelColumn() const override { return false; }
    void AddButtons(int top) override;
};
