#pragma once
// The device's answer to a CGI command: the status line and header lines up to their blank
// line, however the device splits them, then exactly the body that "Content-Length"
// announces. The bytes come through a receive function, so the same reading serves the
// socket of the command sender and bytes that a test hands in.
#include <cstdint>
#include <functional>

// Fills at most `size` bytes of `buffer` and returns how many it filled; 0 or less when the
// connection closed or failed.
using ReplyReceive = std::function<int(char* buffer, int size)>;

// Returns 1 when the device answered status 200 and the whole body (when `reply` is given)
// arrived; 0 otherwise. A status other than 200 goes into statusRecord[1] when a record of
// `statusRecordSize` >= 8 bytes is given. A 200 with a readable length applies the pending
// address change before the body is read.
//
// `reply` (with room for `replyCapacity` bytes) receives the body and `replyLength` its
// length; a body longer than the room, cut short or with a malformed length fails. Without
// `reply` the body is not read. The header must end within 4096 bytes and 30 receives.
int ReadCommandReply(const ReplyReceive& receive, int32_t* statusRecord, int statusRecordSize,
                     void* reply, uint32_t replyCapacity, uint32_t* replyLength);
