#include "sim/MaskedLog.h"

#include <cstdio>

#include "sim/AsciiText.h"

namespace ormidon::sim {

namespace {

constexpr std::size_t kCookieShown = 4;
constexpr std::size_t kSearchRecordSize = 76;
constexpr std::size_t kSearchPasswordAt = 40;
constexpr std::size_t kSearchPasswordSize = 16;
// The client sends a login's password as typed, "&" and all, so there the password runs to
// the end of the target.
constexpr std::string_view kLoginPath = "/Login.cgi";

}  // namespace

std::string MaskedCookie(std::string_view cookie) {
    if (cookie.size() <= kCookieShown) return "***";
    return std::string(cookie.substr(0, kCookieShown)) + "***";
}

std::string MaskedTarget(std::string_view target) {
    constexpr std::size_t npos = std::string_view::npos;
    std::size_t start = target.find('?');
    if (start == npos) return std::string(target);
    const bool login = EqualsNoCase(target.substr(0, start), kLoginPath);
    std::string masked(target.substr(0, ++start));
    for (;;) {
        const std::size_t amp = target.find('&', start);
        const std::string_view param = target.substr(start, amp == npos ? npos : amp - start);
        const std::size_t equals = param.find('=');
        const std::string_view name = param.substr(0, equals);
        if (equals != npos && EqualsNoCase(name, "Password")) {
            masked += std::string(name) + "=***";
            if (login) return masked;
        } else if (equals != npos && EqualsNoCase(name, "Cookie")) {
            masked += std::string(name) + "=" + MaskedCookie(param.substr(equals + 1));
        } else {
            masked += param;
        }
        if (amp == npos) return masked;
        masked += '&';
        start = amp + 1;
    }
}

std::string MaskedSearchHex(const std::vector<uint8_t>& datagram) {
    const bool record = datagram.size() == kSearchRecordSize;
    std::string hex;
    for (std::size_t i = 0; i < datagram.size(); ++i) {
        if (record && i >= kSearchPasswordAt && i < kSearchPasswordAt + kSearchPasswordSize) {
            hex += "**";
            continue;
        }
        char two[3];
        std::snprintf(two, sizeof two, "%02x", datagram[i]);
        hex += two;
    }
    return hex;
}

}  // namespace ormidon::sim
