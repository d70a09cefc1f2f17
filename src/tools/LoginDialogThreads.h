#pragma once
// The two worker threads of the login window: the login itself, and the pace of the
// progress bar while it runs. They never touch the window; everything they have to say
// is posted to it (LoginMessages.h). LoginDialog inherits them, so they are
// LoginDialog::Login_Thread and LoginDialog::Animate_Thread.
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>

#include "platform/Event.h"
#include "platform/WindowMessage.h"

// What one login run hands its workers: copies of the window's four texts (the operator
// may edit them while the login runs), the window that hears of the run, and the stop
// event the two share. The login thread sets the event once its login failed, which ends
// the progress bar.
struct LoginThreadParam {
    ormidon::WindowHandle hWnd = 0;
    std::string strServerAddress;
    std::string strUserName;
    std::string strUserPassword;
    std::string strPortText;
    std::shared_ptr<ormidon::Event> hStopEvent;
};

class LoginDialogThreads {
  public:
    // Time between two steps of the progress bar.
    static constexpr uint32_t kAnimateIntervalMs = 350;

    // Stores the texts in the settings, sends the login to the device and stores what it
    // answers in the application record. Posts WM_LOGINSUCCESS, or WM_LOGINFAILED with
    // its code; nothing once `stop` was requested (the window gave the run up). Returns 0.
    static int Login_Thread(const LoginThreadParam& param, std::stop_token stop);

    // Posts WM_LOGINANIMATE at once and then every kAnimateIntervalMs until the stop
    // event is set or `stop` is requested. Returns 0.
    static int Animate_Thread(const LoginThreadParam& param, std::stop_token stop);
};
