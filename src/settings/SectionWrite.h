#pragma once
// Sends one section of the application record whole, as the appliers do.
#include <cstdint>

namespace settings {

// The string shown when a section could not be sent.
inline constexpr uint32_t kMsgChangeConfigFailed = 4012;

// Sends section `option` (the layout of "PPPOE" the device uses) with "/SetSysCfg.cgi";
// on failure shows string 4012. True when the device took it.
bool WriteSection(uint8_t option);

}  // namespace settings
