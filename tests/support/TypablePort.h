#pragma once
// The login window's port edit takes no port above 9999, so a simulated recorder that the
// login window is to reach listens on a free port below.
#include <cstdint>
#include <random>

#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

inline bool StartOnTypablePort(sim::SimulatedRecorder& device) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (device.Start(static_cast<uint16_t>(2000 + random() % 8000))) return true;
    }
    return false;
}

}  // namespace ormidon::test
