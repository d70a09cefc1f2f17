#pragma once
// The session cookie: the login answer's "Session-ID=" value, sent back as the query
// parameter "Cookie" by every later command and by the live stream. Written by the
// login paths and read by every sender on any thread, so it is only reached through
// these functions.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/GuardedText.h"

// The value is kept as a zero-terminated text of this many bytes.
constexpr size_t kSessionCookieSize = 64;

// The cookie itself; read it with GetSessionCookie, set it with SetSessionCookie so that
// the length rule holds.
extern GuardedText g_szSessionCookie;

std::string GetSessionCookie();
// Stores `value`. A value that does not fit (kSessionCookieSize characters or more)
// empties the cookie and gives false: such a login has failed.
bool SetSessionCookie(std::string_view value);
void ClearSessionCookie();
