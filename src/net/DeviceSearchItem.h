#pragma once
// One device found by a search, as the search window lists it: the texts of its answer,
// its type letter and its arrival number.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/DeviceSearchPacket.h"

// The type letter stored for an answer: the letters of the device table as they came,
// any other value as '2' (a video server).
uint8_t NormalisedDeviceType(uint8_t letter);
// The name shown for a stored type letter.
std::string_view DeviceTypeName(uint8_t letter);
// True for the devices whose network settings the search window may change or reset.
bool IsModifiableDeviceType(uint8_t letter);

struct DeviceSearchItem {
    std::string szMAC;
    std::string szIP;
    uint32_t dwPort = 0;
    std::string szGateway;
    std::string szDNS;
    std::string szNetMask;
    uint8_t byDeviceType = '2';
    int iIndex = 0;  // arrival number from 0; the item's key
};

// The item of a search answer.
DeviceSearchItem MakeDeviceSearchItem(const DeviceSearchPacket& answer, int index);

// True when the fifth and sixth bytes of the MAC are those of the device of the last login.
bool IsPreviousDevice(const uint8_t (&mac)[6], uint16_t lastMac1, uint16_t lastMac2);
