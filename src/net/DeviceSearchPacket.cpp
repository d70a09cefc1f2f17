#include "net/DeviceSearchPacket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/TextHelpers.h"

static_assert(sizeof(DeviceSearchPacket) == kDeviceSearchPacketSize);

namespace {

constexpr uint16_t kSearchRequestPort = 3333;

template <std::size_t N>
void CopyText(char (&field)[N], std::string_view text, std::size_t max) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min({text.size(), max, N - 1}));
}

void PutAddress(uint8_t (&field)[4], std::string_view text) {
    const auto bytes = ParseDottedAddress(text);
    if (bytes) {
        std::memcpy(field, bytes->data(), 4);
    } else {
        std::memset(field, 0, 4);
    }
}

}  // namespace

DeviceSearchBytes ToBytes(const DeviceSearchPacket& packet) {
    DeviceSearchBytes bytes{};
    std::memcpy(bytes.data(), &packet, kDeviceSearchPacketSize);
    // The words are little-endian on the wire whatever this computer's order.
    bytes[72] = static_cast<uint8_t>(packet.wPort);
    bytes[73] = static_cast<uint8_t>(packet.wPort >> 8);
    bytes[74] = static_cast<uint8_t>(packet.wReserved);
    bytes[75] = static_cast<uint8_t>(packet.wReserved >> 8);
    return bytes;
}

std::optional<DeviceSearchPacket> PacketFromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kDeviceSearchPacketSize) return std::nullopt;
    DeviceSearchPacket packet;
    std::memcpy(&packet, bytes.data(), kDeviceSearchPacketSize);
    packet.wPort = static_cast<uint16_t>(bytes[72] | bytes[73] << 8);
    packet.wReserved = static_cast<uint16_t>(bytes[74] | bytes[75] << 8);
    return packet;
}

DeviceSearchPacket MakeSearchRequest(std::string_view localAddress) {
    DeviceSearchPacket packet;
    CopyText(packet.szCommand, "KX_SEARCH", sizeof packet.szCommand);
    packet.byCommand = kDeviceSearchCommandSearch;
    PutAddress(packet.byIPAddress, localAddress);
    packet.wPort = kSearchRequestPort;
    return packet;
}

DeviceSearchPacket MakeSettingRequest(DeviceSearchCommand command,
                                      const DeviceSettingTexts& texts) {
    DeviceSearchPacket packet;
    const bool reset = command == kDeviceSearchCommandReset;
    CopyText(packet.szCommand, reset ? "KX_RESET" : "KX_SET_IP", sizeof packet.szCommand);
    packet.byCommand = reset ? kDeviceSearchCommandReset : kDeviceSearchCommandSetIp;
    HexStringToBytes(texts.mac, packet.byMAC, sizeof packet.byMAC, ':');
    CopyText(packet.szUser, texts.user, kDeviceSearchAccountMax);
    CopyText(packet.szPassword, texts.password, kDeviceSearchAccountMax);
    PutAddress(packet.byIPAddress, texts.address);
    PutAddress(packet.byNetMask, texts.netMask);
    PutAddress(packet.byGateway, texts.gateway);
    PutAddress(packet.byDNS, texts.dns);
    packet.wPort = static_cast<uint16_t>(texts.port);
    return packet;
}

bool IsAnswerFromTarget(const DeviceSearchPacket& answer, const DeviceSearchPacket& request) {
    return std::memcmp(answer.byMAC, request.byMAC, sizeof answer.byMAC) == 0;
}

std::optional<std::array<uint8_t, 4>> ParseDottedAddress(std::string_view text) {
    std::array<uint8_t, 4> bytes{};
    std::size_t position = 0;
    for (std::size_t part = 0; part < bytes.size(); ++part) {
        if (part > 0) {
            if (position >= text.size() || text[position] != '.') return std::nullopt;
            ++position;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[position] - '0');
            ++position;
            // More than three digits is no byte, whatever their value.
            if (++digits > 3) return std::nullopt;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        bytes[part] = static_cast<uint8_t>(value);
    }
    if (position != text.size()) return std::nullopt;
    return bytes;
}

std::string FormatDottedAddress(const uint8_t (&address)[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
    return text;
}

std::string FormatMacAddress(const uint8_t (&mac)[6]) {
    char text[18];
    std::snprintf(text, sizeof text, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}
