#pragma once
// The device search on loopback: free UDP ports, a search setup that broadcasts to
// 127.255.255.255 from 127.0.0.1, a simulated responder answering it, and raw datagrams
// sent straight to the answer port.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <span>

#include "net/DeviceSearchExchange.h"
#include "sim/SearchResponder.h"

namespace ormidon::test {

// A UDP port of any local address that nobody held a moment ago.
inline uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// Sends `bytes` as one datagram to 127.0.0.1:`port`.
inline void SendDatagram(uint16_t port, std::span<const uint8_t> bytes) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(port);
    sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    close(fd);
}

// A responder on 127.255.255.255 and a setup that searches it: free ports, short times.
struct LoopbackSearch {
    sim::SearchResponder responder;
    DeviceSearchSetup setup;

    bool Start() {
        setup.destination = "127.255.255.255";
        setup.localAddress = "127.0.0.1";
        setup.sourcePort = 0;
        setup.answerPort = FreeUdpPort();
        setup.searchQuietMs = 300;
        setup.searchLimitMs = 5000;
        setup.setWaitMs = 2000;
        setup.resetWaitMs = 2000;
        sim::SearchResponder::Setup where;
        where.port = 0;
        where.answerPort = setup.answerPort;
        if (!responder.Start(where)) return false;
        setup.destinationPort = responder.Port();
        return true;
    }
};

inline sim::SearchDevice MakeDevice(uint8_t lastMacByte, uint8_t typeLetter, uint8_t lastAddress,
                                    uint16_t webPort) {
    sim::SearchDevice device;
    device.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, lastMacByte};
    device.typeLetter = typeLetter;
    device.address = {192, 168, 1, lastAddress};
    device.webPort = webPort;
    return device;
}

}  // namespace ormidon::test
