#pragma once
// The body of an "/RS485Cmd.cgi" request: the length of a command, its bytes with the
// variables filled in, the repeat count and the repeat interval. The device puts the
// command bytes on its RS-485 bus.
#include <cstddef>
#include <cstdint>

#include "core/ControlFile.h"

constexpr size_t kRs485BodySize = 64;
constexpr uint8_t kRs485MaxCommandLength = kRs485BodySize - 3;  // length, repeat, interval
constexpr uint8_t kRs485RepeatInterval = 50;

// What the variable bytes of a command stand for when it is sent.
struct Rs485Variables {
    uint8_t masterAddress;  // "%d": address of the current master
    uint8_t userRank;       // "%1": rank of the logged-in user class
    uint8_t familyAddress;  // "%b": master or slave address, by device family
    bool presetMode;        // chooses the PRESET alternative of a "%7" command
};

struct Rs485Body {
    uint8_t bytes[kRs485BodySize];
    size_t length;  // bytes to send
};

// Builds the body of `command` sent `repeat` times. False when the command does not
// fit the body or its form is broken (a missing separator or alternative, a length
// beyond its bytes): such a command is not sent.
bool BuildRs485Body(const ControlCommand_Struct& command, uint8_t repeat,
                    const Rs485Variables& variables, Rs485Body& body);
