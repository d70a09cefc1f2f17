#include "sheet/PageKind.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<const char*, static_cast<std::size_t>(PageKind::Count)> kCaptions = {
    "Network",
    "Mail",
    "FTP",
    "Account",
    "Peripheral",
    "General",
    "File Path",
    "Alarm",
    "Online User Info",
    "Alarm List",
    "Server Time Config",
    "DDNS",
    "Device",
    "Detection",
    "DVR",
    "Network Backup",
    "Search List",
    "Timer Record",
    "Date",
    "Record Setting",
};

}  // namespace

const char* PageCaption(PageKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    return index < kCaptions.size() ? kCaptions[index] : "";
}
