#include "platform/MessageBox.h"

#include <atomic>

namespace ormidon {
namespace {
std::atomic<MessageBoxSink*> g_sink{nullptr};
}

void SetMessageBoxSink(MessageBoxSink* sink) { g_sink.store(sink); }

MessageBoxSink* GetMessageBoxSink() { return g_sink.load(); }

int ShowMessage(uint32_t stringId, uint32_t flags) {
    MessageBoxSink* sink = g_sink.load();
    return sink ? sink->Show(stringId, flags) : kIdOk;
}

}  // namespace ormidon
