#include "core/AppObject.h"

CAppObject* g_lpApp = nullptr;
GuardedText g_szSessionCookie;
GuardedText g_strLocalIPAddress;
