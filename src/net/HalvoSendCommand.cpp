#include "net/HalvoSendCommand.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/TextHelpers.h"
#include "net/BlockingSocket.h"
#include "net/CgiCommand.h"
#include "net/CommandReply.h"

namespace {

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
    if (statusRecord != nullptr && statusRecordSize >= 12) statusRecord[2] = 1;
    if (index == CGI_REBOOT) return 1;

    return ReadCommandReply(
        [&socket, receiveSeconds](char* buffer, int size) {
            return socket.Receive(buffer, size, receiveSeconds);
        },
        statusRecord, statusRecordSize, reply, replyCapacity, replyLength);
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

bool SendCommandForText(uint8_t index, CCgiRequest& request, std::string& reply, uint16_t seconds,
                        int32_t (*statusRecord)[2], std::stop_token stop) {
    if (!request.IsValid()) return false;
    char buffer[kCommandReplyTextSize] = {};
    uint32_t length = 0;
    const int sent = HalvoSendCommand(index, request.GetBuffer(), request.GetLength(), nullptr, 0,
                                      statusRecord ? *statusRecord : nullptr,
                                      statusRecord ? sizeof *statusRecord : 0, buffer,
                                      sizeof buffer, &length, seconds, seconds, 0, std::move(stop));
    reply.assign(buffer, std::min<uint32_t>(length, sizeof buffer));
    return sent == 1;
}
