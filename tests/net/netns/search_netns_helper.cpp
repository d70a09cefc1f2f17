// Runs the device search with the devices' own defaults (255.255.255.255, ports 3333, 7777
// and 3332, this computer's address) against the simulated responder listening on every
// address. It broadcasts for real, so it runs only in a network namespace made for it:
// it refuses to start when it sees an interface other than those its test made.
#include <ifaddrs.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/AppObject.h"
#include "net/DeviceSearchExchange.h"
#include "net/DeviceSearchItem.h"
#include "net/LocalIPAddress.h"
#include "sim/SearchResponder.h"

namespace {

// Only the loopback and the test's own veth pair.
bool InOwnNamespace() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    const std::set<std::string> allowed = {"lo", "v0", "v1"};
    bool own = true;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (allowed.count(entry->ifa_name) == 0) own = false;
    }
    freeifaddrs(list);
    return own;
}

int Fail(const std::string& what) {
    std::printf("FAILED: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main() {
    if (!InOwnNamespace()) {
        std::printf("REFUSED: not in a network namespace of its own\n");
        return 3;
    }
    char local[16] = {};
    GetLocalIPAddress(local);
    g_strLocalIPAddress.Set(local);
    std::printf("local address %s\n", local);

    ormidon::sim::SearchResponder responder;
    ormidon::sim::SearchDevice device;
    device.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x01};
    device.typeLetter = 'S';
    responder.AddDevice(device);
    device.mac[5] = 0x02;
    device.address[3] = 101;
    responder.AddDevice(device);
    ormidon::sim::SearchResponder::Setup where;
    where.listenAddress = "0.0.0.0";
    if (!responder.Start(where)) return Fail("the responder cannot listen on 0.0.0.0:7777");

    DeviceSearchSetup setup;  // the defaults, with a short search
    setup.searchQuietMs = 1000;
    std::vector<std::string> found;
    RunDeviceSearch(setup, {}, [&](const DeviceSearchPacket& answer) {
        found.push_back(MakeDeviceSearchItem(answer, 0).szIP);
    });
    if (found != std::vector<std::string>{"127.0.0.100", "127.0.0.101"}) {
        return Fail("the search found " + std::to_string(found.size()) + " devices");
    }
    const auto log = responder.Log();
    if (log.empty() || log.front().peer != std::string(local) + ":3333") {
        return Fail("the request came from " + (log.empty() ? "nowhere" : log.front().peer));
    }

    DeviceSettingTexts texts{"00:1b:2c:3d:4e:02", "admin",       "admin",       "192.168.1.150",
                             "255.255.255.0",     "192.168.1.1", "192.168.1.1", 8080};
    const DeviceSettingAnswer answer = RunDeviceSetting(
        MakeSettingRequest(kDeviceSearchCommandSetIp, texts), setup.setWaitMs, setup);
    if (answer.outcome != DeviceSettingOutcome::kAnswer || answer.resultCode != 1) {
        return Fail("the set request was not done");
    }
    if (responder.Devices()[1].address[3] != 150) return Fail("the device kept its address");

    // A destination that is not an address must not turn into the broadcast address.
    const auto requests = [&responder] {
        std::size_t count = 0;
        for (const auto& entry : responder.Log()) count += entry.received ? 1 : 0;
        return count;
    };
    const std::size_t before = requests();
    DeviceSearchSetup mistyped = setup;
    mistyped.destination = "255.255.255.2555";
    if (SendBroadCast(MakeSearchRequest(local), mistyped)) {
        return Fail("a mistyped destination was sent to");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (requests() != before) return Fail("a mistyped destination reached the responder");
    responder.Stop();
    std::printf("PASSED: found %zu devices from %s\n", found.size(), local);
    return 0;
}
