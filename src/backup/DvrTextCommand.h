#pragma once
// The DVR's text commands of the Date and Record Setting pages: each a GET with the session
// cookie, 15 s for every wait; the queries read a reply of at most 1024 bytes.
#include <cstdint>
#include <string>

// The session cookie, empty when there is none.
std::string DvrCookie();
// Sends the query of command `index` (cookie only) and gives its reply text; false when the
// request failed.
bool QueryDvrText(uint8_t index, std::string& reply);
// Sends a prepared request text of command `index` without reading a reply; 1 when the
// device answered status 200, 0 otherwise (also for an empty text).
int SendDvrText(uint8_t index, const std::string& query);
