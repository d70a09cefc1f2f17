#pragma once
// The one request of a live stream connection: "GET /Getvideo.cgi?Cookie=..." with the
// fixed header lines the device expects, each ended by CR LF, then an empty line.
#include <string>
#include <string_view>

class CCgiRequest;

// Empty when the cookie or the host address holds CR, LF or NUL: such a request must not
// be sent, as those characters would end its lines early.
std::string BuildLiveStreamRequest(std::string_view cookie, std::string_view hostAddress);

// "GET <target> HTTP/1.1" and the same fixed header lines, for the other requests that the
// device reads on a connection of their own. Empty when the target is invalid or the host
// address holds CR, LF or NUL.
std::string BuildDeviceGetRequest(const CCgiRequest& target, std::string_view hostAddress);

// The same for a target that is no command of the table (the raw firmware upload). Empty
// when the target or the host address holds CR, LF or NUL.
std::string BuildDeviceGetRequestFor(std::string_view target, std::string_view hostAddress);
