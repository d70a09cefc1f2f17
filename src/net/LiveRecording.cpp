#include "net/LiveRecording.h"

#include <atomic>

namespace {
std::atomic<LiveRecording*> g_liveRecording{nullptr};
}

void SetLiveRecording(LiveRecording* recording) { g_liveRecording = recording; }

LiveRecording* GetLiveRecording() { return g_liveRecording; }
