// Search answers from arbitrary datagrams: only datagrams of the record's size are read,
// they read back to the same bytes, every text of the listed item stays within its field,
// the type letter is one the device table knows, and a set or reset answer is taken only
// from the MAC it was sent to.
#include <cstring>
#include <set>

#include "FuzzTarget.h"
#include "net/DeviceSearchItem.h"
#include "net/DeviceSearchPacket.h"

std::vector<FuzzBytes> FuzzSeeds() {
    DeviceSearchPacket answer = MakeSearchRequest("192.168.1.20");
    answer.byResult = 'S';
    const uint8_t mac[6] = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    std::memcpy(answer.byMAC, mac, sizeof mac);
    answer.wPort = 8080;
    const DeviceSearchBytes bytes = ToBytes(answer);
    std::vector<FuzzBytes> seeds;
    seeds.push_back(fuzz::Seed().Append(std::span(mac)).Append(bytes));
    seeds.push_back(fuzz::Seed().Append(std::span(mac)).Append(std::span(bytes).first(75)));
    DeviceSettingTexts texts{"00:1b:2c:3d:4e:5f", "admin",      "admin",      "10.0.0.1",
                             "255.0.0.0",         "10.0.0.254", "10.0.0.254", 80};
    seeds.push_back(
        fuzz::Seed().U8(0).Append(ToBytes(MakeSettingRequest(kDeviceSearchCommandSetIp, texts))));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    DeviceSearchPacket request;
    const std::span<const uint8_t> target = in.Take(sizeof request.byMAC);
    std::memcpy(request.byMAC, target.data(), target.size());
    const std::span<const uint8_t> datagram = in.Rest();

    const std::optional<DeviceSearchPacket> answer = PacketFromBytes(datagram);
    FUZZ_CHECK(answer.has_value() == (datagram.size() == kDeviceSearchPacketSize));
    if (!answer) return 0;
    const DeviceSearchBytes again = ToBytes(*answer);
    FUZZ_CHECK(std::memcmp(again.data(), datagram.data(), again.size()) == 0);

    const DeviceSearchItem item = MakeDeviceSearchItem(*answer, 0);
    FUZZ_CHECK(item.szMAC.size() == 17);
    FUZZ_CHECK(item.szIP.size() <= 15 && item.szNetMask.size() <= 15);
    FUZZ_CHECK(item.szGateway.size() <= 15 && item.szDNS.size() <= 15);
    FUZZ_CHECK(ParseDottedAddress(item.szIP).has_value());
    FUZZ_CHECK(item.dwPort <= 0xFFFF);
    static const std::set<uint8_t> kKnown = {'2', 'S', 'U', 'W',  'q',  'r', 's',
                                             'u', 'v', 'w', 0x80, 0x84, 0x8A};
    FUZZ_CHECK(kKnown.count(item.byDeviceType) == 1);
    FUZZ_CHECK(!DeviceTypeName(item.byDeviceType).empty());
    FUZZ_CHECK(IsModifiableDeviceType(item.byDeviceType) ==
               (std::string_view("2SUW").find(static_cast<char>(item.byDeviceType)) !=
                std::string_view::npos));

    const bool sameMac = target.size() == sizeof request.byMAC &&
                         std::memcmp(answer->byMAC, target.data(), target.size()) == 0;
    if (target.size() == sizeof request.byMAC) {
        FUZZ_CHECK(IsAnswerFromTarget(*answer, request) == sameMac);
    }
    return 0;
}
