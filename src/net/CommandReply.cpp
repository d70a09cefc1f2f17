#include "net/CommandReply.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "core/TextHelpers.h"
#include "net/PendingAddress.h"

namespace {

// The reply header must end within this many bytes, read in at most kHeaderReceives
// receives of at most kReceiveChunk bytes each.
constexpr std::size_t kHeaderCapacity = 4096;
constexpr int kHeaderReceives = 30;
constexpr std::size_t kReceiveChunk = 1460;

constexpr std::string_view kBlankLine = "\r\n\r\n";

// A decimal number of at most nine digits filling the whole text, or nothing.
std::optional<uint32_t> ParseDecimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The status: the digits right after the first blank of the status line.
std::optional<uint32_t> ParseStatus(std::string_view header) {
    const std::string_view statusLine = header.substr(0, header.find("\r\n"));
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    std::string_view rest = statusLine.substr(blank + 1);
    return ParseDecimal(rest.substr(0, rest.find(' ')));
}

// The value of the "Content-Length" header line (name in any letter case): 0 when there is
// none, nothing when its value is not a number.
std::optional<uint32_t> ParseContentLength(std::string_view header) {
    std::size_t lineStart = header.find("\r\n");
    while (lineStart != std::string_view::npos) {
        lineStart += 2;
        const std::size_t lineEnd = header.find("\r\n", lineStart);
        const std::string_view line = header.substr(lineStart, lineEnd - lineStart);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            IsSameStringNoCase(TrimBlanks(line.substr(0, colon)), "Content-Length")) {
            return ParseDecimal(TrimBlanks(line.substr(colon + 1)));
        }
        lineStart = lineEnd;
    }
    return 0;
}

}  // namespace

int ReadCommandReply(const ReplyReceive& receive, int32_t* statusRecord, int statusRecordSize,
                     void* reply, uint32_t replyCapacity, uint32_t* replyLength) {
    // The header, up to its blank line, however the device splits it.
    char header[kHeaderCapacity];
    std::size_t received = 0;
    std::size_t headerEnd = std::string_view::npos;
    for (int i = 0; i < kHeaderReceives && headerEnd == std::string_view::npos; ++i) {
        const std::size_t room = std::min(kReceiveChunk, sizeof header - received);
        if (room == 0) return 0;
        const int n = receive(header + received, static_cast<int>(room));
        if (n <= 0) return 0;
        // The blank line may straddle the previous piece.
        const std::size_t searchFrom = received >= 3 ? received - 3 : 0;
        received += static_cast<std::size_t>(n);
        headerEnd = std::string_view(header, received).find(kBlankLine, searchFrom);
    }
    if (headerEnd == std::string_view::npos) return 0;
    const std::string_view headerText(header, headerEnd + 2);

    const std::optional<uint32_t> status = ParseStatus(headerText);
    if (!status) return 0;
    if (*status != 200) {
        if (statusRecord != nullptr && statusRecordSize >= 8)
            statusRecord[1] = static_cast<int32_t>(*status);
        return 0;
    }
    const std::optional<uint32_t> contentLength = ParseContentLength(headerText);
    if (!contentLength) return 0;

    ApplyPendingAddressChange();

    if (*contentLength == 0 || reply == nullptr) return 1;
    if (*contentLength > replyCapacity) return 0;

    // Body bytes that came with the header first, then the rest.
    char* out = static_cast<char*>(reply);
    const std::size_t bodyStart = headerEnd + kBlankLine.size();
    std::size_t have = std::min<std::size_t>(received - bodyStart, *contentLength);
    std::memcpy(out, header + bodyStart, have);
    while (have < *contentLength) {
        const int n = receive(out + have, static_cast<int>(*contentLength - have));
        if (n <= 0) return 0;
        have += static_cast<std::size_t>(n);
    }
    if (replyLength != nullptr) *replyLength = *contentLength;
    return 1;
}
