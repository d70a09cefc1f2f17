#include "sim/ListedSearchDevices.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace ormidon::sim {

std::vector<SearchDevice> ListedSearchDevices(const RecorderSetup& setup, uint32_t webAddress,
                                              uint16_t webPort) {
    SearchDevice self;
    const std::string& mac = setup.identity.macAddress;
    for (std::size_t i = 0; i < self.mac.size() && 2 * i + 1 < mac.size(); ++i) {
        self.mac[i] = static_cast<uint8_t>(std::strtoul(mac.substr(2 * i, 2).c_str(), nullptr, 16));
    }
    self.typeLetter = 'W';
    self.address = {static_cast<uint8_t>(webAddress >> 24), static_cast<uint8_t>(webAddress >> 16),
                    static_cast<uint8_t>(webAddress >> 8), static_cast<uint8_t>(webAddress)};
    self.netMask = {255, 0, 0, 0};
    self.gateway = {127, 0, 0, 1};
    self.dns = {127, 0, 0, 1};
    self.webPort = webPort;
    if (!setup.accounts.empty()) {
        self.user = setup.accounts.front().userName;
        self.password = setup.accounts.front().password;
    }

    // Nothing listens at these addresses: a login there is refused at once.
    SearchDevice server = self;
    server.mac = {0x02, 0x00, 0x5E, 0x10, 0x20, 0x31};
    server.typeLetter = '2';
    server.address = {127, 0, 0, 31};
    server.webPort = 80;
    server.delay = std::chrono::milliseconds(400);

    SearchDevice networkDvr = server;
    networkDvr.mac[5] = 0x32;
    networkDvr.typeLetter = 'q';
    networkDvr.address = {127, 0, 0, 32};
    networkDvr.delay = std::chrono::milliseconds(900);

    return {self, server, networkDvr};
}

}  // namespace ormidon::sim
