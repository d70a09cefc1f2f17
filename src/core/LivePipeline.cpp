#include "core/LivePipeline.h"

#include <atomic>

namespace {
std::atomic<LivePipeline*> g_livePipeline{nullptr};
}

void SetLivePipeline(LivePipeline* pipeline) { g_livePipeline = pipeline; }

LivePipeline* GetLivePipeline() { return g_livePipeline; }
