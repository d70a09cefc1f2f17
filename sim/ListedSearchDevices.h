#pragma once
// The devices that the ormidon-sim program's search responder lists: the recorder itself,
// and two more devices at loopback addresses where nothing listens, so that a login there
// fails at once on this computer. Every address they give (their own, gateway, DNS server)
// is on 127.0.0.0/8.
#include <cstdint>
#include <vector>

#include "sim/SearchResponder.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::sim {

// `webAddress` (host order, a loopback address) and `webPort` are where the recorder listens.
std::vector<SearchDevice> ListedSearchDevices(const RecorderSetup& setup, uint32_t webAddress,
                                              uint16_t webPort);

}  // namespace ormidon::sim
