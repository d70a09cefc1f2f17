#include "backup/GetServerLogThread.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/HalvoSendCommand.h"
#include "sheet/ProgressSlot.h"

namespace {

constexpr uint16_t kSeconds = 15;
constexpr uint32_t kCountReplySize = 256;
// A short page is the oldest one.
constexpr uint32_t kFullPageRecords = 30;

bool SendLogRequest(const char* state, void* reply, uint32_t capacity, uint32_t& length,
                    std::stop_token stop) {
    CCgiRequest request(CGI_GETLOG);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    request.AddParam("STATE", state);
    length = 0;
    return request.IsValid() &&
           HalvoSendCommand(CGI_GETLOG, request.GetBuffer(), request.GetLength(), nullptr, 0,
                            nullptr, 0, reply, capacity, &length, kSeconds, kSeconds, 0,
                            std::move(stop)) != 0;
}

void Post(const ServerLogOwner& owner, ServerLogOutcome outcome) {
    ormidon::PostWindowMessage(owner.hWnd, WM_SERVERLOGDONE, outcome, 0);
}

// The bar ends also after a cancel: the stop must not keep the command out.
void EndProgress() { PostProgressCommand(PROGRESS_END); }

}  // namespace

void GetServerLogThread(ServerLogOwner& owner, std::stop_token stop) {
    char countReply[kCountReplySize] = {};
    uint32_t length = 0;
    if (!SendLogRequest("COUNT", countReply, sizeof countReply - 1, length, stop)) {
        if (!stop.stop_requested()) Post(owner, kServerLogFailed);
        return;
    }
    const std::optional<uint32_t> reported = ParseServerLogCount(
        std::string_view(countReply, std::min<uint32_t>(length, kCountReplySize - 1)));
    if (!reported) {
        Post(owner, kServerLogFailed);
        return;
    }
    if (*reported == 0) {
        Post(owner, kServerLogEmpty);
        return;
    }
    const uint32_t limit = static_cast<uint32_t>(
        std::clamp(owner.nLogLimit.load(), 0, static_cast<int>(kServerLogMaxRecords)));
    const uint32_t count = std::min(*reported, limit);
    PostProgressCommand(PROGRESS_START, 0, stop);
    PostProgressCommand(PROGRESS_SET_TOTAL, count, stop);
    owner.nRecordCount = 0;

    std::vector<uint8_t> page(kServerLogBufferBytes);
    uint32_t received = 0;
    for (bool first = true;; first = false) {
        if (stop.stop_requested()) {
            EndProgress();
            return;
        }
        if (!SendLogRequest(first ? "LAST" : "PRE", page.data(), static_cast<uint32_t>(page.size()),
                            length, stop)) {
            EndProgress();
            if (!stop.stop_requested()) Post(owner, kServerLogFailed);
            return;
        }
        if (stop.stop_requested()) {
            EndProgress();
            return;
        }
        const uint32_t records = length / kServerLogRecordBytes;
        if (records == 0) break;
        // Behind the records already held, as many whole ones as still fit.
        const uint32_t stored = std::min<uint32_t>(received, kServerLogMaxRecords);
        const uint32_t fit = std::min<uint32_t>(records, kServerLogMaxRecords - stored);
        std::memcpy(owner.recordBuffer.data() + stored * kServerLogRecordBytes, page.data(),
                    static_cast<std::size_t>(fit) * kServerLogRecordBytes);
        received += records;
        owner.nRecordCount = static_cast<int>(received);
        if (records < kFullPageRecords) break;
        PostProgressCommand(PROGRESS_SET_POS, received, stop);
        if (received >= kServerLogMaxRecords || received >= count) break;
    }
    // A page may bring more than was asked for.
    owner.nRecordCount =
        static_cast<int>(std::min({received, count, static_cast<uint32_t>(kServerLogMaxRecords)}));
    EndProgress();
    Post(owner, kServerLogFetched);
}
