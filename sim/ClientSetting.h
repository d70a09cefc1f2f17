#pragma once
// Where the client's settings file (Setting.ini in its program folder) points the client:
// "Server Name" and "ServerPort" of its "[Ormidon]" section. The demo starts the recorder
// there, so that the login window, which opens with that file, finds it again after the
// recorder was given another loopback address or port.
//
// The file is read by the rules the client reads it by: section and key names compare
// without regard to ASCII letter case, names and values are trimmed of blanks and tabs, a
// value in a pair of matching quotes loses them, ";" starts a comment line, the first
// section and key of a name win.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ormidon::sim {

struct ClientDeviceAddress {
    // The loopback address (host order) the file names; 127.0.0.1 for any other or none.
    uint32_t address = 0x7F000001;
    // The web port the file names, as the client reads it; nothing when none or 0.
    std::optional<uint16_t> port;
};

// The address and port that the text of a settings file names.
ClientDeviceAddress ParseClientSetting(std::string_view text);
// The same from the file; nothing when it cannot be read.
std::optional<ClientDeviceAddress> ReadClientSetting(const std::string& file);

// "127.a.b.c" (four decimal numbers of 0-255) in host order; nothing for any other text.
std::optional<uint32_t> ParseLoopbackAddress(std::string_view text);

}  // namespace ormidon::sim
