#pragma once
// What the recorder prints of the requests it receives, without the secrets in them: the
// log may be read, kept and passed on, so passwords show as "***" and session cookies only
// by their first 4 characters, enough to tell sessions apart.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ormidon::sim {

// A session cookie as the log shows it: its first 4 characters and "***" ("ab12***"); a
// cookie of 4 characters or fewer shows as "***" alone.
std::string MaskedCookie(std::string_view cookie);

// A request target with the value of every "Password" parameter as "***" and of every
// "Cookie" parameter masked as above (names in any letter case); the rest as sent. In a
// "/Login.cgi" target everything after "Password=" is the password.
std::string MaskedTarget(std::string_view target);

// A search datagram as hex, two digits a byte, with the password field of a search record
// (bytes 40 to 55 of 76) as "**" a byte.
std::string MaskedSearchHex(const std::vector<uint8_t>& datagram);

}  // namespace ormidon::sim
