#pragma once
// The datagram exchanges of the device search: the search, which collects every answer
// for a while, and the set and reset requests, which wait for the one answer of their
// target device. Requests are broadcast from this computer's address; answers arrive on
// a port of their own, which is bound before the request goes out so that no fast answer
// is lost, and exclusively, so a second searcher makes the bind fail.
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

#include "net/DeviceSearchPacket.h"

// Where the exchange sends and listens, and how long it waits. The defaults are the
// devices' own; tests and the demo point the search at a loopback broadcast instead.
struct DeviceSearchSetup {
    std::string destination = "255.255.255.255";
    uint16_t destinationPort = 7777;
    // The address requests are sent from; empty: g_strLocalIPAddress.
    std::string localAddress;
    uint16_t sourcePort = 3333;
    uint16_t answerPort = 3332;
    // A search ends this long after the last answer, or at the first look after its limit.
    uint32_t searchQuietMs = 5000;
    uint32_t searchLimitMs = 10000;
    uint32_t setWaitMs = 12000;
    uint32_t resetWaitMs = 7000;
};

// The process-wide setup that the search window uses.
DeviceSearchSetup GetDeviceSearchSetup();
void SetDeviceSearchSetup(const DeviceSearchSetup& setup);
// Takes the search's broadcast address from ORMIDON_SEARCH_BROADCAST when it is set; a
// loopback broadcast is then also sent from the loopback address.
void ApplyDeviceSearchEnvironment();

// Sends `request` once, with broadcasting on. A failure shows "SendBroadCast is wrong"
// and gives false.
bool SendBroadCast(const DeviceSearchPacket& request, const DeviceSearchSetup& setup,
                   std::stop_token stop = {});

// How a search ended.
enum class DeviceSearchEnd {
    kFinished,        // quiet, the limit, a failed wait or a failed request
    kNoAnswerSocket,  // the answer port could not be had; nothing was sent
    kStopped,
};

// Runs one search on the calling thread: binds the answer port, sends the search request,
// and hands each answer (a datagram of exactly the record's size) to `onAnswer` until
// the search ends. Datagrams of other sizes are dropped without ending the search.
DeviceSearchEnd RunDeviceSearch(const DeviceSearchSetup& setup, std::stop_token stop,
                                const std::function<void(const DeviceSearchPacket&)>& onAnswer);

// The outcome of a set or reset request.
enum class DeviceSettingOutcome {
    kNoSocket,
    kBindFailed,
    kWaitFailed,
    kTimeout,
    kReceiveFailed,
    kAnswer,
};

struct DeviceSettingAnswer {
    DeviceSettingOutcome outcome = DeviceSettingOutcome::kTimeout;
    uint8_t resultCode = 0;  // byResult of the answer
};

// Sends a set or reset request and waits up to `waitMs` for the answer of the device whose
// MAC the request carries; answers of other devices and datagrams of other sizes are
// passed over. Nothing is sent when the answer port cannot be had; a request that did
// not go out ends at once as a time-out.
DeviceSettingAnswer RunDeviceSetting(const DeviceSearchPacket& request, uint32_t waitMs,
                                     const DeviceSearchSetup& setup, std::stop_token stop = {});
