#include "net/HalvoSendCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/TextHelpers.h"
#include "net/BlockingSocket.h"
#include "net/CgiCommand.h"
#include "net/PendingAddress.h"

namespace {

// The reply header must end within this many bytes, read in at most kHeaderReceives
// receives of at most kReceiveChunk bytes each.
constexpr std::size_t kHeaderCapacity = 4096;
constexpr int kHeaderReceives = 30;
constexpr std::size_t kReceiveChunk = 1460;

constexpr std::string_view kBlankLine = "\r\n\r\n";

std::string BuildRequest(std::string_view query, const void* body, int bodyLength) {
    std::string request = "GET ";
    request.append(query);
    request.append(" HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n");
    if (body != nullptr) request += "Content-Length: " + std::to_string(bodyLength) + "\r\n";
    request.append(
        "Accept-Encoding: gzip, deflate\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)\r\n"
        "Host: ");
    request.append(g_strLocalIPAddress.Get());
    request.append("\r\nConnection: Keep-Alive\r\n\r\n");
    if (body != nullptr)
        request.append(static_cast<const char*>(body), static_cast<std::size_t>(bodyLength));
    return request;
}

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

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Where to connect: a dotted address as it stands; a host name looked up. A login by name
// keeps the name and continues with the address.
CSocketAddress ResolveDevice(uint8_t index, const std::string& server, uint16_t port) {
    if (CheckAddressString(server) == 2) return CSocketAddress(server.c_str(), port);
    CSocketAddress address = CBlockingSocket::GetHostByName(server.c_str(), port);
    if (index == CGI_LOGIN) {
        const uint32_t ip = address.GetIPAddress();
        char dotted[16];
        std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF,
                      (ip >> 8) & 0xFF, ip & 0xFF);
        SetResolvedServerName(server, dotted);
    }
    return address;
}

int Exchange(uint8_t index, std::string_view query, const void* body, int bodyLength,
             int32_t* statusRecord, int statusRecordSize, void* reply, uint32_t replyCapacity,
             uint32_t* replyLength, uint16_t sendSeconds, uint16_t receiveSeconds,
             std::stop_token stop) {
    const std::string server = GetServerName();
    if (server.empty()) return 0;

    CBlockingSocket socket(std::move(stop));
    socket.Create(CBlockingSocket::kStream);
    socket.Connect(ResolveDevice(index, server, g_lpApp->CSettingINI.m_wWebPort), sendSeconds);
    const std::string request = BuildRequest(query, body, bodyLength);
    socket.SendAll(request.data(), static_cast<int>(request.size()), sendSeconds);
    if (index == CGI_REBOOT) return 1;

    // The header, up to its blank line, however the device splits it.
    char header[kHeaderCapacity];
    std::size_t received = 0;
    std::size_t headerEnd = std::string_view::npos;
    for (int i = 0; i < kHeaderReceives && headerEnd == std::string_view::npos; ++i) {
        const std::size_t room = std::min(kReceiveChunk, sizeof header - received);
        if (room == 0) return 0;
        const int n = socket.Receive(header + received, static_cast<int>(room), receiveSeconds);
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
        const int n =
            socket.Receive(out + have, static_cast<int>(*contentLength - have), receiveSeconds);
        if (n <= 0) return 0;
        have += static_cast<std::size_t>(n);
    }
    if (replyLength != nullptr) *replyLength = *contentLength;
    return 1;
}

}  // namespace

int HalvoSendCommand(uint8_t index, const char* query, int queryLength, const void* body,
                     int bodyLength, int32_t* statusRecord, int statusRecordSize, void* reply,
                     uint32_t replyCapacity, uint32_t* replyLength, uint16_t sendSeconds,
                     uint16_t receiveSeconds, int /*reserved*/, std::stop_token stop) {
    if (replyLength != nullptr) *replyLength = 0;
    if (g_lpApp == nullptr || query == nullptr || queryLength <= 0 || bodyLength < 0) return 0;
    // A line break or NUL in the request line would let the rest pass for header lines.
    const std::string_view queryText(query, static_cast<std::size_t>(queryLength));
    if (HasLineBreakOrNul(queryText)) return 0;
    try {
        return Exchange(index, queryText, body, bodyLength, statusRecord, statusRecordSize, reply,
                        replyCapacity, replyLength, sendSeconds, receiveSeconds, std::move(stop));
    } catch (const CBlockingSocketException&) {
        return 0;
    }
}
