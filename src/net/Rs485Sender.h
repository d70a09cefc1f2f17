#pragma once
// Sends the remote keys of the main window's panel (and the Power command) to the RS-485
// device that the panel currently steers: the key's command from the control file, its
// variables filled in, as the body of one "/RS485Cmd.cgi" request to the connected
// device, which puts the bytes on its bus. Blocks the calling thread for the request.
#include <cstdint>

#include "core/ControlFile.h"
#include "net/CgiCommand.h"

class C_ControlD;

// Seconds each wait of the request may take.
constexpr uint16_t kRs485TimeoutSeconds = 20;

// Sends the command of key `keyCode` (0-67) of the current device's kind, `turbo`
// non-zero repeating it by the turbo step. A kind without commands shows 4093.
void SendRemoteKey(uint32_t turbo, uint16_t keyCode);

// Sends `command` `repeat` times; `buttonFlags` are the flags of the key pressed (0 for
// Power). 1 when the device accepted it. An empty command, or one that does not fit a
// request, shows 4084 and sends nothing; a failed request shows 4065.
int SendControlCommand(const ControlCommand_Struct* command, uint8_t repeat, uint16_t buttonFlags);

// "/RS485Cmd.cgi" with the parameters that tell the device which of its RS-485 devices the
// body is for: "Control", then the channel and role of the current control device, the
// Pelco parameters for a Pelco camera (not with `pelcoAllowed` false; for a master only
// when its kind is one of the Pelco kinds, "PTZ PELCO D" only with `masterPelcoD`), and
// "Cookie" last.
CCgiRequest BuildRs485Request(const C_ControlD& devices, bool pelcoAllowed, bool masterPelcoD);
