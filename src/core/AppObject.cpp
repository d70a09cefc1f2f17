#include "core/AppObject.h"

CAppObject* g_lpApp = nullptr;
GuardedText g_strLocalIPAddress;
