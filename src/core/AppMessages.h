#pragma once
// Window messages that the engine's threads post to the windows, with the values the
// windows and the playback program expect. All are posted, never sent.
#include <cstdint>

#include "platform/WindowMessage.h"

// wParam 0; lParam 0 starts the alarm sound, 2 stops it.
constexpr uint32_t WM_POSTALARMAUDIO = 0x402;
// wParam: string id of a message box to show.
constexpr uint32_t WM_SHOWMESSAGEID = 0x406;
constexpr uint32_t WM_PTZHOTPOINT = 0x40a;
// The login's life time is used up: the main window closes.
constexpr uint32_t WM_LIFETIMEUP = 0x40c;
constexpr uint32_t WM_REDRAWDATETIME = 0x413;
// lParam: one of the ShowStatusCode values; wParam: elapsed seconds for code 0.
constexpr uint32_t WM_SHOWSTATUS = 0x41b;
constexpr uint32_t WM_CMOSSTATUS = 0x420;
// lParam: 1 after a complete login, -1 after a failure.
constexpr uint32_t WM_CONNECTRESULT = 0x42b;

// lParam codes of WM_SHOWSTATUS posted by the re-login.
enum ShowStatusCode : ormidon::LParam {
    kStatusElapsed = 0,           // wParam: seconds since the re-login started
    kStatusLoginStart = 1,        // login starts
    kStatusLoginFailed = 3,       // an attempt failed, the re-login waits
    kStatusConnectButtonOff = 5,  // function button with action bit 1 to state 0
    kStatusConnectButtonOn = 6,   // function button with action bit 1 to state 1
    kStatusTooManyUsers = 7,      // the device refused with status 202
};
