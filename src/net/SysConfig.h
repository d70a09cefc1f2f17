#pragma once
// Reading and writing the device's configuration sections (core/ConfigSection.h) over
// "/GetSysCfg.cgi" and "/SetSysCfg.cgi". The blocks live in the application record.
#include <cstdint>
#include <span>
#include <stop_token>

class CAppObject;

// Reads section `option` into `destination` (`size` bytes) and returns 1; 0 on failure,
// with the destination untouched. The reply must be exactly `size` bytes long, except for:
// - CFG_ONLINE: the list of online users has a varying length; at most `size` and at most
//   240 bytes are copied.
// - CFG_ALL (destination and size unused): every section of the device's family goes
//   straight into the application record; "PPPOE" into m_Cfg_PPPOE_Old for firmware older
//   than the family's threshold. A reply shorter than the family's fixed sections fails.
int GetSysCfg(uint8_t option, void* destination, unsigned size, std::stop_token stop = {});

// The second half of GetSysCfg: stores the body of the device's reply to section `option`
// by the rules above. 1 when it was taken, 0 when it was refused.
int StoreSysCfgReply(uint8_t option, std::span<const uint8_t> reply, void* destination,
                     unsigned size);

// Sends `size` bytes of `block` as section `option` and returns 1 when the device accepted
// it. For "DNS", "Refresh" tells the device whether to refresh at once.
int SetSysCfg(uint8_t option, const void* block, int size, int refresh, std::stop_token stop = {});

// The block of the application record that holds section `option` (the older firmware's
// "PPPOE" block when `oldPppoe`); empty for "ALL" and unknown options.
std::span<uint8_t> ConfigBlockOf(CAppObject& app, uint8_t option, bool oldPppoe = false);
