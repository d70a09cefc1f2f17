#pragma once
// PTZ control: the device's report of the PTZ cameras on its bus, handing the remote panel
// from the device itself (the master) to one of those cameras and back, and the hot point
// (a click into the picture turns the steered camera to the clicked cell). The main
// window's PTZ commands are these functions with the window as their view. UI thread;
// each request blocks it for up to 15 s each way.
#include <cstdint>
#include <string>
#include <string_view>

#include "liveview/HotPoint.h"
#include "net/Rs485Body.h"

// Seconds of each wait of the PTZ requests.
constexpr uint16_t kPtzTimeoutSeconds = 15;

constexpr uint32_t kStrPtzNumberInvalid = 4095;  // "PTZ number is not valid."

// What PTZ control needs of the main window.
class PtzControlView {
  public:
    virtual ~PtzControlView() = default;
    // Runs the PTZ device picker: 1 OK (`number` then holds the typed number), 2 CANCEL,
    // 20 ESC, -1 when it cannot be shown.
    virtual int RunDevicePicker(int& number) = 0;
    // The PTZ control key (remote key 60, control 8312): its state and tooltip.
    virtual int PtzKeyState() const = 0;
    virtual void SetPtzKeyState(int state) = 0;
    virtual std::string PtzKeyTooltip() const = 0;
    virtual void SetPtzKeyTooltip(std::string_view text) = 0;
    virtual void RefreshRemotePanel() = 0;
};

// On a multi-channel P5xK DVR: asks the device for its cameras and rebuilds the control
// device list as the DVR itself followed by one master entry per camera (so that the
// channel n hands the panel to the camera of that channel). 1, or 0 after a failed
// request (message 4065, list unchanged). Other devices: 1 at once.
int QueryPtzSlaveList();

// The PTZ control key: asks the picker which camera to steer (or to go back to the
// device) and tells the device. A failed final request puts the control device, the key
// and the hot point back as they were.
void RunPtzControl(PtzControlView& view);

// The hot-point click at the cursor kept in w_HotPointMouseX/Y. `reference` is the video
// rectangle (windowed) or the work area (full screen) in window pixels, `video` the video
// rectangle. Sends the hot-point command of the steered camera; on success the next four
// frames show the marker. 0.
int SendHotPointClick(const LayoutRect& reference, const LayoutRect& video, bool fullScreen);
