#pragma once
// The one-request commands of the main window and its bars (channel, resolution, quality,
// colour): the request carries "Cookie" first when the session has one, and goes out with
// send and receive time-outs of 15 s.
#include <cstdint>
#include <span>

#include "net/CgiCommand.h"

// What a failed window command reports: "Send command timeout".
constexpr uint32_t kStrSendCommandTimeout = 4064;

// A request of command `index` with the session's "Cookie" as its first parameter (none
// when the cookie is empty).
CCgiRequest WindowCommandRequest(uint8_t index);

// Sends `request` of command `index`; 1 when the device answered 200 (and, with `reply`, the whole
// body fitted into it: `replyLength` then holds its length), 0 otherwise. Without `reply` the body
// is not read.
int SendWindowCommand(uint8_t index, CCgiRequest& request, std::span<char> reply = {},
                      uint32_t* replyLength = nullptr);
