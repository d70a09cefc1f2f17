#pragma once
// The DVR family's "Server Log" window: the fetched event log with its channel column,
// fourteen filter boxes and OK.
#include "backup/ServerLogDialog.h"

class CDVRServerLogDlg : public ServerLogDialog {
  public:
    static constexpr int kIdOk = 1;
    static constexpr uint32_t kInitialMask = 0x1CFFF;

    explicit CDVRServerLogDlg(QWidget* parent = nullptr);

    // The event text of the DVR family's table.
    static QString GetEventText(const ServerLogRecord& record);

  protected:
    QStringList RowTexts(const ServerLogRecord& record) const override;
    bool HasChannelColumn() const override { return true; }
    void AddButtons(int top) override;
};
