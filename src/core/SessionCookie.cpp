#include "core/SessionCookie.h"

GuardedText g_szSessionCookie;

std::string GetSessionCookie() { return g_szSessionCookie.Get(); }

bool SetSessionCookie(std::string_view value) {
    if (value.size() >= kSessionCookieSize) {
        g_szSessionCookie.Set({});
        return false;
    }
    g_szSessionCookie.Set(value);
    return true;
}

void ClearSessionCookie() { g_szSessionCookie.Set({}); }
