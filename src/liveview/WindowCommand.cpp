#include "liveview/WindowCommand.h"

#include <string>

#include "core/SessionCookie.h"
#include "net/HalvoSendCommand.h"

namespace {
constexpr uint16_t kCommandSeconds = 15;
}

CCgiRequest WindowCommandRequest(uint8_t index) {
    CCgiRequest request(index);
    if (const std::string cookie = GetSessionCookie(); !cookie.empty()) {
        request.AddParam("Cookie", cookie);
    }
    return request;
}

int SendWindowCommand(uint8_t index, CCgiRequest& request, std::span<char> reply,
                      uint32_t* replyLength) {
    if (!request.IsValid()) return 0;
    uint32_t length = 0;
    const int sent = HalvoSendCommand(index, request.GetBuffer(), request.GetLength(), nullptr, 0,
                                      nullptr, 0, reply.empty() ? nullptr : reply.data(),
                                      static_cast<uint32_t>(reply.size()), &length, kCommandSeconds,
                                      kCommandSeconds);
    if (replyLength != nullptr) *replyLength = sent ? length : 0;
    return sent ? 1 : 0;
}
