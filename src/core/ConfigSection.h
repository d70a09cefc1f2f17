#pragma once
// The device's configuration sections: fixed-size byte blocks that the device reads and
// writes one at a time by name ("/GetSysCfg.cgi", "/SetSysCfg.cgi"), or all at once
// ("ALL", read only). The option number is the row of the table; the name is the text
// sent as "Option". The blocks' inner fields belong to the settings pages that edit them.
#include <cstddef>
#include <cstdint>
#include <string_view>

enum ConfigOption : uint8_t {
    CFG_INF = 0,
    CFG_IP,
    CFG_SECURE,
    CFG_DNS,
    CFG_SMTP,
    CFG_FTP,
    CFG_PPPOE,
    CFG_SYSTEM,
    CFG_SNTP,
    CFG_IMG,
    CFG_RS485,
    CFG_ALARM,
    CFG_ONLINE,
    CFG_DVRLIVE,
    CFG_DVROSD,
    CFG_DVRREC,
    CFG_PERI,
    CFG_ALL,
    CFG_OPTION_COUNT
};

struct ConfigSection {
    std::string_view name;
    std::size_t size;  // bytes; 0 for "ALL", whose length varies
};

inline constexpr ConfigSection g_ConfigSections[CFG_OPTION_COUNT] = {
    {"INF", 44},     {"IP", 24},    {"SECURE", 196}, {"DNS", 12},      {"SMTP", 440},
    {"FTP", 104},    {"PPPOE", 68}, {"SYSTEM", 36},  {"SNTP", 36},     {"IMG", 12},
    {"RS485", 124},  {"ALARM", 24}, {"ONLINE", 240}, {"DVRLIVE", 772}, {"DVROSD", 20},
    {"DVRREC", 132}, {"PERI", 16},  {"ALL", 0},
};

constexpr std::size_t ConfigSectionSize(ConfigOption option) {
    return g_ConfigSections[option].size;
}

// Bytes 20 to 23 of "INF": the device's capability word, little-endian.
inline constexpr std::size_t kInfCapabilityOffset = 20;
// "SYSTEM" from byte 20: the device's name, zero-terminated, at most 16 bytes.
inline constexpr std::size_t kSystemNameOffset = 20;
inline constexpr std::size_t kSystemNameSize = 16;
