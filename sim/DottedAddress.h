#pragma once
// An IPv4 address (host order) as the recorder writes it in its texts and logs: "a.b.c.d".
#include <cstdint>
#include <string>

namespace ormidon::sim {

inline std::string DottedAddress(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace ormidon::sim
