#include "sim/ClientSetting.h"

#include <arpa/inet.h>

#include <fstream>
#include <iterator>

#include "sim/AsciiText.h"

namespace ormidon::sim {

namespace {

constexpr std::string_view kSection = "Ormidon";

// The leading number of a value as the client reads it: an optional sign, then decimal
// digits, wrapping at 32 bits; the client keeps the port's low 16 bits.
uint16_t ProfilePort(std::string_view value) {
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    uint32_t number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') break;
        number = number * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative) number = 0u - number;
    return static_cast<uint16_t>(number);
}

}  // namespace

std::optional<uint32_t> ParseLoopbackAddress(std::string_view text) {
    // inet_pton takes exactly four decimal numbers of 0-255, nothing more.
    const std::string copy(text);
    in_addr parsed{};
    if (inet_pton(AF_INET, copy.c_str(), &parsed) != 1) return std::nullopt;
    const uint32_t address = ntohl(parsed.s_addr);
    if ((address >> 24) != 127) return std::nullopt;
    return address;
}

ClientDeviceAddress ParseClientSetting(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::optional<std::string_view> serverName;
    std::optional<std::string_view> serverPort;
    bool seenSection = false;
    bool inSection = false;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // Only the first section of the name counts.
            const std::string_view name = TrimBlanks(line.substr(1, line.find(']') - 1));
            inSection = !seenSection && EqualsNoCase(name, kSection);
            seenSection = seenSection || inSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        std::string_view value = TrimBlanks(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (EqualsNoCase(key, "Server Name") && !serverName) serverName = value;
        if (EqualsNoCase(key, "ServerPort") && !serverPort) serverPort = value;
    }
    ClientDeviceAddress where;
    if (serverName) where.address = ParseLoopbackAddress(*serverName).value_or(where.address);
    if (serverPort) {
        if (const uint16_t port = ProfilePort(*serverPort); port != 0) where.port = port;
    }
    return where;
}

std::optional<ClientDeviceAddress> ReadClientSetting(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return std::nullopt;  // a read error, such as a folder of that name
    }
    if (in.bad()) return std::nullopt;
    return ParseClientSetting(text);
}

}  // namespace ormidon::sim
