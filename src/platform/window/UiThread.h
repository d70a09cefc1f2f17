#pragma once
// The UI thread is the one thread that touches widgets. Worker threads hand their window
// work over to it with RunOnUiThread.
#include <functional>

namespace ormidon {

// True on the thread that runs the application object (false when there is none).
bool IsUiThread();

// Queues `work` to run on the UI thread after the events already waiting there. Returns
// false (and drops the work) when no application object exists. The work must not hold
// pointers to windows that may close before it runs; window handles are the safe way.
bool RunOnUiThread(std::function<void()> work);

}  // namespace ormidon
