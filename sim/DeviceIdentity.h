#pragma once
// Who the simulated recorder is: its identity, its accounts and its device family.
#include <string>
#include <string_view>

namespace ormidon::sim {

struct DeviceIdentity {
    std::string productId = "P51K";  // P51K P53K P55K P62K T18D N27V N25V N23V
    std::string firmwareVersion = "1060";
    std::string macAddress = "00A0B1C2D3E4";
    std::string hostName = "ormidon-sim";
    uint32_t capability = 0;  // the capability word of the "INF" section
};

struct Account {
    std::string userName;
    std::string password;
    int level = 30;  // 30 supervisor, 20 high user, 10 normal user, 0 guest
};

// The recorders whose configuration lists PERI after ALARM; every other product lists the
// DVR sections DVRLIVE, DVROSD and DVRREC there.
bool IsCameraFamily(std::string_view productId);
// Whether this product and firmware keep their PPPoE account in the older, narrow layout.
bool UsesNarrowPppoe(const DeviceIdentity& identity);
// Where a sender address longer than 15 characters continues: a DVR from "1027" in SNTP's
// server field, the camera family from "1003" in SYSTEM from byte 4; none otherwise.
enum class MailFromTail { None, Sntp, System };
MailFromTail MailFromTailOf(const DeviceIdentity& identity);
// True when the version is four characters and older than `threshold`.
bool IsOlderFirmware(std::string_view version, std::string_view threshold);

}  // namespace ormidon::sim
