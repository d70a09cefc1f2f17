#pragma once
// A change of the device's address or web port that waits for the device's consent. The
// network page arms it (value first, then its flag) before it sends the changed "IP"
// section; the next command that the device answers with status 200 moves it into the
// settings, so every later command goes to the new address and port. A refused command
// leaves it waiting.
#include <atomic>
#include <cstdint>

#include "core/GuardedText.h"

extern std::atomic<uint16_t> g_wNewWebPort;
extern std::atomic<int32_t> g_fNewWebPort;
extern GuardedText g_strNewServerAddress;  // dotted address or host name
extern std::atomic<int32_t> g_fNewServerAddress;

// Moves a waiting port into the settings' m_wWebPort and a waiting address into the
// device address (SetServerName), clearing each flag. The new address also forgets the
// host name of an earlier login by name, which would otherwise win at the next re-login.
void ApplyPendingAddressChange();
