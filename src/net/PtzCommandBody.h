#pragma once
// The fixed RS-485 commands of PTZ control and the hot point, as "/RS485Cmd.cgi" bodies:
// the command's length, its bytes, repeat count 1 and repeat interval 50.
#include <cstdint>
#include <initializer_list>

#include "net/Rs485Body.h"

// A body that carries no command: length, repeat and interval all 0.
Rs485Body EmptyRs485Body();

// A body of `command` sent once, at the usual interval.
Rs485Body FixedRs485Body(std::initializer_list<uint8_t> command);

// Hands the bus to PTZ camera `number` (1-16): 5, number + 5 for 1-9; 6, number - 5 for
// 10-16. Another number gives the empty body.
Rs485Body SteerCameraBody(int number);

// Hands the bus back to the master (the device itself).
Rs485Body ReturnToMasterBody();

// Turns the camera of `kind` at `address` to hot-point `cell`. Kind "PTZ" takes the short
// form D0 address 52 cell 00; the PTZ slave kinds ("PTZ SLAVE", "PTZ PELCO", "PTZ PELCO D")
// also name the user's `rank` and end with the low byte of the sum of the command. Other
// kinds have no hot point: the empty body.
Rs485Body HotPointBody(uint8_t kind, uint8_t address, uint8_t rank, uint8_t cell);
