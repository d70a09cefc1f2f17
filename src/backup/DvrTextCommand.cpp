#include "backup/DvrTextCommand.h"

#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"

namespace {
constexpr uint16_t kSeconds = 15;
}

std::string DvrCookie() { return GetSessionCookie(); }

bool QueryDvrText(uint8_t index, std::string& reply) {
    CCgiRequest request(index);
    const std::string cookie = DvrCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    return SendCommandForText(index, request, reply, kSeconds);
}

int SendDvrText(uint8_t index, const std::string& query) {
    if (query.empty()) return 0;
    std::string text = query;
    return HalvoSendCommand(index, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                            0, nullptr, 0, nullptr, kSeconds, kSeconds) != 0
               ? 1
               : 0;
}
