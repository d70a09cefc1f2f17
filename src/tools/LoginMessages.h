#pragma once
// Window messages between the login window and its two worker threads, and the codes of
// a failed login.
#include <cstdint>

#include "platform/WindowMessage.h"

// wParam: a LoginFailCode; lParam 0.
constexpr uint32_t WM_LOGINFAILED = 0x40F;
// Advance the progress bar by one step.
constexpr uint32_t WM_LOGINANIMATE = 0x410;
// Posted by the window to itself when Enter is pressed: start a login.
constexpr uint32_t WM_LOGINCONNECT = 0x421;
// The device accepted the login: the window ends with result 1.
constexpr uint32_t WM_LOGINSUCCESS = 0x422;

enum LoginFailCode : ormidon::WParam {
    kLoginFailProcedure = 1,         // no answer, a refusal, or no session in the answer
    kLoginFailTooManyUsers = 2,      // the device answered status 202
    kLoginFailUnsupportedDevice = 3  // the product id is none of the eight supported ones
};
