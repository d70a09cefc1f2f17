#pragma once
// Numbered window messages posted from any thread to a window. A window registers
// itself and gets a handle; a post to a handle that is gone is dropped. The engine
// only knows this interface; the window layer installs the router that delivers
// posts on the UI thread, tests install a recorder.
#include <cstdint>

namespace ormidon {

using WindowHandle = uint32_t;  // 0 is "no window"
using WParam = uintptr_t;       // pointer-sized, so pointer-carrying posts fit
using LParam = intptr_t;

constexpr uint32_t kWmCommand = 0x0111;
constexpr uint32_t kWmUser = 0x0400;

class WindowMessageRouter {
public:
    virtual ~WindowMessageRouter() = default;
    // Returns false when the message was dropped (no such window).
    virtual bool Post(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) = 0;
};

void SetWindowMessageRouter(WindowMessageRouter* router);
WindowMessageRouter* GetWindowMessageRouter();

// Posts through the installed router; without one (or to window 0) the post is dropped.
bool PostWindowMessage(WindowHandle window, uint32_t message, WParam wParam = 0, LParam lParam = 0);

}  // namespace ormidon
