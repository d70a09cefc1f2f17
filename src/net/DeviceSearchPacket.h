#pragma once
// The 76-byte record of the device search on the local network: a search request that
// devices answer with their network settings, and the requests that give one device new
// settings or reset it to its defaults. One layout in both directions; the 16-bit words
// travel little-endian, addresses as four bytes in dotted order, the MAC in written order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::size_t kDeviceSearchPacketSize = 76;
// Longest user name and password a request carries; each field keeps a zero after it.
inline constexpr std::size_t kDeviceSearchAccountMax = 15;

// byCommand of a request.
enum DeviceSearchCommand : uint8_t {
    kDeviceSearchCommandSearch = 1,
    kDeviceSearchCommandSetIp = 2,
    kDeviceSearchCommandReset = 3,
};

// byResult of the answer to a set or reset request.
enum DeviceSettingResult : uint8_t {
    kDeviceSettingRefused = 0,  // user name or password not accepted
    kDeviceSettingDone = 1,
    kDeviceSettingNotStatic = 2,  // the device takes its address from elsewhere
};

struct DeviceSearchPacket {
    char szCommand[16] = {};
    uint8_t byCommand = 0;
    // 0 in requests; the device type letter of a search answer, the result code of a set
    // or reset answer.
    uint8_t byResult = 0;
    uint8_t byMAC[6] = {};
    char szUser[16] = {};
    char szPassword[16] = {};
    uint8_t byIPAddress[4] = {};
    uint8_t byNetMask[4] = {};
    uint8_t byGateway[4] = {};
    uint8_t byDNS[4] = {};
    uint16_t wPort = 0;
    uint16_t wReserved = 0;
};

using DeviceSearchBytes = std::array<uint8_t, kDeviceSearchPacketSize>;

// The record as it goes on the wire.
DeviceSearchBytes ToBytes(const DeviceSearchPacket& packet);
// The record of a datagram; nothing for a datagram of any other size than the record's.
std::optional<DeviceSearchPacket> PacketFromBytes(std::span<const uint8_t> bytes);

// The search request: keyword "KX_SEARCH", code 1, this computer's address (dotted text;
// zeros when it is not one) and the port 3333.
DeviceSearchPacket MakeSearchRequest(std::string_view localAddress);

// What a set or reset request carries, as the search window's fields hold it.
struct DeviceSettingTexts {
    std::string mac;  // "xx:xx:xx:xx:xx:xx"
    std::string user;
    std::string password;
    std::string address;
    std::string netMask;
    std::string gateway;
    std::string dns;
    uint32_t port = 0;  // its low 16 bits are sent
};

// "KX_SET_IP" with code 2, or "KX_RESET" with code 3, from the texts. The dotted texts
// are expected to have passed ParseDottedAddress; the account texts are cut to 15
// characters.
DeviceSearchPacket MakeSettingRequest(DeviceSearchCommand command, const DeviceSettingTexts& texts);

// True when `answer` comes from the device that `request` is meant for: the same MAC.
bool IsAnswerFromTarget(const DeviceSearchPacket& answer, const DeviceSearchPacket& request);

// Four decimal numbers 0-255 separated by single dots, nothing else: the address bytes.
std::optional<std::array<uint8_t, 4>> ParseDottedAddress(std::string_view text);

// "%d.%d.%d.%d" and the lower-case "xx:xx:xx:xx:xx:xx" of the answers.
std::string FormatDottedAddress(const uint8_t (&address)[4]);
std::string FormatMacAddress(const uint8_t (&mac)[6]);
