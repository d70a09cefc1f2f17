#include "net/DvrTextReply.h"

#include <algorithm>

#include "net/LoginReply.h"

namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::string> FindWholeKeyValue(std::string_view reply, std::string_view key) {
    if (key.empty()) return std::nullopt;
    size_t itemStart = 0;
    while (itemStart <= reply.size()) {
        size_t at = itemStart;
        while (at < reply.size() && IsSkipped(reply[at])) ++at;
        const size_t itemEnd = std::min(reply.find(';', at), reply.size());
        if (reply.substr(at, itemEnd - at).starts_with(key) && at + key.size() < itemEnd &&
            reply[at + key.size()] == '=') {
            const size_t begin = at + key.size() + 1;
            return std::string(reply.substr(begin, std::min(itemEnd - begin, kReplyValueMax)));
        }
        if (itemEnd >= reply.size()) break;
        itemStart = itemEnd + 1;
    }
    return std::nullopt;
}

std::optional<int32_t> WholeKeyNumber(std::string_view reply, std::string_view key) {
    const std::optional<std::string> value = FindWholeKeyValue(reply, key);
    if (!value) return std::nullopt;
    return ReplyNumber(*value);
}
