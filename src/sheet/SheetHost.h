#pragma once
// What the settings sheet and its pages need of the main window, which implements this:
// its window (parent and placement), the desktop work area it recorded, the remote panel,
// the PTZ control key, the RS-485 key sender and the channel bar.
#include <QRect>
#include <cstdint>

class QWidget;

class SheetHost {
  public:
    virtual ~SheetHost() = default;
    // The main window: the sheet's parent, placed beside it.
    virtual QWidget* HostWindow() = 0;
    // The desktop work area recorded at start-up; width and height are used.
    virtual QRect WorkArea() const = 0;
    // Re-applies the remote panel after the control-device list changed.
    virtual void RefreshRemotePanel() = 0;
    // Gives the PTZ control key (8312) its first state and tool tip back.
    virtual void ResetPtzControlKey() = 0;
    // Sends key `keyCode` of the current control device as an RS-485 command.
    virtual void SendRemoteKey(int withTarget, int keyCode) = 0;
    // The channel bar: its current channel (0 none), a request for channel n (1-16), and its
    // channel count.
    virtual uint8_t CurrentChannel() = 0;
    virtual int SetChannel(uint8_t channel) = 0;
    virtual int ChannelCount() = 0;
};
