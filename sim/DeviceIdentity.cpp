#include "sim/DeviceIdentity.h"

#include <algorithm>
#include <cctype>

namespace ormidon::sim {

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

// True when `version` is a four-character version below `threshold`.
bool IsOlderThan(std::string_view version, std::string_view threshold) {
    return version.size() == 4 && version < threshold;
}

}  // namespace

bool IsOlderFirmware(std::string_view version, std::string_view threshold) {
    return IsOlderThan(version, threshold);
}

MailFromTail MailFromTailOf(const DeviceIdentity& identity) {
    if (IsCameraFamily(identity.productId))
        return IsOlderThan(identity.firmwareVersion, "1003") ? MailFromTail::None
                                                             : MailFromTail::System;
    const std::string id = Upper(identity.productId);
    if (id == "P51K" || id == "P53K" || id == "P55K")
        return IsOlderThan(identity.firmwareVersion, "1027") ? MailFromTail::None
                                                             : MailFromTail::Sntp;
    return MailFromTail::None;
}

bool IsCameraFamily(std::string_view productId) {
    const std::string id = Upper(productId);
    return id == "P62K" || id == "T18D" || id == "N27V" || id == "N25V" || id == "N23V";
}

bool UsesNarrowPppoe(const DeviceIdentity& identity) {
    return IsOlderThan(identity.firmwareVersion,
                       IsCameraFamily(identity.productId) ? "1007" : "1052");
}

}  // namespace ormidon::sim
