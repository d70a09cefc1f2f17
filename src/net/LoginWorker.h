#pragma once
// The login worker of the "Connect ..." progress dialog: one login and one
// device-information query on a thread of its own, so the dialog keeps animating. It
// answers the dialog with WM_CONNECTRESULT (lParam 1 after a complete login, -1 after a
// failure); the dialog stops its progress timer when the answer arrives.
#include <cstdint>
#include <stop_token>
#include <string>

#include "core/ThreadSlot.h"
#include "platform/WindowMessage.h"

// What the dialog hands over.
struct LoginParam_Struct {
    std::string strServerName;  // dotted IPv4 text or a host name
    std::string strUserName;
    std::string strPassword;
    std::string strPort;  // the web port as decimal text
};

class Login {
  public:
    Login() = default;
    Login(const Login&) = delete;
    Login& operator=(const Login&) = delete;

    // Starts a worker run on a copy of m_Param, after stopping a run that is still busy.
    // 1 when the thread was started, else 0.
    int CreateThread();
    // Stops a running worker (shut-down); it then posts nothing.
    void StopThread();

    // One login for the dialog; 1 after a complete login, else 0.
    static int Login_Thread(const LoginParam_Struct& param, ormidon::WindowHandle dialog,
                            std::stop_token stop);

    // The connect dialog: receives WM_CONNECTRESULT.
    ormidon::WindowHandle m_pDialog = 0;
    LoginParam_Struct m_Param;

  private:
    ThreadSlot m_hThread;
};

// The one Login object of the process; null until CreateLoginObject made it.
extern Login* g_lpLogin;
// Makes the Login object on first use. Always 1.
int CreateLoginObject();
