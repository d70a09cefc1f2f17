#pragma once
// Message boxes with string-table texts, raised from any thread. The engine only
// knows this interface; the window layer installs the implementation that shows
// the box on the UI thread, and tests install a recorder.
#include <cstdint>
#include <stop_token>
#include <string>

namespace ormidon {

// Buttons and answers as the system uses them.
enum MessageBoxFlags : uint32_t { kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNo = 0x4 };
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class MessageBoxSink {
  public:
    virtual ~MessageBoxSink() = default;
    // Shows the text of string `stringId`; blocks the caller until it is answered. A worker
    // thread's wait also ends when `stop` is requested, with the refusing answer (OK for an
    // OK box, cancel, no).
    virtual int Show(uint32_t stringId, uint32_t flags, std::stop_token stop) = 0;
    // Shows a text of its own (a file name, a count, a reason) the same way. A sink that
    // does not show texts answers as for string id 0.
    virtual int ShowText(const std::string& text, uint32_t flags, std::stop_token stop) {
        (void)text;
        return Show(0, flags, std::move(stop));
    }
};

// Installs the sink (nullptr removes it). Not thread-safe against concurrent Show:
// install before worker threads start.
void SetMessageBoxSink(MessageBoxSink* sink);
MessageBoxSink* GetMessageBoxSink();

// Shows string `stringId`. Without a sink the box is skipped and `kIdOk` is the answer.
// A worker thread passes its stop token: whoever stops it may be the UI thread that
// would show the box, so the stop ends the wait instead.
int ShowMessage(uint32_t stringId, uint32_t flags = kMbOk, std::stop_token stop = {});

// Shows `text` itself, for messages that name what went wrong; otherwise as ShowMessage.
int ShowMessageText(const std::string& text, uint32_t flags = kMbOk, std::stop_token stop = {});

}  // namespace ormidon
