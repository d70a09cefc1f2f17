#include "net/DeviceSearchItem.h"

namespace {

enum class Kind {
    kVideoServer,
    kDvr4,
    kDvr8,
    kDvr16,
    kNetworkDvr4,
    kDmr9,
    kDmr16,
    kMpeg2Dvr4,
    kOther
};

Kind KindOf(uint8_t letter) {
    switch (letter) {
        case '2':
            return Kind::kVideoServer;
        case 'S':
            return Kind::kDvr4;
        case 'U':
            return Kind::kDvr8;
        case 'W':
            return Kind::kDvr16;
        case 'q':
        case 'r':
        case 's':
            return Kind::kNetworkDvr4;
        case 'u':
        case 'v':
            return Kind::kDmr9;
        case 'w':
            return Kind::kDmr16;
        case 0x80:
        case 0x84:
        case 0x8A:
            return Kind::kMpeg2Dvr4;
        default:
            return Kind::kOther;
    }
}

}  // namespace

uint8_t NormalisedDeviceType(uint8_t letter) {
    return KindOf(letter) == Kind::kOther ? '2' : letter;
}

std::string_view DeviceTypeName(uint8_t letter) {
    switch (KindOf(letter)) {
        case Kind::kDvr4:
            return "4CH MPEG4 DVR";
        case Kind::kDvr8:
            return "8CH MPEG4 DVR";
        case Kind::kDvr16:
            return "16CH MPEG4 DVR";
        case Kind::kNetworkDvr4:
            return "4CH NETWORK DVR";
        case Kind::kDmr9:
            return "9CH NETWORK DMR";
        case Kind::kDmr16:
            return "16CH NETWORK DMR";
        case Kind::kMpeg2Dvr4:
            return "4CH NETWORK MPEG2 DVR";
        case Kind::kVideoServer:
        case Kind::kOther:
            break;
    }
    return "Video Server";
}

bool IsModifiableDeviceType(uint8_t letter) {
    return letter == '2' || letter == 'S' || letter == 'U' || letter == 'W';
}

DeviceSearchItem MakeDeviceSearchItem(const DeviceSearchPacket& answer, int index) {
    DeviceSearchItem item;
    item.szMAC = FormatMacAddress(answer.byMAC);
    item.szIP = FormatDottedAddress(answer.byIPAddress);
    item.dwPort = answer.wPort;
    item.szGateway = FormatDottedAddress(answer.byGateway);
    item.szDNS = FormatDottedAddress(answer.byDNS);
    item.szNetMask = FormatDottedAddress(answer.byNetMask);
    item.byDeviceType = NormalisedDeviceType(answer.byResult);
    item.iIndex = index;
    return item;
}

bool IsPreviousDevice(const uint8_t (&mac)[6], uint16_t lastMac1, uint16_t lastMac2) {
    return mac[4] == lastMac1 && mac[5] == lastMac2;
}
