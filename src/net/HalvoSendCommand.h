#pragma once
// The one HTTP sender for the device's CGI commands. Each call opens a new connection to
// the device (m_strServerName, m_wWebPort of the settings), sends one HTTP/1.1 GET with
// fixed header lines and an optional body, reads the status and the body, and closes.
#include <cstdint>
#include <stop_token>
#include <string>

#include "net/CgiCommand.h"

// Sends `query` (the request text of a CCgiRequest, `queryLength` characters) and, when
// `body` is not null, `bodyLength` body bytes behind a "Content-Length" line.
//
// Returns 1 when the device answered status 200 and the whole body (when `reply` is given)
// arrived; 0 otherwise. A status other than 200 goes into statusRecord[1] when a record of
// `statusRecordSize` >= 8 bytes is given; the device's 202 means "too many users". A record
// of >= 12 bytes also gets 1 in statusRecord[2] once the whole request and body went out,
// which tells a connection dropped before the answer from one that failed earlier.
//
// `reply` (with room for `replyCapacity` bytes) receives the body and `replyLength` its
// length; a body longer than the room, cut short or with a malformed length fails the
// call. Without `reply` the body is not read. The login (CGI_LOGIN) by host name keeps the
// name in m_szServerName and the resolved address in m_strServerName; the reboot
// (CGI_REBOOT) reads no answer. A 200 applies the pending address change.
//
// Every wait is bounded by the time-outs in seconds (connect and send by `sendSeconds`,
// each receive by `receiveSeconds`); a stop request on `stop` ends any of them at once
// with a failure. Never throws.
int HalvoSendCommand(uint8_t index, const char* query, int queryLength, const void* body,
                     int bodyLength, int32_t* statusRecord, int statusRecordSize, void* reply,
                     uint32_t replyCapacity, uint32_t* replyLength, uint16_t sendSeconds,
                     uint16_t receiveSeconds, int reserved = 0, std::stop_token stop = {});

// Room for a text reply of SendCommandForText: the login's and the device information's.
constexpr uint32_t kCommandReplyTextSize = 1024;

// Sends `request` of command `index` with `seconds` for every wait and reads the reply body
// (at most kCommandReplyTextSize bytes) into `reply`. True when HalvoSendCommand succeeded;
// `reply` then holds the body, after a failure what arrived (usually nothing). An invalid
// request is not sent and leaves `reply` as it was. `statusRecord`, when given, gets a
// status other than 200 in its second element.
bool SendCommandForText(uint8_t index, CCgiRequest& request, std::string& reply, uint16_t seconds,
                        int32_t (*statusRecord)[2] = nullptr, std::stop_token stop = {});
