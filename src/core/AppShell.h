#pragma once
// What start-up needs of the window layer: the display's resolution, the login window
// and the main window, each run modally. The engine declares it, the program's window
// layer implements it, and tests supply their own.
#include <cstdint>
#include <string>

// The texts the login window opens with.
struct LoginDialogTexts {
    std::string strServerName;  // device address
    std::string strUserName;
    std::string strPassword;  // always empty: the password is typed anew
    std::string strPort;      // web port, decimal
    std::string strBitRate;
};

struct DisplayResolution {
    uint16_t wLogPixelsX = 96;  // pixels per inch
    uint16_t wLogPixelsY = 96;
};

class AppShell {
  public:
    virtual ~AppShell() = default;

    virtual DisplayResolution GetDisplayResolution() = 0;
    // Runs the login window (LoginDialog::DoModal). Returns 1 only after a successful
    // login, which has set w_LoginResult to 30, stored the session cookie, the device's
    // firmware version, product id, MAC address and host name, and set the settings'
    // web port, device address (through SetServerName), user name and password and the
    // last connection's MAC bytes. Anything else: no login took place.
    virtual int RunLoginDialog(const LoginDialogTexts& texts) = 0;
    // Runs the main window (CQuorrelDlg) until it closes; its closing has already run
    // ExitLoginResource and ExitProcessResource and saved the settings.
    virtual void RunMainWindow() = 0;
};
