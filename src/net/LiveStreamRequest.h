#pragma once
// The one request of a live stream connection: "GET /Getvideo.cgi?Cookie=..." with the
// fixed header lines the device expects, each ended by CR LF, then an empty line.
#include <string>
#include <string_view>

// Empty when the cookie or the host address holds CR, LF or NUL: such a request must not
// be sent, as those characters would end its lines early.
std::string BuildLiveStreamRequest(std::string_view cookie, std::string_view hostAddress);
