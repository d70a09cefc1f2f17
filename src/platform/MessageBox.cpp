#include "platform/MessageBox.h"

#include <atomic>
#include <utility>

namespace ormidon {
namespace {
std::atomic<MessageBoxSink*> g_sink{nullptr};
}

void SetMessageBoxSink(MessageBoxSink* sink) { g_sink.store(sink); }

MessageBoxSink* GetMessageBoxSink() { return g_sink.load(); }

int ShowMessage(uint32_t stringId, uint32_t flags, std::stop_token stop) {
    MessageBoxSink* sink = g_sink.load();
    return sink ? sink->Show(stringId, flags, std::move(stop)) : kIdOk;
}

int ShowMessageText(const std::string& text, uint32_t flags, std::stop_token stop) {
    MessageBoxSink* sink = g_sink.load();
    return sink ? sink->ShowText(text, flags, std::move(stop)) : kIdOk;
}

}  // namespace ormidon
